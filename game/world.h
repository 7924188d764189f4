// The world of one game: its records, its globals, a new game and the 10 ms tick.
// Plain C++ only: no SDL and no OpenGL, so the whole simulation runs headless.
#pragma once

#include <list>

// A held control direction, and a point on the screen.
struct Vec2 {
  float x;
  float y;
};

// The ship. One lives from one NewGame to the next.
struct Player {
  float x;                   // position, pixels
  float y;                   // position, pixels
  float vx;                  // velocity, pixels per tick
  float vy;                  // velocity, pixels per tick
  std::list<Vec2> controls;  // held directions, oldest press first, no two equal
  int score;                 // points of this game
  float heading;             // radians, 0 points up, counter-clockwise positive; never wrapped
  float turnRate;            // radians added to heading per tick
  bool beamOn;               // the beam fires in the next tick
  float energy;              // beam energy, whole numbers, 100 is full
  float beamIntensity;       // drawn brightness of the beam; trails beamOn by up to 20 ticks
};

// One enemy. Freed by the drone pass of the tick that finds it dead, or by NewGame.
struct Drone {
  float x;         // position, pixels; not kept on the screen
  float y;         // position, pixels
  float vx;        // velocity, pixels per tick
  float vy;        // velocity, pixels per tick
  float heading;   // drawn orientation, radians; never changes the drone's path
  float turnRate;  // radians added to heading per tick (kinds 0 and 2)
  int kind;        // 0 chaser, 1 leading chaser, 2 large chaser
  bool dead;       // hit by the beam this tick; removed by this tick's drone pass
};

// One hazard line from screen edge to screen edge. Freed by the laser pass after done is set.
struct Laser {
  float x0;         // first end point, pixels
  float y0;         // first end point, pixels
  float x1;         // second end point, on another edge
  float y1;         // second end point
  bool done;        // faded out; the next tick's laser pass removes it
  int age;          // updates had, 0 when made
  float intensity;  // brightness, 0 to 0.99 and a step below 0 at the end
  float width;      // drawn width in pixels; set by the laser's first update
};

extern Player* g_player;            // the current ship; null only before the first NewGame
extern std::list<Drone*> g_drones;  // every drone, oldest first; owns its records
extern std::list<Laser*> g_lasers;  // every laser, oldest first; owns its records
extern int g_tick;                  // running ticks since NewGame
extern int g_spawnInterval;         // a wave comes on ticks that are a multiple of it
extern bool g_gameOver;             // the ship was hit; the world stands still
extern int g_bestScore;             // best score since start-up, never reset

// Frees the old world, if any, and sets up a fresh game. Keeps g_bestScore.
void NewGame();

// One 10 ms tick: the ship, the wave that is due, the drone pass, the laser pass.
void UpdateWorld();

// Frees the ship and every drone and laser; g_player is null afterwards. Called at exit.
void FreeWorld();

// The point on a screen edge (0 left, 1 right, 2 top, 3 bottom) picked by the draw r >= 0.
Vec2 EdgePoint(int edge, int r);
