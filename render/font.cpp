#include "render/font.h"

#include <GL/gl.h>

#include "render/present.h"

unsigned int g_fontListBase = 0;

namespace {

// One line of the glyph table.
struct GlyphRow {
  char byte;                              // the text byte drawn by this glyph
  float advance;                          // pen advance, glyph units
  unsigned int segmentCount;              // segments used, from the first slot
  float segments[kGlyphSegmentSlots][4];  // (x0, y0, x1, y1), in the order they are drawn
};

// Every glyph, in glyph index order: byte, advance, segment count, segments.
// Capitals and digits stand on the baseline and reach 1; lower case has its x-height at 0.7
// and its descenders at -0.1. Most glyphs are 0.5 wide and advance 0.7, leaving 0.2 of air.
// clang-format off
constexpr GlyphRow kGlyphRows[kGlyphCount] = {
    {'a',    0.7f, 5, {{0, 0.1f, 0, 0.5f}, {0.5f, 0, 0.5f, 0.7f}, {0, 0.5f, 0.5f, 0.5f}, {0, 0.1f, 0.5f, 0.1f}, {0, 0.7f, 0.5f, 0.7f}}},
    {'b',    0.7f, 4, {{0, 0, 0, 1}, {0, 0.6f, 0.5f, 0.6f}, {0, 0.1f, 0.5f, 0.1f}, {0.5f, 0.1f, 0.5f, 0.6f}}},
    {'c',    0.7f, 3, {{0, 0.1f, 0, 0.7f}, {0, 0.1f, 0.5f, 0.1f}, {0, 0.7f, 0.5f, 0.7f}}},
    {'d',    0.7f, 4, {{0.5f, 0, 0.5f, 1}, {0, 0.6f, 0.5f, 0.6f}, {0, 0.1f, 0.5f, 0.1f}, {0, 0.1f, 0, 0.6f}}},
    {'e',    0.7f, 5, {{0, 0.1f, 0, 0.7f}, {0, 0.1f, 0.5f, 0.1f}, {0, 0.4f, 0.5f, 0.4f}, {0, 0.7f, 0.5f, 0.7f}, {0.5f, 0.4f, 0.5f, 0.7f}}},
    {'f',    0.5f, 4, {{0.2f, 0, 0.2f, 1}, {0, 0, 0.2f, 0}, {0.2f, 1, 0.4f, 1}, {0, 0.5f, 0.4f, 0.5f}}},
    {'g',    0.6f, 5, {{0, 0.3f, 0, 0.7f}, {0, -0.1f, 0.4f, -0.1f}, {0, 0.3f, 0.4f, 0.3f}, {0, 0.7f, 0.4f, 0.7f}, {0.4f, -0.1f, 0.4f, 0.7f}}},
    {'h',    0.7f, 3, {{0, 0, 0, 1}, {0.5f, 0, 0.5f, 0.5f}, {0, 0.5f, 0.5f, 0.5f}}},
    {'i',    0.3f, 2, {{0.1f, 0.1f, 0.1f, 0.7f}, {0, 0.8f, 0.2f, 0.8f}}},
    {'j',    0.4f, 4, {{0.2f, -0.1f, 0.2f, 0.7f}, {0.1f, 0.8f, 0.3f, 0.8f}, {0, -0.1f, 0.2f, -0.1f}, {0, -0.1f, 0, 0.3f}}},
    {'k',    0.6f, 3, {{0, 0, 0, 1}, {0, 0.3f, 0.4f, 0}, {0, 0.3f, 0.4f, 0.6f}}},
    {'l',    0.4f, 3, {{0.1f, 0, 0.1f, 1}, {0, 0, 0.2f, 0}, {0, 1, 0.1f, 1}}},
    {'m',    0.8f, 4, {{0, 0.1f, 0, 0.8f}, {0.3f, 0.1f, 0.3f, 0.7f}, {0.6f, 0.1f, 0.6f, 0.7f}, {0, 0.7f, 0.6f, 0.7f}}},
    {'n',    0.6f, 3, {{0, 0.1f, 0, 0.8f}, {0.4f, 0.1f, 0.4f, 0.7f}, {0, 0.7f, 0.4f, 0.7f}}},
    {'o',    0.6f, 4, {{0, 0.1f, 0, 0.7f}, {0, 0.1f, 0.4f, 0.1f}, {0, 0.7f, 0.4f, 0.7f}, {0.4f, 0.1f, 0.4f, 0.7f}}},
    {'p',    0.7f, 4, {{0, -0.1f, 0, 0.7f}, {0, 0.3f, 0.5f, 0.3f}, {0, 0.7f, 0.5f, 0.7f}, {0.5f, 0.7f, 0.5f, 0.3f}}},
    {'q',    0.7f, 4, {{0, 0.3f, 0, 0.7f}, {0, 0.3f, 0.5f, 0.3f}, {0, 0.7f, 0.5f, 0.7f}, {0.5f, -0.1f, 0.5f, 0.7f}}},
    {'r',    0.7f, 3, {{0, 0.1f, 0, 0.8f}, {0, 0.7f, 0.5f, 0.7f}, {0.5f, 0.4f, 0.5f, 0.7f}}},
    {'s',    0.7f, 5, {{0, 0.1f, 0.5f, 0.1f}, {0.5f, 0.1f, 0.5f, 0.4f}, {0, 0.4f, 0.5f, 0.4f}, {0, 0.7f, 0, 0.4f}, {0, 0.7f, 0.5f, 0.7f}}},
    {'t',    0.4f, 3, {{0.1f, 0, 0.1f, 1}, {0, 0.6f, 0.3f, 0.6f}, {0.1f, 0, 0.2f, 0}}},
    {'u',    0.7f, 3, {{0, 0.1f, 0, 0.7f}, {0, 0.1f, 0.5f, 0.1f}, {0.5f, 0.1f, 0.5f, 0.7f}}},
    {'v',    0.6f, 2, {{0.2f, 0.1f, 0, 0.7f}, {0.2f, 0.1f, 0.5f, 0.7f}}},
    {'w',    0.8f, 4, {{0, 0.1f, 0, 0.7f}, {0.3f, 0.1f, 0.3f, 0.7f}, {0.6f, 0.1f, 0.6f, 0.7f}, {0, 0.1f, 0.6f, 0.1f}}},
    {'x',    0.5f, 2, {{0, 0.1f, 0.4f, 0.7f}, {0, 0.7f, 0.4f, 0.1f}}},
    {'y',    0.7f, 4, {{0, -0.1f, 0.5f, -0.1f}, {0, 0.1f, 0.5f, 0.1f}, {0, 0.1f, 0, 0.7f}, {0.5f, -0.1f, 0.5f, 0.7f}}},
    {'z',    0.7f, 4, {{0, 0.1f, 0.5f, 0.1f}, {0, 0.1f, 0.5f, 0.7f}, {0, 0.7f, 0.5f, 0.7f}, {0.1f, 0.4f, 0.4f, 0.4f}}},
    {'A',    0.7f, 4, {{0, 0, 0, 1}, {0.5f, 0, 0.5f, 1}, {0, 1, 0.5f, 1}, {0, 0.5f, 0.5f, 0.5f}}},
    {'B',    0.7f, 6, {{0, 0, 0, 1}, {0, 0.5f, 0.5f, 0.5f}, {0, 0, 0.5f, 0}, {0.5f, 0, 0.5f, 0.5f}, {0, 1, 0.4f, 1}, {0.4f, 0.5f, 0.4f, 1}}},
    {'C',    0.7f, 3, {{0, 0, 0, 1}, {0, 0, 0.5f, 0}, {0, 1, 0.5f, 1}}},
    {'D',    0.7f, 4, {{0.1f, 0, 0.1f, 1}, {0, 0, 0.5f, 0}, {0, 1, 0.5f, 1}, {0.5f, 0, 0.5f, 1}}},
    {'E',    0.7f, 4, {{0, 0, 0, 1}, {0, 0, 0.5f, 0}, {0, 0.5f, 0.5f, 0.5f}, {0, 1, 0.5f, 1}}},
    {'F',    0.6f, 3, {{0, 0, 0, 1}, {0, 0.5f, 0.4f, 0.5f}, {0, 1, 0.5f, 1}}},
    {'G',    0.7f, 5, {{0, 0, 0, 1}, {0, 0, 0.5f, 0}, {0, 1, 0.5f, 1}, {0.5f, 0, 0.5f, 0.4f}, {0.3f, 0.4f, 0.5f, 0.4f}}},
    {'H',    0.7f, 3, {{0, 0, 0, 1}, {0.5f, 0, 0.5f, 1}, {0, 0.5f, 0.5f, 0.5f}}},
    {'I',    0.6f, 3, {{0, 0, 0.4f, 0}, {0.2f, 0, 0.2f, 1}, {0, 1, 0.4f, 1}}},
    {'J',    0.7f, 4, {{0, 1, 0.5f, 1}, {0.3f, 0, 0.3f, 1}, {0, 0, 0.3f, 0}, {0, 0, 0, 0.3f}}},
    {'K',    0.7f, 3, {{0, 0, 0, 1}, {0, 0.4f, 0.5f, 0}, {0, 0.4f, 0.5f, 1}}},
    {'L',    0.6f, 2, {{0, 0, 0, 1}, {0, 0, 0.4f, 0}}},
    {'M',    0.8f, 4, {{0, 0, 0, 1}, {0.3f, 0, 0.3f, 1}, {0.6f, 0, 0.6f, 1}, {0, 1, 0.6f, 1}}},
    {'N',    0.7f, 3, {{0, 0, 0, 1}, {0.5f, 0, 0.5f, 1}, {0, 1, 0.5f, 0}}},
    {'O',    0.6f, 4, {{0, 0, 0, 1}, {0, 0, 0.4f, 0}, {0, 1, 0.4f, 1}, {0.4f, 0, 0.4f, 1}}},
    {'P',    0.7f, 4, {{0, 0, 0, 1}, {0, 0.5f, 0.5f, 0.5f}, {0, 1, 0.5f, 1}, {0.5f, 1, 0.5f, 0.5f}}},
    {'Q',    0.7f, 5, {{0, 0, 0, 1}, {0, 0, 0.4f, 0}, {0, 1, 0.4f, 1}, {0.4f, 0, 0.4f, 1}, {0.2f, 0.2f, 0.6f, 0.2f}}},
    {'R',    0.7f, 5, {{0, 0, 0, 1}, {0, 0.5f, 0.5f, 0.5f}, {0, 1, 0.5f, 1}, {0.5f, 1, 0.5f, 0.5f}, {0.2f, 0.5f, 0.5f, 0}}},
    {'S',    0.7f, 5, {{0, 0, 0.5f, 0}, {0.5f, 0, 0.5f, 0.5f}, {0, 0.5f, 0.5f, 0.5f}, {0, 1, 0, 0.5f}, {0, 1, 0.5f, 1}}},
    {'T',    0.7f, 2, {{0, 1, 0.5f, 1}, {0.2f, 0, 0.2f, 1}}},
    {'U',    0.7f, 3, {{0, 0, 0, 1}, {0, 0, 0.5f, 0}, {0.5f, 0, 0.5f, 1}}},
    {'V',    0.7f, 2, {{0.2f, 0, 0, 1}, {0.2f, 0, 0.5f, 1}}},
    {'W',    0.8f, 4, {{0, 0, 0, 1}, {0.3f, 0, 0.3f, 1}, {0.6f, 0, 0.6f, 1}, {0, 0, 0.6f, 0}}},
    {'X',    0.7f, 2, {{0, 0, 0.5f, 1}, {0, 1, 0.5f, 0}}},
    {'Y',    0.7f, 4, {{0, 0, 0.5f, 0}, {0.5f, 0, 0.5f, 1}, {0, 0.5f, 0.5f, 0.5f}, {0, 0.5f, 0, 1}}},
    {'Z',    0.7f, 3, {{0, 0, 0.5f, 0}, {0, 0, 0.5f, 1}, {0, 1, 0.5f, 1}}},
    {'0',    0.7f, 5, {{0, 0, 0.5f, 0}, {0, 0, 0, 1}, {0.5f, 0, 0.5f, 1}, {0, 1, 0.5f, 1}, {0, 0, 0.5f, 1}}},
    {'1',    0.3f, 2, {{0.1f, 0, 0.1f, 1}, {0, 1, 0.1f, 0.9f}}},
    {'2',    0.7f, 5, {{0, 0, 0.5f, 0}, {0, 0, 0, 0.5f}, {0, 0.5f, 0.5f, 0.5f}, {0.5f, 1, 0.5f, 0.5f}, {0, 1, 0.5f, 1}}},
    {'3',    0.7f, 4, {{0.5f, 0, 0.5f, 1}, {0, 0, 0.5f, 0}, {0, 0.5f, 0.5f, 0.5f}, {0, 1, 0.5f, 1}}},
    {'4',    0.7f, 3, {{0.4f, 0, 0.4f, 1}, {0.4f, 1, 0, 0.2f}, {0, 0.2f, 0.5f, 0.2f}}},
    {'5',    0.7f, 5, {{0, 0, 0.5f, 0}, {0.5f, 0, 0.5f, 0.5f}, {0, 0.5f, 0.5f, 0.5f}, {0, 1, 0, 0.5f}, {0, 1, 0.5f, 1}}},
    {'6',    0.7f, 5, {{0, 1, 0.5f, 1}, {0, 0, 0, 1}, {0, 0, 0.5f, 0}, {0, 0.5f, 0.5f, 0.5f}, {0.5f, 0, 0.5f, 0.5f}}},
    {'7',    0.7f, 2, {{0, 1, 0.5f, 1}, {0, 0, 0.5f, 1}}},
    {'8',    0.7f, 5, {{0.5f, 0, 0.5f, 1}, {0, 1, 0.5f, 1}, {0, 1, 0, 0}, {0, 0.5f, 0.5f, 0.5f}, {0, 0, 0.5f, 0}}},
    {'9',    0.7f, 4, {{0.5f, 0, 0.5f, 1}, {0, 1, 0.5f, 1}, {0, 1, 0, 0.5f}, {0, 0.5f, 0.5f, 0.5f}}},
    {' ',    0.6f, 0, {}},
    {'.',    0.3f, 1, {{0.1f, 0, 0.1f, 0.1f}}},
    {',',    0.3f, 2, {{0, 0, 0.1f, 0.1f}, {0.1f, 0.1f, 0.1f, 0.2f}}},
    {'!',    0.3f, 2, {{0, 0.2f, 0, 1}, {0, 0, 0, 0.1f}}},
    {'?',    0.6f, 5, {{0, 1, 0.4f, 1}, {0.4f, 1, 0.4f, 0.4f}, {0.4f, 0.4f, 0.2f, 0.4f}, {0.2f, 0.4f, 0.2f, 0.2f}, {0.2f, 0, 0.2f, 0.1f}}},
    {'(',    0.4f, 3, {{0, 0, 0, 1}, {0, 0, 0.2f, 0}, {0, 1, 0.2f, 1}}},
    {')',    0.4f, 3, {{0.2f, 0, 0.2f, 1}, {0, 0, 0.2f, 0}, {0, 1, 0.2f, 1}}},
    {'+',    0.6f, 2, {{0, 0.4f, 0.4f, 0.4f}, {0.2f, 0.2f, 0.2f, 0.6f}}},
    {'-',    0.6f, 1, {{0, 0.4f, 0.4f, 0.4f}}},
    {'*',    0.6f, 4, {{0, 0.4f, 0.4f, 0.4f}, {0.2f, 0.2f, 0.2f, 0.6f}, {0, 0.2f, 0.4f, 0.6f}, {0.4f, 0.2f, 0, 0.6f}}},
    {'_',    0.6f, 1, {{0, 0, 0.4f, 0}}},
    {':',    0.3f, 2, {{0.1f, 0.1f, 0.1f, 0.2f}, {0.1f, 0.8f, 0.1f, 0.9f}}},
    {';',    0.3f, 3, {{0, 0, 0.1f, 0.1f}, {0.1f, 0.1f, 0.1f, 0.2f}, {0.1f, 0.8f, 0.1f, 0.9f}}},
    {'\'',   0.2f, 1, {{0, 0.8f, 0.1f, 1}}},
    {'\xE4', 0.7f, 6, {{0, 0.1f, 0, 0.7f}, {0.5f, 0, 0.5f, 0.7f}, {0, 0.7f, 0.5f, 0.7f}, {0, 0.1f, 0.5f, 0.1f}, {0.15f, 0.8f, 0.15f, 0.9f}, {0.35f, 0.8f, 0.35f, 0.9f}}},
    {'%',    0.7f, 5, {{0, 0.2f, 0.6f, 0.8f}, {0, 0.7f, 0.2f, 0.7f}, {0.2f, 0.7f, 0.2f, 0.9f}, {0.4f, 0.1f, 0.4f, 0.3f}, {0.4f, 0.3f, 0.6f, 0.3f}}},
    {'#',    0.7f, 4, {{0.2f, 0.2f, 0.2f, 0.8f}, {0.4f, 0.2f, 0.4f, 0.8f}, {0, 0.4f, 0.6f, 0.4f}, {0, 0.6f, 0.6f, 0.6f}}},
};
// clang-format on

constexpr std::array<char, kGlyphCount + 1> GlyphChars() {
  std::array<char, kGlyphCount + 1> chars{};  // the last stays NUL
  for (int i = 0; i < kGlyphCount; ++i) chars[i] = kGlyphRows[i].byte;
  return chars;
}

constexpr std::array<unsigned int, kGlyphCount> GlyphSegmentCounts() {
  std::array<unsigned int, kGlyphCount> counts{};
  for (int i = 0; i < kGlyphCount; ++i) counts[i] = kGlyphRows[i].segmentCount;
  return counts;
}

constexpr std::array<float, kGlyphCount> GlyphAdvances() {
  std::array<float, kGlyphCount> advances{};
  for (int i = 0; i < kGlyphCount; ++i) advances[i] = kGlyphRows[i].advance;
  return advances;
}

constexpr std::array<std::array<float, 4 * kGlyphSegmentSlots>, kGlyphCount> GlyphStrokes() {
  std::array<std::array<float, 4 * kGlyphSegmentSlots>, kGlyphCount> strokes{};
  for (int i = 0; i < kGlyphCount; ++i) {
    for (int s = 0; s < kGlyphSegmentSlots; ++s) {
      for (int k = 0; k < 4; ++k) strokes[i][4 * s + k] = kGlyphRows[i].segments[s][k];
    }
  }
  return strokes;
}

}  // namespace

// Built from the rows at compile time, so they are ready before any code runs.
constexpr std::array<char, kGlyphCount + 1> kGlyphChars = GlyphChars();
constexpr std::array<unsigned int, kGlyphCount> kGlyphSegmentCounts = GlyphSegmentCounts();
constexpr std::array<float, kGlyphCount> kGlyphAdvances = GlyphAdvances();
constexpr std::array<std::array<float, 4 * kGlyphSegmentSlots>, kGlyphCount> kGlyphStrokes =
    GlyphStrokes();

namespace {

constexpr unsigned char kBoldSwitch = '^';
constexpr unsigned char kNewline = '\n';

// The glyph index of a text byte, or -1 for a byte the font does not draw.
int GlyphIndex(unsigned char byte) {
  for (int i = 0; kGlyphChars[i] != '\0'; ++i) {
    if (static_cast<unsigned char>(kGlyphChars[i]) == byte) return i;
  }
  return -1;
}

// The contents of glyph i's list (in the browser, which has no lists, drawn afresh each time).
// The pen advance is part of it, so a string is drawn one glyph per byte, nothing in between.
void BuildGlyph(int i) {
  DrawSegments(kGlyphStrokes[i].data(), kGlyphSegmentCounts[i]);
  glTranslatef(kGlyphAdvances[i], 0.0f, 0.0f);
}

}  // namespace

void BuildFont() {
  g_fontListBase = CompileGlyphs(kGlyphCount, BuildGlyph);
}

void DrawText(const char* text, float scale, float lineWidth, bool centred) {
  glPushMatrix();
  // Shifted before scaling, so the shift is in the caller's units.
  if (centred) glTranslatef(static_cast<float>(-TextWidth(text, scale) * 0.5), 0.0f, 0.0f);
  glScalef(scale, scale, 1.0f);
  SetLineWidth(lineWidth);
  bool bold = false;  // every call starts plain, whatever the last one ended in
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
    if (*p == kBoldSwitch) {
      bold = !bold;
      SetLineWidth(bold ? lineWidth + 1.0f : lineWidth);
      continue;
    }
    const int glyph = GlyphIndex(*p);
    if (glyph >= 0) CallGlyph(g_fontListBase, glyph, BuildGlyph);
  }
  // Back to 1, not to what was in force before: the ship and the drones draw at width 1.
  SetLineWidth(1.0f);
  glPopMatrix();
}

float TextWidth(const char* text, float scale) {
  float width = 0.0f;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
       *p != '\0' && *p != kNewline; ++p) {
    const int glyph = GlyphIndex(*p);  // "^" has no glyph, so bold measures as plain
    if (glyph >= 0) width += kGlyphAdvances[glyph];
  }
  return width * scale;
}
