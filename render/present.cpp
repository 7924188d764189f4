#include "render/present.h"

#include <GL/gl.h>

#include <cstring>

float g_lineScale = 1.0f;

namespace {

PictureRect g_picture = {0, 0, 640, 480};
int g_windowWidth = 640;
int g_windowHeight = 480;

// A copy of the picture, in the lower left corner of a texture that may be larger.
struct PictureCopy {
  bool on;
  GLuint texture;
  float right;  // texture coordinates of the picture's far corner
  float top;
};
PictureCopy g_kept = {false, 0, 0.0f, 0.0f};  // every frame's, where the swap loses the picture
PictureCopy g_held = {false, 0, 0.0f, 0.0f};  // a paused game's, where the swap keeps it

bool Bars() {
  return g_picture.width != g_windowWidth || g_picture.height != g_windowHeight;
}

int TextureSize(int pixels, bool anySize) {
  if (anySize) return pixels;
  int size = 1;
  while (size < pixels) size *= 2;
  return size;
}

// Whatever a swap left beside the picture goes back to black, one bar at a time; the
// scissor then holds the picture again, whoever touched it since. A driver may hand the
// buffer back with the scissor test off, where each clear would take the whole window.
void ClearBars() {
  glEnable(GL_SCISSOR_TEST);
  const PictureRect& p = g_picture;
  const int bars[4][4] = {{0, 0, p.x, g_windowHeight},
                          {p.x + p.width, 0, g_windowWidth - p.x - p.width, g_windowHeight},
                          {p.x, 0, p.width, p.y},
                          {p.x, p.y + p.height, p.width, g_windowHeight - p.y - p.height}};
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  for (const auto& bar : bars) {
    if (bar[2] <= 0 || bar[3] <= 0) continue;
    glScissor(bar[0], bar[1], bar[2], bar[3]);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glScissor(p.x, p.y, p.width, p.height);
  glEnable(GL_SCISSOR_TEST);
}

// A texture the picture's size (or the next powers of two), its contents undefined; false
// where the driver cannot hold the picture in one texture.
bool MakeCopy(PictureCopy* copy) {
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const bool anySize =
      extensions != nullptr && HasExtension(extensions, "GL_ARB_texture_non_power_of_two");
  const int width = TextureSize(g_picture.width, anySize);
  const int height = TextureSize(g_picture.height, anySize);
  GLint largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  if (width > largest || height > largest) return false;

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  // Texel for pixel: nearest, one to one, so the picture comes back exactly.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  *copy = {true, texture, static_cast<float>(g_picture.width) / width,
           static_cast<float>(g_picture.height) / height};
  return true;
}

void DropCopy(PictureCopy* copy) {
  if (copy->on) glDeleteTextures(1, &copy->texture);
  *copy = {false, 0, 0.0f, 0.0f};
}

void SaveCopy(const PictureCopy& copy) {
  // From the buffer drawn into, named by no one: under the SDL2-backed SDL that is its own
  // offscreen buffer, where GL_BACK is not a valid name.
  glBindTexture(GL_TEXTURE_2D, copy.texture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, g_picture.x, g_picture.y, g_picture.width,
                      g_picture.height);
}

void DrawCopy(const PictureCopy& copy) {
  if (Bars()) ClearBars();
  // The whole picture, texel for pixel, replacing what the back buffer held: no blending,
  // no colour, the game's own projection onto the picture's viewport.
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, 640.0, 0.0, 480.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, copy.texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(0.0f, 0.0f);
  glTexCoord2f(0.0f, copy.top);
  glVertex2f(0.0f, 480.0f);
  glTexCoord2f(copy.right, copy.top);
  glVertex2f(640.0f, 480.0f);
  glTexCoord2f(copy.right, 0.0f);
  glVertex2f(640.0f, 0.0f);
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

void SetPicture(const PictureRect& picture, int windowWidth, int windowHeight) {
  g_picture = picture;
  g_windowWidth = windowWidth;
  g_windowHeight = windowHeight;
  // A new window: any texture went with the old context.
  g_kept.on = false;
  g_held.on = false;
  glViewport(picture.x, picture.y, picture.width, picture.height);
  g_lineScale = static_cast<float>(picture.height) / 480.0f;
  if (!Bars()) return;
  // A wide line is drawn in full even where it runs past the viewport's edge: a laser along
  // the screen's edge would paint into the bars.
  glScissor(picture.x, picture.y, picture.width, picture.height);
  glEnable(GL_SCISSOR_TEST);
}

void SetLineWidth(float width) {
  glLineWidth(width * g_lineScale);
}

bool KeepPicture(bool clearFirst) {
  if (g_kept.on) return true;
  if (!MakeCopy(&g_kept)) return false;
  if (clearFirst) {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  SaveKeptPicture();
  return true;
}

void DropKeptPicture() {
  DropCopy(&g_kept);
  DropCopy(&g_held);
}

bool PictureKept() {
  return g_kept.on;
}

void RestoreKeptPicture() {
  if (g_kept.on) DrawCopy(g_kept);
}

void SaveKeptPicture() {
  if (g_kept.on) SaveCopy(g_kept);
}

void HoldPicture() {
  // The frames' own copy holds the last picture already; otherwise the back buffer does,
  // since the swap keeps it.
  if (g_kept.on || g_held.on || !MakeCopy(&g_held)) return;
  SaveCopy(g_held);
}

void DrawHeldPicture() {
  if (g_kept.on) {
    DrawCopy(g_kept);
  } else if (g_held.on) {
    DrawCopy(g_held);
  }
}

void ReleaseHeldPicture() {
  DrawHeldPicture();
  DropCopy(&g_held);
}

bool HasExtension(const char* list, const char* name) {
  const size_t length = std::strlen(name);
  if (length == 0) return false;  // an empty name would match everywhere and never move on
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length) {
    const bool starts = p == list || p[-1] == ' ';
    if (starts && (p[length] == ' ' || p[length] == '\0')) return true;
  }
  return false;
}
