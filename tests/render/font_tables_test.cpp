// The glyph table (its bytes, segment counts, grid and cell, and digests of every design) and
// text measuring. No OpenGL is needed: a mistyped coordinate or advance shows up here first.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstring>
#include <string>

#include "render/font.h"

namespace {

int IndexOf(unsigned char byte) {
  for (int i = 0; i < kGlyphCount; ++i) {
    if (static_cast<unsigned char>(kGlyphChars[i]) == byte) return i;
  }
  return -1;
}

// The 32-bit float nearest to tenths / 10.
float Tenths(int tenths) {
  return static_cast<float>(tenths) / 10.0f;
}

bool OnTenthsGrid(float v) {
  for (int t = -1; t <= 10; ++t) {
    if (v == Tenths(t)) return true;
  }
  return false;
}

}  // namespace

TEST(FontTables, SeventyNineDistinctBytesInTheirOrder) {
  EXPECT_EQ(kGlyphChars[kGlyphCount], '\0');
  EXPECT_EQ(std::strlen(kGlyphChars.data()), 79u);
  std::bitset<256> seen;
  for (int i = 0; i < kGlyphCount; ++i) {
    const unsigned char byte = static_cast<unsigned char>(kGlyphChars[i]);
    EXPECT_FALSE(seen[byte]) << "byte " << int(byte) << " twice";
    seen[byte] = true;
  }
  EXPECT_EQ(std::string(kGlyphChars.data(), 62),
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
  EXPECT_EQ(std::string(kGlyphChars.data() + 62), " .,!?()+-*_:;'\xE4%#");
  // Not in the font, and no stand-in from the other case.
  const unsigned char missing[] = {'/', '=', '[', '\t', '\n', '^', 0xC4, 0xC3};
  for (unsigned char byte : missing) {
    EXPECT_EQ(IndexOf(byte), -1) << int(byte);
  }
}

TEST(FontTables, SegmentCountsMatchTheSlotsTheyFill) {
  unsigned int total = 0;
  for (int i = 0; i < kGlyphCount; ++i) {
    const unsigned int count = kGlyphSegmentCounts[i];
    ASSERT_LE(count, 6u) << kGlyphChars[i];
    total += count;
    for (int s = 0; s < kGlyphSegmentSlots; ++s) {
      const float* seg = &kGlyphStrokes[i][4 * s];
      if (static_cast<unsigned int>(s) < count) {
        EXPECT_FALSE(seg[0] == seg[2] && seg[1] == seg[3])
            << "glyph " << i << " segment " << s << " is a point";
      } else {
        EXPECT_TRUE(seg[0] == 0 && seg[1] == 0 && seg[2] == 0 && seg[3] == 0)
            << "glyph " << i << " has strokes past its count in slot " << s;
      }
    }
  }
  EXPECT_EQ(total, 273u);
  EXPECT_EQ(kGlyphSegmentCounts[IndexOf(' ')], 0u);
  EXPECT_EQ(kGlyphSegmentCounts[IndexOf(0xE4)], 6u);
  EXPECT_EQ(kGlyphSegmentCounts[IndexOf('B')], 6u);
}

TEST(FontTables, StrokesAndAdvancesLieOnTheGridInsideTheCell) {
  for (int i = 0; i < kGlyphCount; ++i) {
    SCOPED_TRACE(std::string("glyph ") + std::to_string(i));
    float right = 0.0f;
    for (unsigned int s = 0; s < kGlyphSegmentCounts[i]; ++s) {
      for (int k = 0; k < 4; ++k) {
        const float v = kGlyphStrokes[i][4 * s + k];
        if (k % 2 == 0) {
          right = std::max(right, v);
          EXPECT_TRUE(v >= 0.0f && v <= 0.6f) << "x " << v;
        } else {
          EXPECT_TRUE(v >= -0.1f && v <= 1.0f) << "y " << v;
        }
        // Only the dots of the umlaut sit between the tenths.
        const bool umlautDot = i == 76 && k % 2 == 0 && (v == 0.15f || v == 0.35f);
        EXPECT_TRUE(OnTenthsGrid(v) || umlautDot) << v;
      }
    }
    const float advance = kGlyphAdvances[i];
    bool known = false;
    for (int t = 2; t <= 8; ++t) known = known || advance == Tenths(t);
    EXPECT_TRUE(known) << "advance " << advance;
    // Every glyph leaves at least a tenth of air before the next.
    EXPECT_GE(advance, right + 0.1f - 1e-6f);
  }
  EXPECT_EQ(kGlyphAdvances[IndexOf('\'')], 0.2f);
  EXPECT_EQ(kGlyphAdvances[IndexOf(' ')], 0.6f);
  for (int i = 0; i < kGlyphCount; ++i) {
    const bool widest = std::strchr("mwMW", kGlyphChars[i]) != nullptr;
    EXPECT_EQ(kGlyphAdvances[i] == 0.8f, widest) << kGlyphChars[i];
    EXPECT_EQ(kGlyphAdvances[i] == 0.2f, kGlyphChars[i] == '\'') << kGlyphChars[i];
  }
}

// Weighted sums over the whole table, worked out once from the glyph designs: a stroke that
// is mistyped, moved to another slot or swapped with another glyph's changes them. Change
// these figures only together with a glyph.
TEST(FontTables, DigestsMatchTheGlyphDesigns) {
  long strokes = 0, advances = 0, counts = 0;
  for (int i = 0; i < kGlyphCount; ++i) {
    for (int slot = 0; slot < 4 * kGlyphSegmentSlots; ++slot) {
      strokes += (i * 24L + slot + 1) * std::lround(kGlyphStrokes[i][slot] * 100.0);
    }
    advances += (i + 1L) * std::lround(kGlyphAdvances[i] * 10.0);
    counts += (i + 1L) * kGlyphSegmentCounts[i];
  }
  EXPECT_EQ(strokes, 34665910);
  EXPECT_EQ(advances, 19008);
  EXPECT_EQ(counts, 10440);
}

TEST(TextWidth, HudLinesMeasureExactly) {
  // The advances of "game over" add up to just under 6 in 32-bit floats.
  EXPECT_EQ(TextWidth("game over", 64.0f), 383.99997f);
  EXPECT_NE(TextWidth("game over", 64.0f), 384.0f);
  EXPECT_EQ(TextWidth("score: 0", 32.0f), 160.0f);
  EXPECT_EQ(TextWidth("energy:", 16.0f), 68.8f);
  EXPECT_EQ(TextWidth("", 16.0f), 0.0f);
  EXPECT_EQ(TextWidth("", 1000.0f), 0.0f);
  EXPECT_EQ(TextWidth(" ", 10.0f), 6.0f);
  EXPECT_EQ(TextWidth("m", 1.0f), 0.8f);
}

TEST(TextWidth, StopsAtANewlineAndSkipsWhatHasNoGlyph) {
  const float ab = TextWidth("ab", 10.0f);
  EXPECT_EQ(ab, 14.0f);
  EXPECT_EQ(TextWidth("ab\ncd", 10.0f), ab);
  EXPECT_EQ(TextWidth("\nabcd", 10.0f), 0.0f);
  EXPECT_EQ(TextWidth("a^b", 10.0f), ab);
  EXPECT_EQ(TextWidth("^a^b^", 10.0f), ab);
  EXPECT_EQ(TextWidth("a/=[\tb", 10.0f), ab);
  EXPECT_EQ(TextWidth("\xC3\xA4", 10.0f), 0.0f);  // the UTF-8 form of the umlaut
  EXPECT_EQ(TextWidth("\xE4", 10.0f), 7.0f);
  // Every byte on its own: its advance if the font has it, else nothing.
  for (int byte = 1; byte < 256; ++byte) {
    const char text[2] = {static_cast<char>(byte), '\0'};
    const int glyph = IndexOf(static_cast<unsigned char>(byte));
    const float expected = glyph < 0 ? 0.0f : kGlyphAdvances[glyph] * 10.0f;
    EXPECT_EQ(TextWidth(text, 10.0f), expected) << "byte " << byte;
  }
}
