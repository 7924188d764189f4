// The frame half of the benchmark: the game's window and RenderFrame on a real context, and
// the game's own loop left running at "game over".
#pragma once

// Opens the game's window at this scale, as the game does; false without a display or when
// it does not fit.
bool OpenBenchWindow(int scale);

// One frame of the current world, in milliseconds: drawn (RenderFrame but for its swap, and
// the renderer done with it), and presented (the swap, until the renderer is done with that).
// Under Xvfb the swap hands the picture to another process, whose turn on the processor the
// frame waits for: that part varies with the machine, not with the world drawn.
struct FrameTime {
  double draw;
  double present;
};
FrameTime TimeFrame();

struct GameOverLoad {
  double cpuShare;        // processor time over clock time
  double stepsPerSecond;  // 100 while the machine keeps up
};

// Plays a game with no keys until the ship dies and its picture stands, then runs the game's
// loop, sleeps and all, for `seconds` of clock time.
GameOverLoad RunAtGameOver(double seconds);

// Plays a little of a game, then pauses it with p and runs the game's loop, waiting for events
// as the game does, for `seconds` of clock time; the processor time over the clock time.
double RunPaused(double seconds);

// Closes the window and shuts SDL down.
void CloseBenchWindow();
