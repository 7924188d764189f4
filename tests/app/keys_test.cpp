// The browser's arrows reach the game as the desktop's; a swapped pair would steer backwards.
#include "app/keys.h"

#include <gtest/gtest.h>

#include "app/loop.h"
#include "game/player.h"

TEST(BrowserKeys, ArrowsBecomeTheDesktopsAndEveryOtherKeyStaysAsItIs) {
  const struct {
    int browser;
    int game;
  } cases[] = {{1103, kKeyRight},      {1104, kKeyLeft},
               {1105, kKeyDown},       {1106, kKeyUp},
               {kKeyFire, kKeyFire},   {kKeyEscape, kKeyEscape},
               {kKeyPause, kKeyPause}, {kKeyUp, kKeyUp},
               {1102, 1102},           {1107, 1107}};
  for (const auto& c : cases) EXPECT_EQ(KeyFromBrowser(c.browser), c.game) << c.browser;
}
