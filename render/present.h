// How the picture reaches the window: where the 640 x 480 picture lies in it and how wide its
// lines are drawn. The game's coordinates stay 640 x 480 everywhere; a larger window changes
// only the viewport and the line widths.
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
// start-up clear left them.
void SetPicture(const PictureRect& picture, int windowWidth, int windowHeight);

// glLineWidth for a width in the game's pixels.
void SetLineWidth(float width);
