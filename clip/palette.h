// A GIF's 256 colours, made from the colours the game draws with: black, and each of them
// at the brightnesses its fading trails pass through.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kPaletteSize = 256;

struct Palette {
  uint32_t colours[kPaletteSize];  // 0xAARRGGBB, as FFmpeg's paletted pictures hold them
  std::vector<uint8_t> nearest;    // the nearest colour's index, by red, green, blue >> 2
};

// Builds the palette and its table of nearest colours.
void MakePalette(Palette* palette);

// One RGBA pixel's index in the palette.
inline uint8_t PaletteIndex(const Palette& palette, const uint8_t* rgba) {
  return palette.nearest[(rgba[0] >> 2) << 12 | (rgba[1] >> 2) << 6 | rgba[2] >> 2];
}
