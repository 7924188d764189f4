#include "render/present.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

float g_lineScale = 1.0f;

namespace {

#ifdef __EMSCRIPTEN__
// The canvas has no alpha: a texture copied from it must not ask for one, or every copy fails.
constexpr GLenum kCopyFormat = GL_RGB;
// The width in force, in window pixels; WebGL's own is stuck at 1.
float g_lineWidth = 1.0f;
#else
constexpr GLenum kCopyFormat = GL_RGBA;
#endif

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
  glTexImage2D(GL_TEXTURE_2D, 0, kCopyFormat, width, height, 0, kCopyFormat, GL_UNSIGNED_BYTE,
               nullptr);
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

#ifndef __EMSCRIPTEN__

void SetLineWidth(float width) {
  glLineWidth(width * g_lineScale);
}

void DrawSegments(const float* segments, unsigned int count) {
  glBegin(GL_LINES);
  for (unsigned int n = 0; n < count; ++n, segments += 4) {
    glVertex2f(segments[0], segments[1]);
    glVertex2f(segments[2], segments[3]);
  }
  glEnd();
}

unsigned int CompileGlyphs(int count, void (*build)(int glyph)) {
  const unsigned int base = glGenLists(count);
  glListBase(base);
  for (int i = 0; i < count; ++i) {
    glNewList(base + i, GL_COMPILE);
    build(i);
    glEndList();
  }
  return base;
}

void CallGlyph(unsigned int base, int glyph, void (*)(int)) {
  glCallList(base + glyph);
}

#else

void SetLineWidth(float width) {
  // As GL does with a width of 0 or less (a finished laser's): refused, the last one holds.
  if (width > 0.0f) g_lineWidth = width * g_lineScale;
}

// Each segment becomes the shape GL gives a wide line without smoothing: the ends cut square
// across the major axis, the width counted along the minor one. The corners are worked out in
// window pixels, since a line's width ignores the modelview matrix; a width under 1 draws 1, as
// GL draws it.
void DrawSegments(const float* segments, unsigned int count) {
  if (count == 0) return;
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  const float half = std::max(g_lineWidth, 1.0f) * 0.5f;
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_QUADS);
  for (unsigned int n = 0; n < count; ++n, segments += 4) {
    const float x0 = m[0] * segments[0] + m[4] * segments[1] + m[12];
    const float y0 = m[1] * segments[0] + m[5] * segments[1] + m[13];
    const float x1 = m[0] * segments[2] + m[4] * segments[3] + m[12];
    const float y1 = m[1] * segments[2] + m[5] * segments[3] + m[13];
    const bool xMajor = std::fabs(x1 - x0) >= std::fabs(y1 - y0);
    const float ox = xMajor ? 0.0f : half;
    const float oy = xMajor ? half : 0.0f;
    glVertex2f(x0 - ox, y0 - oy);
    glVertex2f(x0 + ox, y0 + oy);
    glVertex2f(x1 + ox, y1 + oy);
    glVertex2f(x1 - ox, y1 - oy);
  }
  glEnd();
  glPopMatrix();
}

unsigned int CompileGlyphs(int, void (*)(int)) {
  return 0;
}

void CallGlyph(unsigned int, int glyph, void (*build)(int glyph)) {
  build(glyph);
}

#endif

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
