// The ship, the drones and the lasers drawn one at a time over a black picture, with the
// frame's state. A line on a pixel boundary lights the pixels left of it or below it.
#include "render/entities.h"

#include "tests/render/gl_fixture.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

Picture Ship(float heading, float beamIntensity) {
  g_player->heading = heading;
  g_player->beamIntensity = beamIntensity;
  return DrawnBy([] { DrawPlayer(); });
}

Extent DroneOf(int kind, Rgb colour, float heading = 0.0f) {
  const Drone d = {200.0f, 200.0f, 0.0f, 0.0f, heading, 0.0f, kind, false};
  return DrawnBy([&d] { DrawDrone(d); }).Find(colour);
}

}  // namespace

using Entities = GlTest;

TEST_F(Entities, ShipPointsAlongItsHeadingWithABeamOnlyWhileLit) {
  // A new game's ship at (320, 240), heading 0: its base on y 240 from x 317 to 323 and its
  // nose 15 pixels up, of which the thin last 2.5 cover no pixel's centre. An idle beam, or
  // one a step below zero, leaves no mark.
  for (float idle : {0.0f, -0.05f}) {
    const Picture picture = Ship(0.0f, idle);
    const Extent ship = picture.Find(kShipGreen);
    EXPECT_EQ(ship.box(), (Box{317, 240, 322, 252})) << idle;
    EXPECT_EQ(picture.Find(kLit).count, ship.count) << idle;
    EXPECT_NEAR(ship.count, 45, 6);  // a triangle 6 wide and 15 high
  }
  // Lit, the beam runs from the nose at (320, 255) straight up and off the screen.
  EXPECT_EQ(Ship(0.0f, 1.0f).Find({0, 0, 255}).box(), (Box{319, 255, 319, 479}));
  // A quarter turn counter-clockwise points it toward -x, the nose at (305, 240), and a beam
  // at half strength runs from there to the left edge.
  const Picture turned = Ship(kHalfPi, 0.5f);
  EXPECT_EQ(turned.Find(kShipGreen).box(), (Box{307, 237, 319, 242}));
  EXPECT_EQ(turned.Find({0, 0, 128}).box(), (Box{0, 239, 304, 239}));
}

TEST_F(Entities, DronesTakeTheShapeAndColourOfTheirKind) {
  // Kind 0: a red diamond 6 wide and 14 high around its position, lying on its side when
  // turned a quarter; kind 2 the same three times as large each way, nine times the pixels.
  const Extent small = DroneOf(0, kDroneRed);
  EXPECT_EQ(small.box(), (Box{197, 194, 202, 205}));
  EXPECT_EQ(DroneOf(0, kDroneRed, kHalfPi).box(), (Box{194, 197, 205, 202}));
  const Extent large = DroneOf(2, kDroneRed);
  EXPECT_EQ(large.box(), (Box{191, 180, 208, 219}));
  EXPECT_NEAR(static_cast<double>(large.count) / small.count, 9.0, 0.6);
  // Kind 1: a yellow triangle, nose up, 6 wide and 10 high around its position.
  EXPECT_EQ(DroneOf(1, kDroneYellow).box(), (Box{197, 195, 202, 202}));
  // Kinds the game never makes draw nothing, and DrawnBy finds the stack as it was.
  for (int kind : {3, -1, 1000}) EXPECT_EQ(DroneOf(kind, kLit).count, 0) << kind;
}

TEST_F(Entities, LaserAtFullIntensityIsAFaintPinkLineOfItsWidth) {
  // A tenth of full alpha, 10 pixels wide around y 240, edge to edge; DrawnBy finds the line
  // width back at 1.
  const Laser laser = {0.0f, 240.0f, 640.0f, 240.0f, false, 60, 1.0f, 10.0f};
  const Picture picture = DrawnBy([&laser] { DrawLaser(laser); });
  const Extent line = picture.Find(kLaserPink);
  EXPECT_EQ(line.box(), (Box{0, 235, 639, 244}));
  EXPECT_EQ(line.count, 10 * 640);
  EXPECT_EQ(picture.Find(kLit).count, line.count);
}
