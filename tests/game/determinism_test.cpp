// The whole game is one reproducible sequence: the same seed and the same keys give the
// same world, bit for bit, and no record ever holds a NaN or an infinity.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/player.h"
#include "tests/game/world_fixture.h"

namespace {

bool Finite(std::initializer_list<float> values) {
  for (float v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

template <typename T>
void Append(std::vector<uint8_t>& out, const T& value) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof value);
}

// Every field of every record and every global, in list order.
std::vector<uint8_t> Snapshot() {
  std::vector<uint8_t> out;
  const Player& p = *g_player;
  for (float f : {p.x, p.y, p.vx, p.vy, p.heading, p.turnRate, p.energy, p.beamIntensity}) {
    Append(out, f);
  }
  Append(out, p.score);
  Append(out, p.beamOn);
  for (const Vec2& c : p.controls) Append(out, c);
  for (const Drone* d : g_drones) {
    for (float f : {d->x, d->y, d->vx, d->vy, d->heading, d->turnRate}) Append(out, f);
    Append(out, d->kind);
    Append(out, d->dead);
  }
  for (const Laser* l : g_lasers) {
    for (float f : {l->x0, l->y0, l->x1, l->y1, l->intensity, l->width}) Append(out, f);
    Append(out, l->age);
    Append(out, l->done);
  }
  for (int g : {g_tick, g_spawnInterval, g_bestScore, static_cast<int>(g_gameOver)}) Append(out, g);
  return out;
}

bool WorldIsFinite() {
  const Player& p = *g_player;
  if (!Finite({p.x, p.y, p.vx, p.vy, p.heading, p.turnRate, p.energy, p.beamIntensity})) {
    return false;
  }
  for (const Drone* d : g_drones) {
    if (!Finite({d->x, d->y, d->vx, d->vy, d->heading, d->turnRate})) return false;
  }
  for (const Laser* l : g_lasers) {
    if (!Finite({l->x0, l->y0, l->x1, l->y1, l->intensity, l->width})) return false;
  }
  return true;
}

// A scripted player: keys pressed and released on fixed ticks from the test's own
// generator, a new game a few ticks after each death. Returns a snapshot every 100 ticks.
std::vector<std::vector<uint8_t>> PlayScripted(int ticks, int* games) {
  std::srand(12345);
  g_bestScore = 0;
  NewGame();
  uint32_t script = 2463534242u;
  const int keys[] = {kKeyFire, kKeyUp, kKeyDown, kKeyLeft, kKeyRight};
  std::vector<std::vector<uint8_t>> snapshots;
  *games = 1;
  int deadFor = 0;
  for (int t = 0; t < ticks; ++t) {
    script ^= script << 13;
    script ^= script >> 17;
    script ^= script << 5;
    if (g_gameOver && ++deadFor == 20) {
      deadFor = 0;
      OnKeyDown(kKeyFire);  // starts a new game
      ++*games;
    } else if (script % 7 == 0) {
      const int key = keys[(script >> 8) % 5];
      if ((script >> 16) % 2) {
        OnKeyDown(key);
      } else {
        OnKeyUp(key);
      }
    }
    UpdateWorld();
    EXPECT_TRUE(WorldIsFinite()) << "tick " << t;
    if (::testing::Test::HasFailure()) break;
    if (t % 100 == 0) snapshots.push_back(Snapshot());
  }
  return snapshots;
}

}  // namespace

using DeterminismTest = WorldTest;

TEST_F(DeterminismTest, ScriptedGamesReplayBitForBit) {
  int gamesA = 0, gamesB = 0;
  const auto a = PlayScripted(15000, &gamesA);
  const auto b = PlayScripted(15000, &gamesB);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i], b[i]) << "diverged by tick " << i * 100;
  EXPECT_EQ(gamesA, gamesB);
  EXPECT_GT(gamesA, 1);
}
