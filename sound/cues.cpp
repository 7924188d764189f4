#include "sound/cues.h"

#include "game/player.h"
#include "game/world.h"

namespace {

uintptr_t IdOf(const void* record) {
  return reinterpret_cast<uintptr_t>(record);
}

void Add(CueEvent* event, float x) {
  event->count += 1;
  event->sumX += x;
}

void Fold(CueEvent* into, const CueEvent& more) {
  into->count += more.count;
  into->sumX += more.sumX;
}

bool Lethal(int age) {
  Laser laser = {};
  laser.age = age;
  return LaserIsLethal(laser);
}

bool ThrustHeld(const Player& p) {
  for (const Vec2& c : p.controls) {
    if (c.y > 0.01f || c.y < -0.01f) return true;
  }
  return false;
}

}  // namespace

void TakeGlance(WorldGlance* glance) {
  glance->tick = g_tick;
  glance->gameOver = g_gameOver;
  glance->energy = g_player->energy;
  glance->drones.clear();
  for (const Drone* d : g_drones) glance->drones.push_back({IdOf(d), d->x, d->kind});
  glance->lasers.clear();
  for (const Laser* l : g_lasers) glance->lasers.push_back({IdOf(l), 0.0f, l->age});
}

TickCues FindCues(const WorldGlance& before) {
  const Player& p = *g_player;
  TickCues cues = {};
  cues.energy = p.energy;
  cues.shipX = p.x;
  // The first tick of every game leaves the counter at 1, whenever the new game began (a
  // game over at 1 only stands still). The glance may then show the last game, which is no
  // part of this one: the new game is compared with a fresh world, empty and at full energy.
  cues.newGame = g_tick == 1 && !(before.tick == 1 && before.gameOver);
  static const WorldGlance kFresh = {0, false, 100.0f, {}, {}};
  const WorldGlance& was = cues.newGame ? kFresh : before;
  if (g_tick == was.tick) return cues;  // the game is over: nothing moved
  cues.died = g_gameOver;
  // A firing tick costs energy and an idle one never does.
  cues.beamFiring = p.energy < was.energy;
  cues.thrust = ThrustHeld(p);

  // Ticks keep both lists in order: the tick erases killed drones and finished lasers where
  // they stand and appends a wave's records at the back. It also makes its records before
  // it frees any, so a new record never takes the address of one that went in this tick.
  // Whatever of the glance is missing is gone, and whatever follows the last survivor is new.
  auto drone = g_drones.begin();
  for (const WorldGlance::Record& d : was.drones) {
    if (drone != g_drones.end() && IdOf(*drone) == d.id) {
      ++drone;
    } else if (d.value >= 0 && d.value < kKinds) {
      Add(&cues.kills[d.value], d.x);  // only the beam takes a drone away
    }
  }
  const bool newDrones = drone != g_drones.end();
  auto laser = g_lasers.begin();
  for (const WorldGlance::Record& l : was.lasers) {
    if (laser == g_lasers.end() || IdOf(*laser) != l.id) continue;  // finished
    const float x = ((*laser)->x0 + (*laser)->x1) * 0.5f;
    const bool lethal = LaserIsLethal(**laser);
    if (lethal && !Lethal(l.value)) Add(&cues.lasersDeadly, x);
    if (!lethal && Lethal(l.value)) Add(&cues.lasersHarmless, x);
    ++laser;
  }
  for (; laser != g_lasers.end(); ++laser) {
    Add(&cues.lasersAppeared, ((*laser)->x0 + (*laser)->x1) * 0.5f);
  }
  // Only a wave makes records, and every wave makes at least one.
  if (newDrones || cues.lasersAppeared.count > 0) cues.wave = g_spawnInterval;
  return cues;
}

TickCues QuietCues() {
  TickCues quiet = {};
  quiet.shipX = g_player->x;
  return quiet;
}

void MergeCues(TickCues* cues, const TickCues& later) {
  cues->newGame = cues->newGame || later.newGame;
  for (int k = 0; k < kKinds; ++k) Fold(&cues->kills[k], later.kills[k]);
  Fold(&cues->lasersAppeared, later.lasersAppeared);
  Fold(&cues->lasersDeadly, later.lasersDeadly);
  Fold(&cues->lasersHarmless, later.lasersHarmless);
  if (later.wave != 0) cues->wave = later.wave;
  cues->died = cues->died || later.died;
  cues->beamFiring = later.beamFiring;
  cues->thrust = later.thrust;
  cues->energy = later.energy;
  cues->shipX = later.shipX;
}
