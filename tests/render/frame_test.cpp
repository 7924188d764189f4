// Whole frames on a real OpenGL context: the HUD where it belongs, the game-over lines, the
// fade that leaves trails, and a busy frame drawn in order that only reads the world.
#include "render/frame.h"

#include <climits>

#include "tests/render/gl_fixture.h"

namespace {

constexpr Rect kEnergyLabel = {30, 0, 112, 30}, kEnergyBar = {112, 0, 232, 30};
constexpr Rect kScoreLine = {232, 0, 432, 30};

// Every field of the world, as numbers.
std::vector<double> WorldNow() {
  const Player& p = *g_player;
  std::vector<double> w = {p.x, p.y, p.vx, p.vy, p.heading, p.turnRate, p.energy, p.beamIntensity};
  auto add = [&w](auto... v) { (w.push_back(static_cast<double>(v)), ...); };
  add(p.controls.size(), p.score, p.beamOn, g_tick, g_spawnInterval, g_gameOver, g_bestScore);
  for (auto d : g_drones) add(d->x, d->y, d->vx, d->vy, d->heading, d->turnRate, d->kind, d->dead);
  for (auto l : g_lasers) add(l->x0, l->y0, l->x1, l->y1, l->done, l->age, l->intensity, l->width);
  return w;
}

}  // namespace

using Frame = GlTest;

TEST_F(Frame, NewGameShowsTheHudWhereItBelongsWhateverTheLastFrameLeft) {
  glTranslatef(50.0f, 60.0f, 0.0f);  // a frame sets its own modelview and projection
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  g_bestScore = 1234;
  RenderFrame();
  Picture picture = Picture::Read();
  // The bar covers x 120 to 220 and y 5 to 15: pixels 120 to 219 and rows 5 to 14.
  const Extent bar = picture.Find(kHudGreen, kEnergyBar);
  EXPECT_EQ(bar.box(), (Box{120, 5, 219, 14}));
  EXPECT_EQ(bar.count, 100 * 10);
  EXPECT_GT(picture.Find(kHudGreen, kEnergyLabel).count, 50);
  // "score: 0" from x 240 on its baseline at y 5 to the 0's right side at 240 + 16 * 4.8: a
  // stroke 2 wide lights the pixels whose centres it covers, here up to x 317.3.
  EXPECT_EQ(picture.Find(kHudGreen, kScoreLine).box(), (Box{239, 4, 317, 21}));
  // "best: 1234" from x 440, five pixels higher, to the end of the 4's bar at 440 + 16 * 5.6.
  EXPECT_EQ(picture.Find(kHudGreen, {432, 0, 640, 40}).box(), (Box{439, 9, 528, 26}));
  EXPECT_EQ(picture.Find(kTextRed).count, 0);
  // With no energy left there is no bar at all, the label all the same.
  ClearScreen();
  g_player->energy = 0.0f;
  RenderFrame();
  picture = Picture::Read();
  EXPECT_EQ(picture.Find(kLit, kEnergyBar).count, 0);
  EXPECT_GT(picture.Find(kHudGreen, kEnergyLabel).count, 50);
}

TEST_F(Frame, GameOverShowsTheTitleAndFinalScoreCentred) {
  g_player->score = 350;
  g_gameOver = true;
  RenderFrame();
  const Picture picture = Picture::Read();
  // "game over" at 64 measures 384 around x 320, so it starts at 128 and its r ends 12.8 short
  // of the far end; from the g's tail at 280 - 6.4 to the stems of m and r at 280 + 51.2.
  const Extent title = picture.Find(kTextRed, {0, 260, 640, 360});
  EXPECT_EQ(title.box(), (Box{127, 273, 499, 330}));
  // "score: 350" at 32, 204.8 wide, centred on x 320 with its baseline at 200.
  const Extent final = picture.Find(kTextRed, {0, 180, 640, 250});
  EXPECT_EQ(final.box(), (Box{217, 199, 416, 232}));
  EXPECT_EQ(picture.Find(kTextRed).count, title.count + final.count);
  // The HUD's score line shows it too, to the 0's right side at 240 + 16 * 6.2.
  EXPECT_EQ(picture.Find(kHudGreen, kScoreLine).maxX, 339);
}

TEST_F(Frame, FadeKeepsNinetyFivePercentAFrame) {
  // A white picture, blending left off: nothing is drawn at (600, 300), so that pixel falls
  // by 5 % a frame, give or take the rounding to 8 bits, while the HUD stays bright.
  ClearScreen(1.0f);
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  int last = 255;
  for (int frame = 1; frame <= 40; ++frame) {
    RenderFrame();
    const Picture picture = Picture::Read();
    const unsigned char* p = &picture.bytes[3 * (640 * 300 + 600)];
    EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]);
    EXPECT_NEAR(p[0], last * 0.95, 1.0) << "frame " << frame;
    EXPECT_TRUE(picture.Is(150, 10, kHudGreen)) << "frame " << frame;
    last = p[0];
  }
  EXPECT_NEAR(last, 255 * 0.1285, 3);  // 0.95 to the 40th
}

TEST_F(Frame, DrawsABusyWorldInOrderReadingItOnlyAndAllocatingNothing) {
  // The longest score lines, the ship and its beam under a drone, a dead drone under a done
  // laser (the tick decides what is listed), an unknown kind, and a laser across the energy
  // bar, which the -1 of one tick of firing draws one pixel left of its start.
  g_player->score = INT_MIN;
  g_bestScore = INT_MAX;
  g_gameOver = true;
  g_player->beamIntensity = 0.7f;
  g_player->energy = -1.0f;
  g_drones = {new Drone{320, 245, 1, 2, 0.5f, 0.1f, 0, false},
              new Drone{560, 440, 0, 0, 0, 0, 2, true}, new Drone{100, 400, 0, 0, 0, 0, 9, false}};
  g_lasers = {new Laser{0, 440, 640, 440, true, 119, 1.0f, 3.0f},
              new Laser{0, 10, 640, 10, false, 60, 1.0f, 3.0f}};
  const std::vector<double> world = WorldNow();
  RenderFrame();
  const Picture picture = Picture::Read();
  // Drawn the other way round, each of these would show more of the lower colour.
  EXPECT_TRUE(picture.Is(320, 245, {77, 54, 0}));   // drone red at 0.3 over the ship's green
  EXPECT_TRUE(picture.Is(560, 440, {94, 0, 13}));   // laser pink at 0.1 over the drone
  EXPECT_TRUE(picture.Is(119, 10, {71, 230, 59}));  // and over the opaque bar
  // Mesa's software renderer compiles its shaders, with C++ allocations of its own, over the
  // first two frames of a kind; from then on a frame allocates nothing at all.
  RenderFrame();
  const long allocations = g_allocations.load();
  for (int i = 0; i < 5; ++i) RenderFrame();
  EXPECT_EQ(g_allocations.load(), allocations);
  EXPECT_EQ(WorldNow(), world);
}
