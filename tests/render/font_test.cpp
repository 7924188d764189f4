// The glyph table, text measuring, and text drawn on a real OpenGL context: each glyph's
// strokes and advance, bold, and any bytes at all.
#include "render/font.h"

#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include "tests/render/gl_fixture.h"

namespace {

// The glyph of a byte, or -1; byte 0 ends the text and has none.
int GlyphOf(int byte) {
  const char* p = std::strchr(kGlyphChars.data(), byte);
  return byte != 0 && p != nullptr ? static_cast<int>(p - kGlyphChars.data()) : -1;
}

// Text in white with its pen at (x, 200), on a black picture.
Picture Drawn(const std::string& text, float x = 20.0f, float scale = 20.0f, float lineWidth = 1.0f,
              bool centred = false) {
  SCOPED_TRACE(::testing::PrintToString(text));
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glTranslatef(x, 200.0f, 0.0f);
  const Picture picture = DrawnBy([&] { DrawText(text.c_str(), scale, lineWidth, centred); });
  glLoadIdentity();
  return picture;
}

}  // namespace

using FontDrawing = GlTest;

TEST(FontTables, SeventyNineDistinctGlyphsOf273StrokesInsideTheirCell) {
  EXPECT_EQ(std::string(kGlyphChars.data()),
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,!?()+-*_:;'\xE4%#");
  EXPECT_EQ(std::set<char>(kGlyphChars.begin(), kGlyphChars.end() - 1).size(), 79u);
  // Every stroke in the cell, and weighted sums over the whole table worked out once from the
  // glyph designs: a stroke mistyped, moved to another slot or swapped with another glyph's
  // changes them. Change these figures only together with a glyph.
  long strokes = 0, advances = 0, counts = 0, segments = 0;
  for (int i = 0; i < kGlyphCount; ++i) {
    for (int k = 0; k < 4 * kGlyphSegmentSlots; ++k) {
      const float v = kGlyphStrokes[i][k];
      EXPECT_TRUE(k % 2 == 0 ? v >= 0.0f && v <= 0.6f : v >= -0.1f && v <= 1.0f) << i << " " << v;
      strokes += (i * 24L + k + 1) * std::lround(v * 100.0);
    }
    advances += (i + 1L) * std::lround(kGlyphAdvances[i] * 10.0);
    counts += (i + 1L) * kGlyphSegmentCounts[i];
    segments += kGlyphSegmentCounts[i];
  }
  EXPECT_EQ(segments, 273);
  EXPECT_EQ(strokes, 34665910);
  EXPECT_EQ(advances, 19008);
  EXPECT_EQ(counts, 10440);
}

TEST(FontTables, TextWidthAddsAdvancesUpToANewlineAndSkipsTheRest) {
  // The advances of "game over" add up to just under 6 in 32-bit floats.
  EXPECT_EQ(TextWidth("game over", 64.0f), 383.99997f);
  EXPECT_EQ(TextWidth("score: 0", 32.0f), 160.0f);
  EXPECT_EQ(TextWidth("energy:", 16.0f), 68.8f);
  EXPECT_EQ(TextWidth("ab\ncd", 10.0f), 14.0f);
}

TEST_F(FontDrawing, EveryByteAloneDrawsAndMeasuresItsGlyphOrNothing) {
  // A glyph's list moves the pen by its advance and nothing else, and the glyph drawn at scale
  // 100 lights the middle of each of its segments. Any other byte (0 ends the text) measures
  // nothing and, between two a's, leaves the picture of "aa": no mark and no move.
  constexpr float kScale = 100.0f, kX = 100.0f, kY = 200.0f;
  const Picture aa = Drawn("aa");
  EXPECT_EQ(Drawn("").Find(kLit).count, 0);
  for (int byte = 1; byte < 256; ++byte) {
    SCOPED_TRACE("byte " + std::to_string(byte));
    const std::string one(1, static_cast<char>(byte));
    const int i = GlyphOf(byte);
    EXPECT_EQ(TextWidth(one.c_str(), 10.0f), i < 0 ? 0.0f : kGlyphAdvances[i] * 10.0f);
    if (i < 0) {
      EXPECT_TRUE(byte == '^' || Drawn("a" + one + "a") == aa);  // "^" is the bold switch
      continue;
    }
    const std::vector<float> pen = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, kGlyphAdvances[i], 0, 0, 1};
    glCallList(g_fontListBase + i);
    EXPECT_EQ(std::get<0>(StateNow()), pen);
    glLoadIdentity();
    const Picture picture = Drawn(one, kX, kScale);
    for (unsigned int s = 0; s < kGlyphSegmentCounts[i]; ++s) {
      const float* seg = &kGlyphStrokes[i][4 * s];
      const int x = static_cast<int>(std::floor(kX + kScale * (seg[0] + seg[2]) / 2));
      const int y = static_cast<int>(std::floor(kY + kScale * (seg[1] + seg[3]) / 2));
      EXPECT_GT(picture.Find(kLit, {x - 1, y - 1, x + 2, y + 2}).count, 0) << "segment " << s;
    }
    EXPECT_EQ(kGlyphSegmentCounts[i] == 0, picture.Find(kLit).count == 0);
  }
}

TEST_F(FontDrawing, CaretsSwitchBoldForOneCallWithoutTakingRoom) {
  // Bold is one pixel wider: a text that starts bold is the plain one a pixel wider, in the
  // same place. At scale 40 from x 50, c sits at x 106, plain again after the second "^".
  EXPECT_TRUE(Drawn("^abc", 50.0f, 40.0f) == Drawn("abc", 50.0f, 40.0f, 2.0f));
  const Picture plain = Drawn("abc", 50.0f, 40.0f), boldB = Drawn("a^b^c", 50.0f, 40.0f);
  EXPECT_GT(boldB.Find(kLit).count, plain.Find(kLit).count);
  EXPECT_EQ(boldB.Find(kLit, {105, 190, 140, 250}).count,
            plain.Find(kLit, {105, 190, 140, 250}).count);
  Drawn("^a", 50.0f, 40.0f);  // ends in bold; the next call starts plain all the same
  EXPECT_TRUE(Drawn("abc", 50.0f, 40.0f) == plain);
}

TEST_F(FontDrawing, LongRandomStringsDrawAndMeasureLikeTheirGlyphsAndSwitchesAlone) {
  // Any bytes, heavy in bold switches and newlines, from a generator of this test's own: they
  // draw as their glyphs and switches alone, measure as those before the first newline, and
  // centred shift by that width. DrawnBy checks the state after each call.
  std::mt19937 random(20261206);
  for (int round = 0; round < 40; ++round) {
    std::string text, kept, keptLine;
    for (int i = 0; i < 200; ++i) {
      const unsigned int r = 1 + random() % 280;  // 1 in 14 a "^", 1 in 56 a newline
      const char c = r < 256 ? static_cast<char>(r) : r < 276 ? '^' : '\n';
      text += c;
      if (GlyphOf(static_cast<unsigned char>(c)) < 0 && c != '^') continue;
      kept += c;
      if (text.find('\n') == std::string::npos) keptLine += c;
    }
    const float width = TextWidth(text.c_str(), 6.0f);
    EXPECT_EQ(width, TextWidth(keptLine.c_str(), 6.0f)) << "round " << round;
    EXPECT_TRUE(Drawn(text, 20.0f, 6.0f) == Drawn(kept, 20.0f, 6.0f));
    EXPECT_TRUE(Drawn(text, 320.0f, 6.0f, 1.0f, true) == Drawn(kept, 320.0f - width / 2, 6.0f));
  }
}
