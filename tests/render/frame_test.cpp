// Whole frames on a real OpenGL context: the HUD where it belongs, the game-over lines, the
// fade that leaves trails, the order of drawing, and a frame that only reads the world.
#include "render/frame.h"

#include <climits>
#include <vector>

#include "tests/render/allocation_counter.h"
#include "tests/render/gl_fixture.h"

namespace {

class Frame : public GlTest {
 protected:
  static Drone* AddDrone(int kind, float x, float y) {
    Drone* d = new Drone{x, y, 0.0f, 0.0f, 0.0f, 0.0f, kind, false};
    g_drones.push_back(d);
    return d;
  }

  static Laser* AddLaser(float x0, float y0, float x1, float y1, float intensity, float width) {
    Laser* l = new Laser{x0, y0, x1, y1, false, 120, intensity, width};
    g_lasers.push_back(l);
    return l;
  }
};

// Where the HUD lives: the energy label and bar on the left, then the score and best lines.
constexpr Rect kEnergyLabel = {30, 0, 112, 30};
constexpr Rect kEnergyBar = {112, 0, 232, 30};
constexpr Rect kScoreLine = {232, 0, 432, 30};
constexpr Rect kBestLine = {432, 0, 640, 40};
constexpr Rect kTitle = {0, 260, 640, 360};
constexpr Rect kFinalScore = {0, 180, 640, 250};

}  // namespace

TEST_F(Frame, NewGameShowsScoreBestAndAFullEnergyBar) {
  g_bestScore = 1234;
  RenderFrame();
  const Picture picture = Picture::Read();

  // The bar covers x 120 to 220 and y 5 to 15: pixels 120 to 219 and rows 5 to 14.
  const Extent bar = picture.Find(IsHudGreen, kEnergyBar);
  EXPECT_EQ(bar.count, 100 * 10);
  EXPECT_EQ(bar.minX, 120);
  EXPECT_EQ(bar.maxX, 219);
  EXPECT_EQ(bar.minY, 5);
  EXPECT_EQ(bar.maxY, 14);
  EXPECT_GT(picture.Find(IsHudGreen, kEnergyLabel).count, 50);

  // "score: 0" from x 240 on its baseline at y 5, its last stroke the right side of the 0 at
  // 240 + 16 * 4.8. Strokes are 2 wide, and a pixel is lit when its centre is covered: a
  // vertical stroke at x lights the pixels up to x + 0.5.
  const Extent score = picture.Find(IsHudGreen, kScoreLine);
  EXPECT_EQ(score.minX, 239);
  EXPECT_EQ(score.maxX, 317);
  EXPECT_EQ(score.minY, 4);
  EXPECT_EQ(score.maxY, 21);
  // "best: 1234" from x 440, five pixels higher.
  const Extent best = picture.Find(IsHudGreen, kBestLine);
  EXPECT_EQ(best.minX, 439);
  EXPECT_EQ(best.minY, score.minY + 5);
  EXPECT_EQ(best.maxY, score.maxY + 5);
  EXPECT_NEAR(best.maxX, 440 + 16 * (3.4 + 1.7 + 0.5), 2);  // the end of the 4's bar

  // Nothing else in the HUD's colours, and no game-over text.
  EXPECT_EQ(picture.Find(IsHudGreen, {0, 40, 640, 480}).count, 0);
  EXPECT_EQ(picture.Find(IsTextRed).count, 0);
}

TEST_F(Frame, EnergyBarIsOnePixelPerUnit) {
  g_player->energy = 37.0f;
  RenderFrame();
  Extent bar = Picture::Read().Find(IsHudGreen, kEnergyBar);
  EXPECT_EQ(bar.minX, 120);
  EXPECT_EQ(bar.maxX, 156);
  EXPECT_EQ(bar.count, 37 * 10);

  // Empty: no bar at all, the label all the same.
  ClearScreen();
  g_player->energy = 0.0f;
  RenderFrame();
  Picture picture = Picture::Read();
  EXPECT_EQ(picture.Find(IsLit, kEnergyBar).count, 0);
  EXPECT_GT(picture.Find(IsHudGreen, kEnergyLabel).count, 50);

  // The -1 that one tick of firing can leave reaches back one pixel, whichever way the quad
  // winds then.
  ClearScreen();
  g_player->energy = -1.0f;
  RenderFrame();
  bar = Picture::Read().Find(IsHudGreen, kEnergyBar);
  EXPECT_EQ(bar.count, 10);
  EXPECT_EQ(bar.minX, 119);
  EXPECT_EQ(bar.maxX, 119);
}

TEST_F(Frame, GameOverShowsTheTitleAndFinalScoreCentred) {
  g_player->score = 350;
  g_bestScore = 350;
  g_gameOver = true;
  RenderFrame();
  const Picture picture = Picture::Read();

  // "game over" at 64 measures 384 around x 320, so it starts at 128; its last stroke ends
  // 12.8 short of the far end, the advance after the r. The g hangs below the baseline at 280.
  const Extent title = picture.Find(IsTextRed, kTitle);
  EXPECT_EQ(title.minX, 127);
  EXPECT_EQ(title.maxX, 499);
  EXPECT_NEAR(title.minY, 280 - 6.4, 1.5);
  EXPECT_NEAR(title.maxY, 280 + 0.8 * 64, 1.5);

  // "score: 350" at 32, 204.8 wide, centred on x 320 with its baseline at 200.
  const Extent final = picture.Find(IsTextRed, kFinalScore);
  EXPECT_NEAR(final.minX, 320 - 102.4, 1.5);
  EXPECT_NEAR(final.maxX, 320 - 102.4 + 32 * 6.2, 1.5);
  EXPECT_EQ(final.minY, 199);
  EXPECT_NEAR(final.maxY, 200 + 32, 1.5);
  EXPECT_EQ(picture.Find(IsTextRed).count, title.count + final.count);

  // The HUD goes on underneath, with the same score, at full strength.
  EXPECT_EQ(picture.Find(IsHudGreen, kEnergyBar).count, 1000);
  EXPECT_EQ(picture.Find(IsHudGreen, kScoreLine).maxX,
            static_cast<int>(240 + 16 * (4.3 + 1.4 + 0.5) + 0.5));

  // The frozen world is drawn again each frame with the message at full strength; once a
  // new game starts the message is no longer drawn and fades like anything else.
  RenderFrame();
  EXPECT_EQ(Picture::Read().Find(IsTextRed).count, title.count + final.count);
  NewGame();
  RenderFrame();
  const Picture after = Picture::Read();
  EXPECT_EQ(after.Find(IsTextRed).count, 0);
  const Rgb faded = after.At(title.minX, (title.minY + title.maxY) / 2);
  EXPECT_TRUE(faded.r == 242 || faded.r == 243) << faded.r;
}

TEST_F(Frame, FadeKeepsNinetyFivePercentAFrame) {
  // A white picture, then frames in which nothing is drawn at (600, 300): that pixel falls
  // by 5 % a frame, give or take the rounding to 8 bits, while the HUD stays at full
  // strength.
  ClearScreen(1.0f, 1.0f, 1.0f);
  int last = 255;
  for (int frame = 1; frame <= 40; ++frame) {
    RenderFrame();
    const Picture picture = Picture::Read();
    const Rgb p = picture.At(600, 300);
    EXPECT_EQ(p.r, p.g);
    EXPECT_EQ(p.r, p.b);
    EXPECT_NEAR(p.r, last * 0.95, 1.0) << "frame " << frame;
    last = p.r;
    EXPECT_TRUE(IsHudGreen(picture.At(150, 10))) << "frame " << frame;
  }
  EXPECT_NEAR(last, 255 * 0.1285, 3);  // 0.95 to the 40th
}

TEST_F(Frame, LaterDrawingLiesOnTop) {
  // Ship, then drones, then lasers, all over the HUD.
  AddDrone(0, 320.0f, 245.0f);  // over the ship's middle
  AddDrone(0, 500.0f, 300.0f);  // under the first laser
  AddLaser(0.0f, 300.0f, 640.0f, 300.0f, 1.0f, 3.0f);
  AddLaser(0.0f, 10.0f, 640.0f, 10.0f, 1.0f, 3.0f);  // across the energy bar
  RenderFrame();
  const Picture picture = Picture::Read();

  // Red at 0.3 over the ship's green at 0.3: more red than green is left.
  const Rgb shipUnderDrone = picture.At(320, 245);
  EXPECT_GT(shipUnderDrone.r, 70);
  EXPECT_LT(shipUnderDrone.g, 60);
  EXPECT_GT(shipUnderDrone.g, 45);

  // Pink at 0.1 over the drone keeps all of the laser's blue; the other way round 30 % of it
  // would be lost under the drone.
  const Rgb droneUnderLaser = picture.At(500, 300);
  EXPECT_NEAR(droneUnderLaser.r, 0.1 * 255 + 0.9 * 76.5, 1.5);
  EXPECT_NEAR(droneUnderLaser.b, 12.75, 1.0);

  // The laser tints the opaque bar instead of vanishing under it.
  const Rgb barUnderLaser = picture.At(150, 10);
  EXPECT_NEAR(barUnderLaser.r, 0.1 * 255 + 0.9 * 51, 1.5);
  EXPECT_NEAR(barUnderLaser.g, 0.9 * 255, 1.5);
  EXPECT_NEAR(barUnderLaser.b, 0.1 * 127.5 + 0.9 * 51, 1.5);

  // The ship over the bar: its green at 0.3 takes 30 % of the bar's red and blue away.
  for (Drone* d : g_drones) delete d;
  g_drones.clear();
  for (Laser* l : g_lasers) delete l;
  g_lasers.clear();
  ClearScreen();
  g_player->x = 160.0f;
  g_player->y = 10.0f;
  g_player->heading = 1.5707964f;  // lying along the bar, nose toward x 145
  RenderFrame();
  const Rgb barUnderShip = Picture::Read().At(155, 10);
  EXPECT_NEAR(barUnderShip.r, 0.7 * 51, 1.5);
  EXPECT_EQ(barUnderShip.g, 255);
}

TEST_F(Frame, SetsItsOwnStateOnEveryFrame) {
  // Whatever the last drawing left behind, a frame blends, projects one unit to a pixel and
  // starts from the identity.
  ClearScreen(1.0f, 1.0f, 1.0f);
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(50.0f, 60.0f, 0.0f);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glLineWidth(7.0f);

  RenderFrame();
  const Picture picture = Picture::Read();
  const Rgb background = picture.At(600, 300);
  EXPECT_TRUE(background.r == 242 || background.r == 243) << background.r;
  const Extent bar = picture.Find(IsHudGreen, kEnergyBar);
  EXPECT_EQ(bar.minX, 120);
  EXPECT_EQ(bar.minY, 5);
  EXPECT_EQ(bar.count, 1000);

  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(LineWidth(), 1.0f);
}

TEST_F(Frame, ReadsTheWorldOnlyAndAllocatesNothing) {
  g_player->score = INT_MIN;  // the longest line the score can make
  g_bestScore = INT_MAX;
  g_player->beamIntensity = 0.7f;
  g_player->heading = 1.0f;
  g_gameOver = true;
  AddDrone(0, 100.0f, 400.0f);
  AddDrone(1, 150.0f, 400.0f);
  AddDrone(2, 200.0f, 400.0f)->dead = true;  // the frame draws what the tick left listed
  AddDrone(9, 250.0f, 400.0f);
  AddLaser(0.0f, 440.0f, 640.0f, 440.0f, 0.99f, 10.0f)->done = true;

  const Player player = *g_player;
  std::vector<Drone> drones;
  for (const Drone* d : g_drones) drones.push_back(*d);
  const Laser laser = *g_lasers.front();
  const std::vector<Drone*> droneRecords(g_drones.begin(), g_drones.end());
  const int tick = g_tick, interval = g_spawnInterval;

  RenderFrame();
  // The dead drone and the done laser are drawn all the same.
  const Picture picture = Picture::Read();
  EXPECT_GT(picture.Find(IsDroneRed, {185, 375, 215, 425}).count, 300);
  EXPECT_GT(picture.Find(IsLaserPink, {0, 430, 640, 450}).count, 6000);

  // Mesa's software renderer compiles its shaders, with C++ allocations of its own, over
  // the first two frames of a kind; from then on a frame allocates nothing at all.
  RenderFrame();
  RenderFrame();
  const long allocations = AllocationsSoFar();
  for (int i = 0; i < 5; ++i) RenderFrame();
  EXPECT_EQ(AllocationsSoFar(), allocations);

  const Player& p = *g_player;
  EXPECT_TRUE(p.x == player.x && p.y == player.y && p.vx == player.vx && p.vy == player.vy);
  EXPECT_TRUE(p.controls.empty());
  EXPECT_EQ(p.score, INT_MIN);
  EXPECT_TRUE(p.heading == player.heading && p.turnRate == player.turnRate);
  EXPECT_TRUE(p.beamOn == player.beamOn && p.energy == player.energy);
  EXPECT_EQ(p.beamIntensity, player.beamIntensity);
  ASSERT_EQ(g_drones.size(), drones.size());
  size_t i = 0;
  for (const Drone* d : g_drones) {
    const Drone& was = drones[i];
    EXPECT_EQ(d, droneRecords[i]);
    EXPECT_TRUE(d->x == was.x && d->y == was.y && d->vx == was.vx && d->vy == was.vy);
    EXPECT_TRUE(d->heading == was.heading && d->turnRate == was.turnRate);
    EXPECT_TRUE(d->kind == was.kind && d->dead == was.dead);
    ++i;
  }
  ASSERT_EQ(g_lasers.size(), 1u);
  const Laser& l = *g_lasers.front();
  EXPECT_TRUE(l.x0 == laser.x0 && l.y0 == laser.y0 && l.x1 == laser.x1 && l.y1 == laser.y1);
  EXPECT_TRUE(l.done == laser.done && l.age == laser.age);
  EXPECT_TRUE(l.intensity == laser.intensity && l.width == laser.width);
  EXPECT_EQ(g_tick, tick);
  EXPECT_EQ(g_spawnInterval, interval);
  EXPECT_TRUE(g_gameOver);
  EXPECT_EQ(g_bestScore, INT_MAX);
}
