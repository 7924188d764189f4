// One picture of the world: the faded previous picture, the HUD, the entities, the swap.
#pragma once

// Draws the world over the faded previous picture and presents it. Reads the world only;
// needs g_player and the OpenGL context, and the font built.
void RenderFrame();

// The frame without its buffer swap: all of RenderFrame's drawing, for a measure of it apart
// from what presenting it costs.
void DrawFrame();

// Paused: the picture held as it stood, with "paused" and the key that resumes it over it in
// the HUD's colour, presented, as often as the window needs it. Not paused: the picture back
// as it stood, unpresented, for play to go on from.
void ShowPausedPicture(bool paused);

// The same for a game its page has stopped, with how to play again.
void RenderStoppedFrame();

// A replay's end: the picture held as it stood, with the check's verdict and a line of detail
// above the middle, where "game over" is not (in the HUD's colour where the game replays
// exactly, in red where it does not), and a hint below it; presented. Long lines shrink to
// fit the picture.
void RenderVerdictFrame(const char* verdict, const char* detail, const char* hint, bool exact);
