// The font, and one frame's HUD, game-over lines and shapes: where they lie, in which colour,
// over what.
#include "render/frame.h"

#include <GL/gl.h>

#include "render/font.h"
#include "render/present.h"
#include "tests/render/gl_fixture.h"

TEST_F(Drawing, EveryGlyphDrawsAsBeforeAndTextMeasuresUpToANewline) {
  // The game's widest text, just under 6 glyph units in floats; neither the bold switch nor a
  // newline and what follows it add to a width.
  EXPECT_EQ(TextWidth("^game over^\nx", 64.0f), 383.99997f);
  // Over a new game's frame, the whole font with its "-" bold, centred below the ship and drawn
  // as in a picture twice the game's size: twice as large, every line twice as wide.
  RenderFrame();
  SetPicture({0, 0, 1280, 960}, 1280, 960);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glTranslatef(160.0f, 50.0f, 0.0f);
  DrawText(std::string(kGlyphChars.data()).replace(70, 1, "^-^").c_str(), 6.0f, 1.0f, true);
  SetPicture({0, 0, 640, 480}, 640, 480);
  EXPECT_EQ(Digest(), 3993895689933176397u);
}

TEST_F(Drawing, HudAndShapesLieInPlaceInTheirColoursAndOrder) {
  g_player->score = 350;
  g_bestScore = 1234;
  g_gameOver = true;
  // A dart over the new game's ship at (320, 240), a laser over a dead large chaser that the
  // tick has not removed yet, and another across the energy bar.
  g_drones = {new Drone{320, 245, 1, 2, 0.5f, 0.1f, 1, false},
              new Drone{560, 440, 0, 0, 0, 0, 2, true}};
  g_lasers = {new Laser{0, 440, 640, 440, true, 119, 1.0f, 3.0f},
              new Laser{150, 0, 150, 100, false, 60, 1.0f, 3.0f}};
  RenderFrame();
  // Text boxes reach a pixel past the ends of strokes 2 wide. Where shapes overlap, the upper
  // one's colour is at alpha 0.3 (drones) or 0.1 (lasers) over the lower one's.
  const struct {
    Rgb colour;
    Box in, box;
  } kPlaces[] = {
      {{51, 255, 51}, {30, 0, 111, 30}, {39, 2, 106, 18}},         // "energy:" from (40, 5)
      {{51, 255, 51}, {112, 0, 231, 30}, {120, 5, 219, 14}},       // its bar, a pixel a unit
      {{51, 255, 51}, {232, 0, 431, 30}, {239, 4, 339, 21}},       // "score: 350" from (240, 5)
      {{51, 255, 51}, {432, 0, 639, 40}, {439, 9, 528, 26}},       // "best: 1234" from (440, 10)
      {{255, 0, 0}, {0, 260, 639, 360}, {127, 273, 499, 330}},     // "game over" around x 320
      {{255, 0, 0}, {0, 180, 639, 250}, {217, 199, 416, 232}},     // "score: 350" around x 320
      {{76, 129, 0}, {320, 245, 320, 245}, {320, 245, 320, 245}},  // dart yellow over ship green
      {{76, 0, 0}, {530, 400, 590, 479}, {552, 420, 567, 459}},    // large chaser: 3 x 6 by 14
      {{94, 0, 13}, {560, 440, 560, 440}, {560, 440, 560, 440}},   // laser pink over the drone
      {{72, 229, 59}, {150, 10, 150, 10}, {150, 10, 150, 10}},     // laser pink over the bar
  };
  for (const auto& p : kPlaces) EXPECT_EQ(Find(p.colour, p.in), p.box) << "row " << &p - kPlaces;
}
