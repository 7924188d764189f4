// How the picture reaches the window: where the 640 x 480 picture lies in it, how wide its
// lines are drawn, and, where a buffer swap may lose the picture, the copy the frame keeps of
// it. The game's coordinates stay 640 x 480 everywhere; a larger window changes only the
// viewport and the line widths.
#pragma once

// The picture's place in the window, in pixels from its bottom left corner.
struct PictureRect {
  int x;
  int y;
  int width;
  int height;
};

extern float g_lineScale;  // the picture's size over 640 x 480; every line width is times this

// Fixes the picture's place once the window has been cleared at start-up. Where the picture
// does not fill the window, nothing is ever drawn outside it, so the bars stay as black as the
// start-up clear left them. Frames rely on the swap to keep the picture until KeepPicture.
void SetPicture(const PictureRect& picture, int windowWidth, int windowHeight);

// glLineWidth for a width in the game's pixels. WebGL draws no line wider than a pixel, so the
// browser keeps the width for DrawSegments instead.
void SetLineWidth(float width);

// Draws segments, each (x0, y0, x1, y1), as lines of the width last set, in the current colour
// under the current matrices: GL_LINES, or in the browser a quad of that width for each.
void DrawSegments(const float* segments, unsigned int count);

// Where the platform has display lists, compiles glyphs 0 to count - 1 into consecutive lists,
// each made by `build`, and returns the first list's name; the browser has none, and gets 0.
unsigned int CompileGlyphs(int count, void (*build)(int glyph));

// Draws one glyph: its list from `base`, or in the browser `build` run afresh.
void CallGlyph(unsigned int base, int glyph, void (*build)(int glyph));

// From the next frame on, every frame draws back its own copy of the last picture before it
// fades it, and copies the finished picture before the swap: for platforms whose swap hands
// back a back buffer without the last frame. The copy starts from the back buffer as it is,
// cleared to black first when `clearFirst` (its contents unknown). False, and nothing
// changes, when the driver cannot hold the picture in one texture.
bool KeepPicture(bool clearFirst);

// Frees the copies before their window closes; frames rely on the swap again.
void DropKeptPicture();

// Whether frames keep their own copy of the picture.
bool PictureKept();

// The frame's two halves of the kept picture; they do nothing while the swap keeps it.
void RestoreKeptPicture();
void SaveKeptPicture();

// A paused game's picture: held as it stands (the frames' own copy where they keep one, else
// a copy of the back buffer, which the swap keeps), drawn back whole as often as the window
// needs it, and drawn back once more when play goes on, before the copy is let go. Where the
// driver cannot hold it, the back buffer is left as it is.
void HoldPicture();
void DrawHeldPicture();
void ReleaseHeldPicture();

// Whether a space-separated list of extension names holds this one.
bool HasExtension(const char* list, const char* name);
