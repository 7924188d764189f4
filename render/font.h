// The built-in stroke font: 79 glyphs compiled once into OpenGL display lists.
// Glyph space: the pen on the baseline at the origin, x right, y up, one unit the height of
// a capital. Text is single bytes; "^" switches bold strokes on and off.
#pragma once

#include <array>

constexpr int kGlyphCount = 79;        // glyphs in the font
constexpr int kGlyphSegmentSlots = 6;  // segments one glyph may hold

// The byte of each glyph, NUL-terminated: a text byte's glyph is its position here.
extern const std::array<char, kGlyphCount + 1> kGlyphChars;
// Line segments of each glyph, 0 to 6.
extern const std::array<unsigned int, kGlyphCount> kGlyphSegmentCounts;
// Pen advance after each glyph, in glyph units.
extern const std::array<float, kGlyphCount> kGlyphAdvances;
// Each glyph's segments as (x0, y0, x1, y1), from the first slot on; unused slots are zero.
extern const std::array<std::array<float, 4 * kGlyphSegmentSlots>, kGlyphCount> kGlyphStrokes;

extern unsigned int g_fontListBase;  // display list of glyph 0; glyph i is g_fontListBase + i

// Compiles the 79 glyph lists. Needs a current OpenGL context; call once at start-up.
void BuildFont();

// Draws one line of text in the current colour with its baseline on the modelview origin,
// starting there or centred on it. Leaves the matrix as it was and the line width at 1.
void DrawText(const char* text, float scale, float lineWidth, bool centred);

// The width of the text up to its end or first newline, in the caller's units.
float TextWidth(const char* text, float scale);
