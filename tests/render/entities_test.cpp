// The ship, the drones and the lasers drawn one at a time on a real OpenGL context, over a
// black picture with the frame's blending and projection.
#include "render/entities.h"

#include <cmath>
#include <cstring>

#include "tests/render/gl_fixture.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

class Entities : public GlTest {
 protected:
  static Drone MakeDrone(int kind, float x, float y, float heading = 0.0f) {
    return Drone{x, y, 0.0f, 0.0f, heading, 0.0f, kind, false};
  }

  static Laser MakeLaser(float x0, float y0, float x1, float y1, float intensity, float width) {
    return Laser{x0, y0, x1, y1, false, 120, intensity, width};
  }

  static Extent Drawn(const Drone& d, bool (*pass)(Rgb)) {
    ClearScreen();
    DrawDrone(d);
    return Picture::Read().Find(pass);
  }

  // The drawers work from the identity and must hand it back.
  static void ExpectIdentityAndWidthOne() {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const GLfloat identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::memcmp(m, identity, sizeof m), 0);
    EXPECT_EQ(ModelviewDepth(), 1);
    EXPECT_EQ(LineWidth(), 1.0f);
  }
};

}  // namespace

TEST_F(Entities, ShipStandsOnItsPositionAndPointsAlongItsHeading) {
  // Heading 0 at (100, 100): the base on y 100 from x 97 to 103, the nose 15 pixels up. A
  // pixel is lit when its centre is inside, so the last 2.5 pixels of a sharp tip stay dark.
  g_player->x = 100.0f;
  g_player->y = 100.0f;
  DrawPlayer();
  ExpectIdentityAndWidthOne();
  Picture picture = Picture::Read();
  Extent ship = picture.Find(IsShipGreen);
  EXPECT_EQ(ship.count, picture.Find(IsLit).count);
  EXPECT_EQ(ship.minY, 100);
  EXPECT_EQ(ship.maxY, 112);
  EXPECT_EQ(ship.minX, 97);
  EXPECT_EQ(ship.maxX, 102);
  EXPECT_NEAR(ship.count, 45, 6);  // a triangle 6 wide and 15 high

  // A quarter turn counter-clockwise points it toward -x: nose at (85, 100).
  ClearScreen();
  g_player->heading = kHalfPi;
  DrawPlayer();
  ship = Picture::Read().Find(IsShipGreen);
  EXPECT_EQ(ship.minX, 87);
  EXPECT_EQ(ship.maxX, 99);
  EXPECT_EQ(ship.minY, 97);
  EXPECT_EQ(ship.maxY, 102);
}

TEST_F(Entities, BeamShowsOnlyWhileItHasIntensity) {
  g_player->x = 100.0f;
  g_player->y = 100.0f;
  // Idle, and the step below zero that the fading leaves: sent, but no mark.
  for (float intensity : {0.0f, -0.05f}) {
    ClearScreen();
    g_player->beamIntensity = intensity;
    DrawPlayer();
    const Picture picture = Picture::Read();
    EXPECT_EQ(picture.Find(IsBlue).count, 0) << intensity;
    EXPECT_EQ(picture.Find(IsLit).count, picture.Find(IsShipGreen).count) << intensity;
  }

  // Full: a blue line from the nose straight up and off the top of the screen.
  ClearScreen();
  g_player->beamIntensity = 1.0f;
  DrawPlayer();
  ExpectIdentityAndWidthOne();
  Extent beam = Picture::Read().Find(IsBlue);
  EXPECT_EQ(beam.minX, beam.maxX);
  EXPECT_NEAR(beam.minX, 100, 1);
  EXPECT_NEAR(beam.minY, 115, 1);
  EXPECT_EQ(beam.maxY, kScreenHeight - 1);
  EXPECT_EQ(beam.count, beam.maxY - beam.minY + 1);
  EXPECT_EQ(Picture::Read().At(beam.minX, 300).b, 255);

  // Half as bright, and turned a quarter: from the nose at x 85 to the left edge.
  ClearScreen();
  g_player->beamIntensity = 0.5f;
  g_player->heading = kHalfPi;
  DrawPlayer();
  beam = Picture::Read().Find(IsBlue);
  EXPECT_EQ(beam.minY, beam.maxY);
  EXPECT_NEAR(beam.minY, 100, 1);
  EXPECT_EQ(beam.minX, 0);
  EXPECT_NEAR(beam.maxX, 85, 1);
  const int blue = Picture::Read().At(40, beam.minY).b;
  EXPECT_TRUE(blue == 127 || blue == 128) << blue;
}

TEST_F(Entities, DronesTakeTheShapeAndColourOfTheirKind) {
  // Kind 0: a red diamond 6 wide and 14 high around its position (its tips too thin to
  // cover the centre of their last pixel).
  const Extent small = Drawn(MakeDrone(0, 200.0f, 200.0f), IsDroneRed);
  ExpectIdentityAndWidthOne();
  EXPECT_EQ(small.minX, 197);
  EXPECT_EQ(small.maxX, 202);
  EXPECT_EQ(small.minY, 194);
  EXPECT_EQ(small.maxY, 205);
  EXPECT_NEAR(small.count, 42, 5);

  // Kind 2: the same diamond three times as large each way, nine times the pixels.
  const Extent large = Drawn(MakeDrone(2, 200.0f, 200.0f), IsDroneRed);
  ExpectIdentityAndWidthOne();
  EXPECT_EQ(large.minX, 191);
  EXPECT_EQ(large.maxX, 208);
  EXPECT_EQ(large.minY, 180);
  EXPECT_EQ(large.maxY, 219);
  EXPECT_NEAR(static_cast<double>(large.count) / small.count, 9.0, 0.6);

  // Kind 1: a yellow triangle, nose up, 6 wide and 10 high around its position.
  const Extent dart = Drawn(MakeDrone(1, 200.0f, 200.0f), IsDroneYellow);
  ExpectIdentityAndWidthOne();
  EXPECT_EQ(dart.minX, 197);
  EXPECT_EQ(dart.maxX, 202);
  EXPECT_EQ(dart.minY, 195);
  EXPECT_EQ(dart.maxY, 202);
  EXPECT_EQ(Drawn(MakeDrone(1, 200.0f, 200.0f), IsLit).count, dart.count);

  // Turned a quarter, the diamond lies on its side.
  const Extent turned = Drawn(MakeDrone(0, 200.0f, 200.0f, kHalfPi), IsDroneRed);
  EXPECT_EQ(turned.minX, 194);
  EXPECT_EQ(turned.maxX, 205);
  EXPECT_NEAR(turned.minY, 197, 1);
  EXPECT_NEAR(turned.maxY, 202, 1);

  // Kinds the game never makes draw nothing and leave the stack as it was.
  for (int kind : {3, -1, 1000}) {
    EXPECT_EQ(Drawn(MakeDrone(kind, 200.0f, 200.0f), IsLit).count, 0) << kind;
    ExpectIdentityAndWidthOne();
  }
}

TEST_F(Entities, LaserIsAFaintPinkLineOfItsWidth) {
  // Full intensity draws at a tenth of full alpha, 10 pixels wide, from edge to edge.
  DrawLaser(MakeLaser(0.0f, 240.0f, 640.0f, 240.0f, 1.0f, 10.0f));
  ExpectIdentityAndWidthOne();
  Picture picture = Picture::Read();
  const Extent line = picture.Find(IsLaserPink);
  EXPECT_EQ(line.count, picture.Find(IsLit).count);
  EXPECT_EQ(line.minX, 0);
  EXPECT_EQ(line.maxX, kScreenWidth - 1);
  EXPECT_EQ(line.maxY - line.minY + 1, 10);
  EXPECT_NEAR((line.minY + line.maxY) / 2.0, 239.5, 1);
  EXPECT_EQ(line.count, 10 * kScreenWidth);

  // The width is the laser's own, whatever was set before, and put back to 1 after.
  ClearScreen();
  glLineWidth(4.0f);
  DrawLaser(MakeLaser(320.0f, 0.0f, 320.0f, 480.0f, 1.0f, 3.0f));
  ExpectIdentityAndWidthOne();
  const Extent narrow = Picture::Read().Find(IsLaserPink);
  EXPECT_EQ(narrow.maxX - narrow.minX + 1, 3);
  EXPECT_EQ(narrow.maxY - narrow.minY + 1, kScreenHeight);

  // Dark before it fades in, and on its last frame, when width and intensity have just gone
  // below zero: GL refuses the width, 1 stays in force, and the line leaves no mark.
  ClearScreen();
  DrawLaser(MakeLaser(0.0f, 100.0f, 640.0f, 400.0f, 0.0f, 1.0f));
  DrawLaser(MakeLaser(0.0f, 100.0f, 640.0f, 300.0f, -0.01f, -0.05f));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
  ExpectIdentityAndWidthOne();
  EXPECT_EQ(Picture::Read().Find(IsLit).count, 0);
}
