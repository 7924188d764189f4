#include "render/entities.h"

#include <GL/gl.h>

#include "render/present.h"

namespace {

// 2π as the simulation holds it in 32 bits; the degrees are worked out in double.
constexpr float kTwoPi = 6.2831855f;

float Degrees(float radians) {
  return static_cast<float>(radians * 360.0 / kTwoPi);
}

// Each shape has its nose on local +y, so a rotation by the heading points it forward.
void DrawDiamond() {
  glColor4f(1.0f, 0.0f, 0.0f, 0.3f);
  glBegin(GL_QUADS);
  glVertex2f(0.0f, 7.0f);
  glVertex2f(3.0f, 0.0f);
  glVertex2f(0.0f, -7.0f);
  glVertex2f(-3.0f, 0.0f);
  glEnd();
}

void DrawDart() {
  glColor4f(1.0f, 1.0f, 0.0f, 0.3f);
  glBegin(GL_TRIANGLES);
  glVertex2f(0.0f, 5.0f);
  glVertex2f(3.0f, -5.0f);
  glVertex2f(-3.0f, -5.0f);
  glEnd();
}

}  // namespace

void DrawPlayer() {
  const Player& p = *g_player;
  glColor4f(0.0f, 1.0f, 0.0f, 0.3f);
  glPushMatrix();
  // The ship's position is the middle of its base; the nose is 15 pixels ahead.
  glTranslatef(p.x, p.y, 0.0f);
  glRotatef(Degrees(p.heading), 0.0f, 0.0f, 1.0f);
  glBegin(GL_TRIANGLES);
  glVertex2f(0.0f, 15.0f);
  glVertex2f(3.0f, 0.0f);
  glVertex2f(-3.0f, 0.0f);
  glEnd();
  // Sent every frame: an idle beam has an intensity of 0 (or a step below) and leaves no mark.
  // Its far end lies past every edge of the screen.
  glColor4f(0.0f, 0.0f, 1.0f, p.beamIntensity);
  glBegin(GL_LINES);
  glVertex2f(0.0f, 15.0f);
  glVertex2f(0.0f, 10000.0f);
  glEnd();
  glPopMatrix();
}

void DrawDrone(const Drone& d) {
  glPushMatrix();
  glTranslatef(d.x, d.y, 0.0f);
  glRotatef(Degrees(d.heading), 0.0f, 0.0f, 1.0f);
  switch (d.kind) {
    case 0:
      DrawDiamond();
      break;
    case 1:
      DrawDart();
      break;
    case 2:
      glScalef(3.0f, 3.0f, 1.0f);  // the large chaser: nine times the area
      DrawDiamond();
      break;
    default:
      break;  // not a kind the game makes: nothing to draw, and the stack stays balanced
  }
  glPopMatrix();
}

void DrawLaser(const Laser& l) {
  // A finished laser's width dips below 0; GL refuses it and the width of 1 stays in force.
  SetLineWidth(l.width);
  glColor4f(1.0f, 0.0f, 0.5f, static_cast<float>(l.intensity * 0.1));
  const float segment[4] = {l.x0, l.y0, l.x1, l.y1};
  DrawSegments(segment, 1);
  SetLineWidth(1.0f);
}
