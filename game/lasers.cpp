#include "game/lasers.h"

#include "game/maths.h"

namespace {

constexpr int kFullFrom = 100;      // first age at full width
constexpr int kFullUntil = 150;     // last age at full width
constexpr float kFade = 0.01f;      // intensity change per tick
constexpr float kFadeWidth = 5.0f;  // width over intensity while fading
constexpr float kFullWidth = 10.0f;
constexpr int kNoEdge = 3;  // the second edge, when its draw hits the first one

}  // namespace

Laser* CreateLaser() {
  Laser* laser = new Laser{};
  const int e0 = DrawRandom() % 4;
  int e1 = DrawRandom() % 3;
  if (e1 == e0) e1 = kNoEdge;  // never both ends on one edge
  const Vec2 p0 = EdgePoint(e0, DrawRandom());
  const Vec2 p1 = EdgePoint(e1, DrawRandom());
  laser->x0 = p0.x;
  laser->y0 = p0.y;
  laser->x1 = p1.x;
  laser->y1 = p1.y;
  return laser;
}

// Intensity rises by 0.01 in 32-bit floats and so stops at 0.9899994 after 99 steps; on
// the way down the last step leaves it a little below 0, and that step finishes it.
void UpdateLaser(Laser& laser) {
  laser.age += 1;
  if (laser.age < kFullFrom) {
    if (laser.intensity < 1.0f) laser.intensity += kFade;
    laser.width = laser.intensity * kFadeWidth;
  } else if (laser.age <= kFullUntil) {
    laser.width = kFullWidth;
  } else {
    if (laser.intensity > 0.0f) laser.intensity -= kFade;
    laser.width = laser.intensity * kFadeWidth;
    if (laser.intensity <= 0.0f) laser.done = true;
  }
}
