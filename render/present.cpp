#include "render/present.h"

#include <GL/gl.h>

float g_lineScale = 1.0f;

void SetPicture(const PictureRect& picture, int windowWidth, int windowHeight) {
  glViewport(picture.x, picture.y, picture.width, picture.height);
  g_lineScale = static_cast<float>(picture.height) / 480.0f;
  const bool bars = picture.width != windowWidth || picture.height != windowHeight;
  if (!bars) return;
  // A wide line is drawn in full even where it runs past the viewport's edge: a laser along
  // the screen's edge would paint into the bars.
  glScissor(picture.x, picture.y, picture.width, picture.height);
  glEnable(GL_SCISSOR_TEST);
}

void SetLineWidth(float width) {
  glLineWidth(width * g_lineScale);
}
