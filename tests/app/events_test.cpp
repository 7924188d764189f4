// A gamepad reaches the game through SDL's own queue and the real loop, as the keyboard does.
#include "app/events.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/player.h"
#include "game/world.h"

namespace {

struct Run {
  uint32_t clock;
  int steps;
  int until;
};

// SDL's queue, then a close of the window once the steps are done.
bool Poll(void* context, LoopEvent* event) {
  if (PollSdlEvent(nullptr, event)) return true;
  if (static_cast<Run*>(context)->steps < static_cast<Run*>(context)->until) return false;
  *event = {LoopEventType::kQuit, 0};
  return true;
}
uint32_t Clock(void* context) {
  return static_cast<Run*>(context)->clock += 6;
}
void Step(void* context) {
  ++static_cast<Run*>(context)->steps;
  UpdateWorld();
}
void Down(void*, int sym) {
  OnKeyDown(sym);
}
void Up(void*, int sym) {
  OnKeyUp(sym);
}

void Push(Uint8 type, int which, int value) {
  SDL_Event e = {};
  e.type = type;
  if (type == SDL_JOYAXISMOTION) {
    e.jaxis.axis = static_cast<Uint8>(which);
    e.jaxis.value = static_cast<Sint16>(value);
  } else {
    e.jbutton.button = static_cast<Uint8>(which);
  }
  ASSERT_EQ(SDL_PushEvent(&e), 0);
}

void RunSteps(int steps) {
  Run run = {0, 0, steps};
  RunMainLoop({&run, Poll, Clock, Step, Down, Up, nullptr});
}

}  // namespace

TEST(PadEvents, AStickTurnsTheShipAndAButtonFiresAndStartsANewGame) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  NewGame();
  Push(SDL_JOYAXISMOTION, 0, -32768);
  Push(SDL_JOYBUTTONDOWN, 3, 0);
  RunSteps(20);
  EXPECT_TRUE(g_player->beamOn);
  EXPECT_GT(g_player->heading, 0.0f) << "left turns counter-clockwise";
  Push(SDL_JOYAXISMOTION, 0, 0);
  Push(SDL_JOYBUTTONUP, 3, 0);
  RunSteps(1);
  EXPECT_TRUE(!g_player->beamOn && g_player->controls.empty());
  g_gameOver = true;
  Push(SDL_JOYBUTTONDOWN, 0, 0);
  RunSteps(1);
  EXPECT_FALSE(g_gameOver);
  EXPECT_EQ(g_tick, 1);
  FreeWorld();
  SDL_Quit();
}
