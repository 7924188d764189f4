// A gamepad reaches the game through SDL's own queue and the real loop, as the keyboard does.
#include "app/events.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/player.h"
#include "game/world.h"

namespace {

int g_clock = 0;
int g_dry = 0;  // times the queue ran dry

// SDL's queue, then a step, then a close of the window.
bool Poll(void*, LoopEvent* event) {
  if (PollSdlEvent(nullptr, event)) return true;
  *event = {LoopEventType::kQuit, 0};
  return g_dry++ > 0;
}

void Push(Uint8 type, int which, int value = 0) {
  SDL_Event e = {};
  e.type = type;
  e.jaxis.axis = e.jbutton.button = static_cast<Uint8>(which);
  if (type == SDL_JOYAXISMOTION) e.jaxis.value = static_cast<Sint16>(value);
  ASSERT_EQ(SDL_PushEvent(&e), 0);
}

// The pushed events, then one pass with a step.
void RunPass() {
  g_clock = g_dry = 0;
  RunMainLoop({nullptr, Poll, [](void*) { return static_cast<uint32_t>(g_clock += 11); },
               [](void*) { UpdateWorld(); }, [](void*, int sym) { OnKeyDown(sym); },
               [](void*, int sym) { OnKeyUp(sym); }, nullptr});
}

}  // namespace

TEST(PadEvents, AStickTurnsTheShipAndAButtonFiresAndStartsANewGame) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);  // a queue without a display
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  NewGame();
  Push(SDL_JOYAXISMOTION, 0, -32768);
  Push(SDL_JOYBUTTONDOWN, 3);
  RunPass();
  EXPECT_TRUE(g_player->beamOn);
  EXPECT_GT(g_player->turnRate, 0.0f) << "left turns counter-clockwise";
  Push(SDL_JOYAXISMOTION, 0, 0);
  Push(SDL_JOYBUTTONUP, 3);
  RunPass();
  EXPECT_FALSE(g_player->beamOn);
  EXPECT_TRUE(g_player->controls.empty());
  g_gameOver = true;
  Push(SDL_JOYBUTTONDOWN, 0);
  RunPass();
  EXPECT_FALSE(g_gameOver);
  EXPECT_EQ(g_tick, 1);
  FreeWorld();
  SDL_Quit();
}
