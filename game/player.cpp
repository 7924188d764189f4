#include "game/player.h"

#include <cmath>

#include "game/maths.h"

namespace {

constexpr float kTurnStep = 0.0007f;  // turn rate added per tick per held turn key
constexpr float kThrust = 0.025f;     // forward acceleration, pixels per tick per tick
constexpr float kReverse = 0.015f;    // backward acceleration
constexpr float kDamping = 0.98f;     // kept of velocity and turn rate each tick
constexpr float kControlDeadZone = 0.01f;
constexpr float kBeamCost = 1.0f;  // energy per firing tick, and regained per idle tick
constexpr float kFullEnergy = 100.0f;
constexpr float kBeamFade = 0.05f;  // beam brightness change per tick
constexpr float kWallBounce = -0.9f;
constexpr float kLeftWall = 12.0f;
constexpr float kRightWall = 627.0f;
constexpr float kBottomWall = 42.0f;  // above the HUD line
constexpr float kTopWall = 467.0f;
constexpr float kLaserHit2 = 4.0f;      // within 2 pixels of a laser's line
constexpr int kLaserLethalAfter = 100;  // harmless up to and including its first full-width age
constexpr int kLaserLethalUntil = 200;  // harmless again from here on
constexpr float kSameControl = 0.0001f;

constexpr DroneKind kDroneKinds[] = {
    {16.0f, 4.0f, 50},    // 0: radius 4 for the beam, 2 for contact
    {16.0f, 4.0f, 10},    // 1
    {144.0f, 36.0f, 51},  // 2: radius 12 and 6
};
constexpr DroneKind kNoKind = {0.0f, 0.0f, 0};

bool SameControl(Vec2 a, Vec2 b) {
  return std::fabs(a.x - b.x) < kSameControl && std::fabs(a.y - b.y) < kSameControl;
}

// Every held direction counts, so opposite keys held together cancel or net out.
void ApplyControls(Player& p) {
  const float h0 = p.heading;
  for (const Vec2& c : p.controls) {
    if (c.x < -kControlDeadZone) p.turnRate += kTurnStep;
    if (c.x > kControlDeadZone) p.turnRate -= kTurnStep;
    if (c.y > kControlDeadZone) {
      p.vx += -Sine(h0) * kThrust;
      p.vy += Cosine(h0) * kThrust;
    }
    if (c.y < -kControlDeadZone) {
      p.vx -= -Sine(h0) * kReverse;
      p.vy -= Cosine(h0) * kReverse;
    }
  }
}

// The beam is a ray from the ship's position (not the drawn nose) with no length limit,
// and nothing blocks it: every drone on it dies in this tick.
void FireBeam(Player& p) {
  const float fx = -Sine(p.heading);
  const float fy = Cosine(p.heading);
  for (Drone* drone : g_drones) {
    const float dx = drone->x - p.x;
    const float dy = drone->y - p.y;
    const float t = dx * fx + dy * fy;
    if (t <= 0.0f) continue;  // abeam or behind
    const float ex = dx - t * fx;
    const float ey = dy - t * fy;
    const DroneKind& kind = KindOf(drone->kind);
    if (ex * ex + ey * ey < kind.beamRadius2) {
      drone->dead = true;
      p.score += kind.points;
    }
  }
}

void UpdateBeam(Player& p) {
  if (p.beamOn) {
    p.energy = p.energy - kBeamCost;
    if (p.beamIntensity < 1.0f) p.beamIntensity += kBeamFade;
    FireBeam(p);
    // Key repeat is off, so an empty beam stays off until z is pressed again.
    if (p.energy <= 0.0f) p.beamOn = false;
  } else {
    if (p.energy < kFullEnergy) p.energy += kBeamCost;
    if (p.beamIntensity > 0.0f) p.beamIntensity -= kBeamFade;
  }
}

// Both axes are tested before either moves, and a ship that would cross a wall moves
// back from it in the same tick.
void MoveWithinWalls(Player& p) {
  const float nx = p.x + p.vx;
  if (nx < kLeftWall || nx > kRightWall) p.vx = p.vx * kWallBounce;
  const float ny = p.y + p.vy;
  if (ny < kBottomWall || ny > kTopWall) p.vy = p.vy * kWallBounce;
  p.x = p.x + p.vx;
  p.y = p.y + p.vy;
}

// A drone the beam killed in this tick still counts: it has not been removed yet.
bool TouchesDrone(const Player& p) {
  for (const Drone* drone : g_drones) {
    const float dx = drone->x - p.x;
    const float dy = drone->y - p.y;
    if (dx * dx + dy * dy < KindOf(drone->kind).contactRadius2) return true;
  }
  return false;
}

// The test is against the whole line through the laser's ends, not the segment.
bool CrossesLaser(const Player& p) {
  for (const Laser* laser : g_lasers) {
    if (!LaserIsLethal(*laser)) continue;
    const float lx = laser->x1 - laser->x0;
    const float ly = laser->y1 - laser->y0;
    const float length = std::sqrt(lx * lx + ly * ly);
    if (length == 0.0f) continue;  // both ends on one corner: no line to cross
    const float ux = lx / length;
    const float uy = ly / length;
    const float px = laser->x0 - p.x;
    const float py = laser->y0 - p.y;
    const float t = px * ux + py * uy;
    const float ex = px - t * ux;
    const float ey = py - t * uy;
    if (ex * ex + ey * ey < kLaserHit2) return true;
  }
  return false;
}

// Points the beam scored earlier in this tick count toward the best score.
void EndGame(const Player& p) {
  if (p.score >= g_bestScore) g_bestScore = p.score;
  g_gameOver = true;
}

Vec2 ControlOf(int sym, bool* known) {
  *known = true;
  switch (sym) {
    case kKeyUp:
      return {0.0f, 1.0f};
    case kKeyDown:
      return {0.0f, -1.0f};
    case kKeyRight:
      return {1.0f, 0.0f};
    case kKeyLeft:
      return {-1.0f, 0.0f};
    default:
      *known = false;
      return {0.0f, 0.0f};
  }
}

}  // namespace

const DroneKind& KindOf(int kind) {
  if (kind < 0 || kind > 2) return kNoKind;
  return kDroneKinds[kind];
}

bool LaserIsLethal(const Laser& laser) {
  return laser.age > kLaserLethalAfter && laser.age < kLaserLethalUntil;
}

void UpdatePlayer() {
  Player& p = *g_player;
  ApplyControls(p);
  // The thrust of this tick is damped in the same tick, and the heading turns by the
  // damped rate.
  p.turnRate = p.turnRate * kDamping;
  p.heading = p.heading + p.turnRate;
  p.vx = p.vx * kDamping;
  p.vy = p.vy * kDamping;
  // The beam aims along the new heading but from the position before this tick's move.
  UpdateBeam(p);
  MoveWithinWalls(p);
  if (TouchesDrone(p) || CrossesLaser(p)) EndGame(p);
}

void SetControl(bool add, Vec2 v) {
  std::list<Vec2>& controls = g_player->controls;
  if (add) {
    for (const Vec2& c : controls) {
      if (SameControl(c, v)) return;
    }
    controls.push_back(v);
  } else {
    controls.remove_if([v](const Vec2& c) { return SameControl(c, v); });
  }
}

void OnKeyDown(int sym) {
  if (g_gameOver) {
    NewGame();  // the restarting key neither steers nor fires
    return;
  }
  if (sym == kKeyFire) {
    g_player->beamOn = true;  // whatever the energy: an empty beam fires for one tick
    return;
  }
  bool known = false;
  const Vec2 v = ControlOf(sym, &known);
  if (known) SetControl(true, v);
}

void OnKeyUp(int sym) {
  if (g_player == nullptr) return;
  if (sym == kKeyFire) {
    g_player->beamOn = false;
    return;
  }
  bool known = false;
  const Vec2 v = ControlOf(sym, &known);
  if (known) SetControl(false, v);
}
