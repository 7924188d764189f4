// The real game under Xvfb, played with real key events and judged by what its window shows.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>

#include "tests/e2e/game_process.h"

namespace {

// Colours as they settle on screen: the HUD is opaque green (0.2, 1, 0.2), the ship a
// translucent green redrawn every frame, the beam blue, "game over" opaque red.
bool HudGreen(const Pixel& p) {
  return p.r == 51 && p.g == 255 && p.b == 51;
}
bool ShipGreen(const Pixel& p) {
  return p.g > 60 && p.r < p.g / 3 && p.b < p.g / 3;
}
bool BeamBlue(const Pixel& p) {
  return p.b > 60 && p.r < p.b / 3 && p.g < p.b / 3;
}
bool TextRed(const Pixel& p) {
  return p.r >= 250 && p.g < 30 && p.b < 30;
}

// The energy bar's length in pixels, along its middle row.
int EnergyBar(const Capture& c) {
  int x = 120;
  while (x < 240 && HudGreen(c.At(x, 10))) ++x;
  return x - 120;
}

// Mean height of the ship's pixels in the play area, above the HUD.
double ShipHeight(const Capture& c) {
  long sum = 0, n = 0;
  for (int y = 40; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (ShipGreen(c.At(x, y)) && c.At(x, y).g > 150) {
        sum += y;
        ++n;
      }
    }
  }
  return n == 0 ? -1.0 : static_cast<double>(sum) / n;
}

bool GameOverShown(const Capture& c) {
  return c.Count(128, 270, 512, 350, TextRed) > 200;
}

// The game ends within a second of `what` (Escape, a close request) with status 0.
void ExpectQuitsAtOnce(GameProcess& game, const char* what) {
  const double start = Now();
  int status = 0;
  ASSERT_TRUE(game.WaitForExit(5, &status)) << what << ": still running after 5 s";
  EXPECT_LT(Now() - start, 1.0) << what;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << what << ": " << status;
}

void Started(GameProcess& game) {
  ASSERT_TRUE(game.FindWindow(10.0)) << "no window within 10 s; stderr: " << game.StandardError();
  Sleep(0.5);  // a few dozen frames, so that the picture has settled
}

}  // namespace

TEST(EndToEnd, StartsWithTheHudAndTheShipAtTheCentre) {
  GameProcess game;
  Started(game);
  const Capture c = game.Grab();
  ASSERT_EQ(c.width, 640);
  ASSERT_EQ(c.height, 480);
  EXPECT_EQ(EnergyBar(c), 100);
  EXPECT_FALSE(HudGreen(c.At(225, 10)));
  EXPECT_GT(c.Count(240, 5, 400, 22, HudGreen), 50) << "score line";
  EXPECT_GT(c.Count(440, 10, 600, 27, HudGreen), 50) << "best score line";
  EXPECT_GT(c.Count(40, 5, 110, 22, HudGreen), 30) << "energy label";
  EXPECT_GT(c.Count(310, 235, 331, 260, ShipGreen), 20) << "ship";
  EXPECT_EQ(c.Count(0, 40, 640, 480, ShipGreen), c.Count(310, 235, 331, 260, ShipGreen));
}

TEST(EndToEnd, ThrustMovesTheShipAndTheBeamCostsEnergy) {
  GameProcess game;
  Started(game);
  const double atRest = ShipHeight(game.Grab());
  EXPECT_NEAR(atRest, 245, 6);
  game.Press("Up");
  Sleep(1.0);
  game.Release("Up");
  const double moved = ShipHeight(game.Grab());
  EXPECT_GT(moved, atRest + 30) << "holding Up for a second";

  game.Press("z");
  Sleep(0.4);
  const Capture firing = game.Grab();
  EXPECT_GT(firing.Count(0, 40, 640, 480, BeamBlue), 50) << "the beam";
  const int drained = EnergyBar(firing);
  EXPECT_LT(drained, 90);
  game.Release("z");
  Sleep(0.4);
  const Capture after = game.Grab();
  EXPECT_GT(EnergyBar(after), drained) << "refilling after release";
  EXPECT_TRUE(game.Running());
}

TEST(EndToEnd, EscapeEndsAtOnceDuringPlayAndAfterGameOver) {
  {
    GameProcess game;
    Started(game);
    game.Press("Left");
    Sleep(0.3);
    game.Press("Escape");
    ExpectQuitsAtOnce(game, "Escape during play");
  }
  {
    // Left alone, the ship is caught by the first waves within some ten seconds.
    GameProcess game;
    Started(game);
    const double end = Now() + 40;
    bool over = false;
    while (!over && Now() < end) {
      Sleep(0.25);
      over = GameOverShown(game.Grab());
    }
    ASSERT_TRUE(over) << "no \"game over\" within 40 s";
    game.Press("Escape");
    ExpectQuitsAtOnce(game, "Escape after game over");
  }
}

TEST(EndToEnd, ClosingTheWindowEndsTheGame) {
  GameProcess game;
  Started(game);
  game.RequestClose();
  ExpectQuitsAtOnce(game, "the close request");
}

TEST(EndToEnd, WithoutADisplayItSaysSoOnOneLineAndFails) {
  for (const char* display : {"DISPLAY", "DISPLAY=:4093"}) {
    GameProcess game({display});
    int status = 0;
    ASSERT_TRUE(game.WaitForExit(10, &status)) << display;
    EXPECT_TRUE(WIFEXITED(status)) << "ended by a signal: " << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = game.StandardError();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(err.rfind("driftbeam: ", 0), 0u) << err;
  }
}

TEST(EndToEnd, SurvivesAMinuteWithTheBeamHeld) {
  GameProcess game;
  Started(game);
  game.Press("z");
  Sleep(60);
  ASSERT_TRUE(game.Running());
  const Capture held = game.Grab();
  EXPECT_GT(held.Count(240, 5, 400, 22, HudGreen), 50) << "score line";
  // Still drawing and still answering keys. Whether the ship is dead by now depends on which
  // tick the first press landed on, as its kills change the draws that follow. After a death
  // a key starts a new game and the message goes; alive, the beam (off since its energy ran
  // out, z still held) fires again at the next press and drains the refilled bar.
  game.Release("z");
  if (GameOverShown(held)) {
    game.Press("space");
    Sleep(0.3);
    EXPECT_FALSE(GameOverShown(game.Grab()));
  } else {
    Sleep(0.1);
    game.Press("z");
    Sleep(0.4);
    const Capture firing = game.Grab();
    EXPECT_LT(EnergyBar(firing), 100);
    EXPECT_GT(firing.Count(0, 40, 640, 480, BeamBlue), 50) << "the beam";
    game.Release("z");
  }
  game.Press("Escape");
  ExpectQuitsAtOnce(game, "Escape after a minute");
}
