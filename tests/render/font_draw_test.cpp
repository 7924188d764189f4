// The font on a real OpenGL context: what each glyph list holds, bold, bytes without a
// glyph, and the state that text drawing leaves behind.
#include <cmath>
#include <cstring>
#include <string>

#include "render/font.h"
#include "tests/render/gl_fixture.h"

namespace {

class FontDrawing : public GlTest {
 protected:
  // Draws text in white with its pen at (x, y).
  static void DrawAt(const char* text, float x, float y, float scale, float lineWidth) {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glLoadIdentity();
    glTranslatef(x, y, 0.0f);
    DrawText(text, scale, lineWidth, false);
    glLoadIdentity();
  }

  static Picture Drawn(const char* text, float scale, float lineWidth) {
    ClearScreen();
    DrawAt(text, 50.0f, 200.0f, scale, lineWidth);
    return Picture::Read();
  }
};

}  // namespace

TEST_F(FontDrawing, EachGlyphListDrawsItsStrokesAndAdvancesThePen) {
  constexpr float kScale = 100.0f, kX = 100.0f, kY = 150.0f;
  for (int i = 0; i < kGlyphCount; ++i) {
    SCOPED_TRACE(std::string("glyph ") + std::to_string(i));
    ASSERT_TRUE(glIsList(g_fontListBase + i));

    // The list moves the pen right by the glyph's advance and nothing else.
    GLfloat m[16];
    glPushMatrix();
    glLoadIdentity();
    glCallList(g_fontListBase + i);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glPopMatrix();
    EXPECT_EQ(m[12], kGlyphAdvances[i]);
    EXPECT_EQ(m[13], 0.0f);
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[5], 1.0f);

    // Drawn through its byte, the glyph lights the middle of each of its segments and
    // nothing outside the box of its strokes.
    ClearScreen();
    const char text[2] = {kGlyphChars[i], '\0'};
    DrawAt(text, kX, kY, kScale, 1.0f);
    const Picture picture = Picture::Read();
    float minX = 1, maxX = 0, minY = 1, maxY = 0;
    for (unsigned int s = 0; s < kGlyphSegmentCounts[i]; ++s) {
      const float* seg = &kGlyphStrokes[i][4 * s];
      minX = std::min({minX, seg[0], seg[2]});
      maxX = std::max({maxX, seg[0], seg[2]});
      minY = std::min({minY, seg[1], seg[3]});
      maxY = std::max({maxY, seg[1], seg[3]});
      const int mx = static_cast<int>(std::floor(kX + kScale * (seg[0] + seg[2]) / 2));
      const int my = static_cast<int>(std::floor(kY + kScale * (seg[1] + seg[3]) / 2));
      EXPECT_GT(picture.Find(IsLit, {mx - 1, my - 1, mx + 2, my + 2}).count, 0)
          << "segment " << s << " not drawn near (" << mx << ", " << my << ")";
    }
    const Extent lit = picture.Find(IsLit);
    if (kGlyphSegmentCounts[i] == 0) {
      EXPECT_EQ(lit.count, 0);
      continue;
    }
    EXPECT_GE(lit.minX, kX + kScale * minX - 2);
    EXPECT_LE(lit.maxX, kX + kScale * maxX + 2);
    EXPECT_GE(lit.minY, kY + kScale * minY - 2);
    EXPECT_LE(lit.maxY, kY + kScale * maxY + 2);
  }
}

TEST_F(FontDrawing, BytesWithoutAGlyphDrawNothingAndMoveNothing) {
  const Picture aa = Drawn("aa", 20.0f, 1.0f);
  for (int byte = 1; byte < 256; ++byte) {
    bool inFont = false;
    for (int i = 0; i < kGlyphCount; ++i) {
      inFont = inFont || static_cast<unsigned char>(kGlyphChars[i]) == byte;
    }
    const char one[2] = {static_cast<char>(byte), '\0'};
    if (inFont) {
      if (byte != ' ') {
        EXPECT_GT(Drawn(one, 20.0f, 1.0f).Find(IsLit).count, 0) << byte;
      }
      continue;
    }
    if (byte == '^') continue;  // the bold switch, below
    const char between[4] = {'a', static_cast<char>(byte), 'a', '\0'};
    EXPECT_TRUE(Drawn(between, 20.0f, 1.0f) == aa) << "byte " << byte << " left a mark";
  }
  // One line only: a newline is skipped like any other byte without a glyph, and so is
  // each byte of the two-byte UTF-8 umlaut.
  EXPECT_TRUE(Drawn("ab\ncd", 20.0f, 1.0f) == Drawn("abcd", 20.0f, 1.0f));
  EXPECT_TRUE(Drawn("a\xC3\xA4"
                    "a",
                    20.0f, 1.0f) == aa);
  EXPECT_FALSE(Drawn("a\xE4"
                     "a",
                     20.0f, 1.0f) == aa);
}

TEST_F(FontDrawing, CaretsSwitchBoldWithoutTakingRoom) {
  // Letters at scale 40 and width 1: a at x 50, b at 78, c at 106 (each advances 28).
  const Rect cellA = {40, 190, 77, 250}, cellB = {77, 190, 105, 250}, cellC = {105, 190, 140, 250};
  const Picture plain = Drawn("abc", 40.0f, 1.0f);
  const Picture boldB = Drawn("a^b^c", 40.0f, 1.0f);
  EXPECT_EQ(boldB.Find(IsLit, cellA).count, plain.Find(IsLit, cellA).count);
  EXPECT_EQ(boldB.Find(IsLit, cellC).count, plain.Find(IsLit, cellC).count);
  const int thin = plain.Find(IsLit, cellB).count;
  const int thick = boldB.Find(IsLit, cellB).count;
  EXPECT_GT(thick, thin * 3 / 2) << "b is not drawn one pixel wider";
  // Drawn at width 1 or with a bold switch in front, a is the same size: width 2 is 1 + 1.
  EXPECT_TRUE(Drawn("^abc", 40.0f, 1.0f).Find(IsLit, cellA).count ==
              Drawn("abc", 40.0f, 2.0f).Find(IsLit, cellA).count);

  // A string that ends in bold does not leave the next call bold.
  ClearScreen();
  DrawAt("^a", 50.0f, 200.0f, 40.0f, 1.0f);
  ClearScreen();
  DrawAt("abc", 50.0f, 200.0f, 40.0f, 1.0f);
  EXPECT_TRUE(Picture::Read() == plain);
}

TEST_F(FontDrawing, LeavesTheMatrixTheColourAndALineWidthOfOne) {
  const char* texts[] = {"", "abc", "^bold", "^a^b", "a^b^c^", "game over", "\n"};
  for (const char* text : texts) {
    for (bool centred : {false, true}) {
      SCOPED_TRACE(std::string("text \"") + text + (centred ? "\" centred" : "\""));
      glLoadIdentity();
      glTranslatef(10.0f, 20.0f, 0.0f);
      glLineWidth(5.0f);
      glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
      GLfloat before[16], after[16], colourBefore[4], colourAfter[4];
      glGetFloatv(GL_MODELVIEW_MATRIX, before);
      glGetFloatv(GL_CURRENT_COLOR, colourBefore);

      DrawText(text, 16.0f, 2.0f, centred);

      glGetFloatv(GL_MODELVIEW_MATRIX, after);
      glGetFloatv(GL_CURRENT_COLOR, colourAfter);
      EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
      EXPECT_EQ(std::memcmp(colourBefore, colourAfter, sizeof colourBefore), 0);
      EXPECT_EQ(LineWidth(), 1.0f);
      EXPECT_EQ(ModelviewDepth(), 1);
    }
  }
  glLoadIdentity();
}
