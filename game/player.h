// The ship's step in every tick, its key handlers, and what each drone kind is worth.
#pragma once

#include "game/world.h"

// Key symbols as the keyboard interface delivers them.
constexpr int kKeyFire = 122;   // z
constexpr int kKeyUp = 273;     // arrow up: thrust
constexpr int kKeyDown = 274;   // arrow down: reverse thrust
constexpr int kKeyRight = 275;  // arrow right: turn clockwise
constexpr int kKeyLeft = 276;   // arrow left: turn counter-clockwise

// How close the beam and the ship must come to a drone of one kind, as squared distances.
struct DroneKind {
  float beamRadius2;     // the beam kills below this squared distance from its line
  float contactRadius2;  // the ship dies below this squared distance from the drone
  int points;            // score for a beam kill
};

// The kind's row; a kind outside 0 to 2 can neither be hit nor touch the ship.
const DroneKind& KindOf(int kind);

// A laser of this age kills what it crosses.
bool LaserIsLethal(const Laser& laser);

// The ship's step: controls, damping, beam and energy, walls, move, contact, game over.
void UpdatePlayer();

// Adds v to the held controls unless an equal entry is there, or removes every equal entry.
void SetControl(bool add, Vec2 v);

// A key press during play steers or fires; after a death it starts a new game and does
// nothing else.
void OnKeyDown(int sym);

// A key release stops what its press started, game over or not.
void OnKeyUp(int sym);
