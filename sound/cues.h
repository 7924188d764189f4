// What one tick did that the player should hear, found by comparing a glance at the world
// taken before the step with the world after it. Reads the world and never writes it.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kKinds = 3;  // drone kinds 0, 1 and 2

// Many events of one sort in one tick: how many, and where across the screen.
struct CueEvent {
  int count;   // 0 when nothing of the sort happened
  float sumX;  // the events' x added up, pixels; the sound stands at the mean
};

// What happened in one tick (or, merged, in a few ticks in a row).
struct TickCues {
  bool newGame;             // the tick was the first of a fresh game
  CueEvent kills[kKinds];   // drones the beam killed, by kind, at their x
  CueEvent lasersAppeared;  // new lasers, at their midpoints
  CueEvent lasersDeadly;    // lasers that turned deadly for the next tick
  CueEvent lasersHarmless;  // lasers whose deadly time just ended
  int wave;                 // 0, or the spawn interval left by the wave that came
  bool died;                // the ship was hit
  bool beamFiring;          // the beam fired in the tick
  bool thrust;              // Up or Down was held through the tick
  float energy;             // the beam's energy after the tick, 0 to 100
  float shipX;              // where the ship is, pixels
};

// The part of the world that FindCues compares: plain copies, no pointer to follow, since
// the tick frees the records of killed drones and finished lasers.
struct WorldGlance {
  struct Record {
    uintptr_t id;  // the record's address, compared as a number and never dereferenced
    float x;       // a drone's position; unused for lasers
    int value;     // a drone's kind, or a laser's age
  };
  int tick;
  bool gameOver;
  float energy;
  std::vector<Record> drones;  // in list order
  std::vector<Record> lasers;  // in list order
};

// Takes the glance just before a step. Keeps the vectors' memory from tick to tick.
void TakeGlance(WorldGlance* glance);

// What the step after `before` did, from the world as it stands now. A new game begun
// between the glance and the tick (a replay hands the keys over there) is heard as a new
// game, never as the old game's drones all dying.
TickCues FindCues(const WorldGlance& before);

// A tick after the last one: nothing new, the beam and the engine let go where the ship is,
// and the sounds still playing left to ring out.
TickCues QuietCues();

// Folds `later` into `cues`, as if both ticks had been one: events add up, and the state of
// the beam, the thrust and the ship is the later one's.
void MergeCues(TickCues* cues, const TickCues& later);
