#include "demo/checkpoint.h"

#include "game/maths.h"
#include "game/world.h"

namespace {

// FNV-1a, 64 bits, over each value's bytes.
struct Digest {
  uint64_t hash = 14695981039346656037ull;

  void Bytes(const void* data, size_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
      hash ^= bytes[i];
      hash *= 1099511628211ull;
    }
  }
  // Least significant byte first whatever the processor's order, so that a recording made
  // on one machine checks on any other.
  void Int(int64_t value) {
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i)
      bytes[i] = static_cast<unsigned char>(static_cast<uint64_t>(value) >> (8 * i));
    Bytes(bytes, sizeof bytes);
  }
  // By its bits, so that -0 and 0, or two NaNs, are told apart as the simulation does.
  void Float(float value) { Int(BitsOf(value)); }
};

}  // namespace

void TakeRandFingerprint(uint32_t fingerprint[kFingerprintValues]) {
  UseLibraryMaths(true);
  for (int i = 0; i < kFingerprintValues; ++i) fingerprint[i] = static_cast<uint32_t>(DrawRandom());
  SetRandomDraws(0);
}

Checkpoint TakeCheckpoint(int64_t step) {
  const Player& p = *g_player;
  Digest d;
  d.Int(g_tick);
  d.Int(g_spawnInterval);
  d.Int(g_gameOver);
  d.Int(g_bestScore);
  for (const float f : {p.x, p.y, p.vx, p.vy, p.heading, p.turnRate, p.energy, p.beamIntensity}) {
    d.Float(f);
  }
  d.Int(p.score);
  d.Int(p.beamOn);
  d.Int(static_cast<int64_t>(p.controls.size()));
  for (const Vec2& c : p.controls) {
    d.Float(c.x);
    d.Float(c.y);
  }
  d.Int(static_cast<int64_t>(g_drones.size()));
  for (const Drone* e : g_drones) {
    for (const float f : {e->x, e->y, e->vx, e->vy, e->heading, e->turnRate}) d.Float(f);
    d.Int(e->kind);
    d.Int(e->dead);
  }
  d.Int(static_cast<int64_t>(g_lasers.size()));
  for (const Laser* l : g_lasers) {
    for (const float f : {l->x0, l->y0, l->x1, l->y1, l->intensity, l->width}) d.Float(f);
    d.Int(l->done);
    d.Int(l->age);
  }
  return {step, g_tick, p.score, g_bestScore, BitsOf(p.energy), d.hash};
}

bool StepWorld() {
  const bool over = g_gameOver;
  UpdateWorld();
  return g_gameOver && !over;
}
