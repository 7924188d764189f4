#include "render/frame.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>

#include "game/world.h"
#include "render/entities.h"
#include "render/font.h"
#include "render/present.h"

namespace {

constexpr float kHudScale = 16.0f;         // HUD text: one glyph unit is 16 pixels
constexpr float kTitleScale = 64.0f;       // "game over"
constexpr float kFinalScoreScale = 32.0f;  // the final score under it
constexpr float kVerdictScale = 40.0f;     // a replay's verdict, at most
constexpr float kDetailScale = 20.0f;      // the line under it, at most
constexpr float kTextLineWidth = 2.0f;     // every text on screen
constexpr float kFadeAlpha = 0.05f;        // each frame keeps 95 % of the last picture

// Room for the longest line: "score: " and a 32-bit number with its sign, 18 bytes and a NUL.
constexpr int kLineSize = 32;

void SetHudColour() {
  glColor4f(0.2f, 1.0f, 0.2f, 1.0f);
}

// A translucent black sheet over the whole screen instead of a clear: whatever is not drawn
// again fades a little each frame, which leaves a trail behind everything that moves.
void FadePicture() {
  glColor4f(0.0f, 0.0f, 0.0f, kFadeAlpha);
  glBegin(GL_QUADS);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(0.0f, 480.0f);
  glVertex2f(640.0f, 480.0f);
  glVertex2f(640.0f, 0.0f);
  glEnd();
}

void DrawScoreLines() {
  char line[kLineSize];
  SetHudColour();
  glPushMatrix();
  glTranslatef(240.0f, 5.0f, 0.0f);
  std::snprintf(line, sizeof line, "score: %d", g_player->score);
  DrawText(line, kHudScale, kTextLineWidth, false);
  // Added to the score line's origin: the best score sits at (440, 10), 5 pixels higher.
  glTranslatef(200.0f, 5.0f, 0.0f);
  std::snprintf(line, sizeof line, "best: %d", g_bestScore);
  DrawText(line, kHudScale, kTextLineWidth, false);
  glPopMatrix();
}

void DrawGameOver() {
  char line[kLineSize];
  glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
  glPushMatrix();
  glTranslatef(320.0f, 280.0f, 0.0f);
  DrawText("game over", kTitleScale, kTextLineWidth, true);
  glTranslatef(0.0f, -80.0f, 0.0f);
  std::snprintf(line, sizeof line, "score: %d", g_player->score);
  DrawText(line, kFinalScoreScale, kTextLineWidth, true);
  glPopMatrix();
}

// One pixel of bar per unit of energy, from x 120; the energy of -1 that one tick allows
// reaches one pixel left of the start instead.
void DrawEnergy() {
  const float energy = g_player->energy;
  SetHudColour();
  glPushMatrix();
  glTranslatef(40.0f, 5.0f, 0.0f);
  DrawText("energy:", kHudScale, kTextLineWidth, false);
  glTranslatef(80.0f, 0.0f, 0.0f);
  glBegin(GL_QUADS);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(0.0f, 10.0f);
  glVertex2f(energy, 10.0f);
  glVertex2f(energy, 0.0f);
  glEnd();
  glPopMatrix();
}

// Everything is set afresh each frame, so no state carries over but the picture itself.
void StartDrawing() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  // One unit is one pixel, y grows upward.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0.0, 640.0, 0.0, 480.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Depth only: the colour buffer keeps the last picture for the fade to dim.
  glClear(GL_DEPTH_BUFFER_BIT);
}

}  // namespace

void DrawFrame() {
  // Where a swap may lose the picture, the frame's own copy of it comes back first.
  RestoreKeptPicture();
  StartDrawing();
  FadePicture();
  // No depth test: what is drawn later lies on top, so the lasers end up over everything.
  DrawScoreLines();
  if (g_gameOver) DrawGameOver();
  DrawEnergy();
  DrawPlayer();
  // Dead drones and done lasers are not skipped here: the tick decides what is still listed.
  for (const Drone* drone : g_drones) DrawDrone(*drone);
  for (const Laser* laser : g_lasers) DrawLaser(*laser);
  SaveKeptPicture();
}

void RenderFrame() {
  DrawFrame();
  SDL_GL_SwapBuffers();
}

namespace {

constexpr float kWidestLine = 608.0f;  // a held picture's words keep 16 pixels from each edge

// The largest scale up to `most` at which the line keeps clear of the picture's edges.
float Fitted(const char* text, float most) {
  const float width = TextWidth(text, 1.0f);
  return width * most <= kWidestLine ? most : kWidestLine / width;
}

void DrawCentred(const char* text, float y, float scale) {
  glPushMatrix();
  glTranslatef(320.0f, y, 0.0f);
  DrawText(text, scale, kTextLineWidth, true);
  glPopMatrix();
}

// The picture as it stood, never faded, ready for words over it.
void StartHeldFrame() {
  HoldPicture();
  DrawHeldPicture();
  StartDrawing();
}

// The held picture with a word in the HUD's colour over it.
void RenderHeldFrame(const char* title, const char* hint) {
  StartHeldFrame();
  SetHudColour();
  DrawCentred(title, 280.0f, kTitleScale);
  DrawCentred(hint, 200.0f, kFinalScoreScale);
  SDL_GL_SwapBuffers();
}

}  // namespace

void ShowPausedPicture(bool paused) {
  // A pause of any length shows the same game, and play goes on from it.
  if (paused) {
    RenderHeldFrame("paused", "press p to resume");
  } else {
    ReleaseHeldPicture();
  }
}

void RenderStoppedFrame() {
  RenderHeldFrame("stopped", "press a key or click to play");
}

void RenderVerdictFrame(const char* verdict, const char* detail, const char* hint, bool exact) {
  StartHeldFrame();
  // A difference in the red of "game over". Above and below that message, which a replay's
  // last picture often holds; the longer lines shrink to fit the picture.
  if (exact) {
    SetHudColour();
  } else {
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
  }
  DrawCentred(verdict, 410.0f, Fitted(verdict, kVerdictScale));
  DrawCentred(detail, 370.0f, Fitted(detail, kDetailScale));
  SetHudColour();
  DrawCentred(hint, 150.0f, kHudScale);
  SDL_GL_SwapBuffers();
}
