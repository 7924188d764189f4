#include "game/drones.h"

#include <cmath>

#include "game/maths.h"

namespace {

constexpr float kChase = 0.01f;        // acceleration toward the aim point
constexpr float kKeep = 0.98f;         // velocity kept per tick, kinds 0 and 2
constexpr float kKeepLeading = 0.96f;  // velocity kept per tick, kind 1
constexpr float kLeadTicks = 10.0f;    // kind 1 aims where the ship will be this many ticks on
constexpr float kTurnKeep = 0.98f;
constexpr float kTurnStep = 0.00001f;
constexpr float kPi = 3.1415927f;

// The slow turn of kinds 0 and 2. The target is the angle whose cosine is vy / vx; when
// that quotient lies outside -1 to 1 there is no such angle, and the drone turns
// counter-clockwise as it does when its heading is not above the target.
void Turn(Drone& d) {
  d.turnRate = d.turnRate * kTurnKeep;
  bool above = false;
  if (d.vx == 0.0f) {
    above = d.heading > kPi;
  } else {
    const float q = d.vy / d.vx;
    if (q >= -1.0f && q <= 1.0f) above = d.heading > ArcCosine(q);
  }
  d.turnRate = above ? d.turnRate - kTurnStep : d.turnRate + kTurnStep;
  d.heading = d.heading + d.turnRate;
}

// A drone exactly on its aim point has no direction to go, so it gains no speed.
void Accelerate(Drone& d, float aimX, float aimY) {
  const float dx = aimX - d.x;
  const float dy = aimY - d.y;
  const float len = std::sqrt(dx * dx + dy * dy);
  if (len == 0.0f) return;
  d.vx += kChase * (dx / len);
  d.vy += kChase * (dy / len);
}

}  // namespace

Drone* CreateDrone(int kind) {
  Drone* d = new Drone{};
  // A whole number taken as radians: only the drawing looks at it.
  d->heading = static_cast<float>(DrawRandom() % 360);
  d->kind = kind;
  const int edge = DrawRandom() % 4;
  const Vec2 at = EdgePoint(edge, DrawRandom());
  d->x = at.x;
  d->y = at.y;
  return d;
}

void FlockDrone(Drone& a) {
  // The velocity stays in locals for the whole walk: it is the one value each neighbour
  // updates, and a store through the record would sit on that chain.
  float vx = a.vx;
  float vy = a.vy;
  for (const Drone* b : g_drones) {
    if (b == &a) continue;
    const float dx = a.x - b->x;
    const float dy = a.y - b->y;
    const float dist2 = dx * dx + dy * dy;
    // Two drones on one point have no direction between them; dividing by zero would
    // turn this drone into NaN, and the flocking would spread it to the whole swarm.
    if (dist2 == 0.0f) continue;
    const float match = kFlockMatch / dist2;
    vx += (b->vx - vx) * match;
    vy += (b->vy - vy) * match;
    const float repel = kFlockRepel / dist2;
    vx += dx * repel;
    vy += dy * repel;
  }
  a.vx = vx;
  a.vy = vy;
}

void UpdateDrone(Drone& d) {
  const Player& ship = *g_player;
  switch (d.kind) {
    case 0:
    case 2:
      d.vx = d.vx * kKeep;
      d.vy = d.vy * kKeep;
      Accelerate(d, ship.x, ship.y);
      Turn(d);
      break;
    case 1:
      d.vx = d.vx * kKeepLeading;
      d.vy = d.vy * kKeepLeading;
      Accelerate(d, ship.x + kLeadTicks * ship.vx, ship.y + kLeadTicks * ship.vy);
      d.heading = static_cast<float>(DrawRandom() % 360);  // drawn at a new angle each frame
      break;
    default:
      break;
  }
  d.x = d.x + d.vx;
  d.y = d.y + d.vy;
}

void RunDronePass() {
  // One drone at a time: each sees the drones before it already moved in this tick and
  // those after it not yet, and dead drones after it still push it.
  for (auto it = g_drones.begin(); it != g_drones.end();) {
    Drone* d = *it;
    if (d->dead) {
      delete d;
      it = g_drones.erase(it);
      continue;
    }
    FlockDrone(*d);
    UpdateDrone(*d);
    ++it;
  }
}
