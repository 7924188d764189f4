#include "clip/palette.h"

#include <cmath>

namespace {

// What the game draws with, at full strength: the HUD's green, the ship's, the diamonds' and
// "game over"'s red, the darts' yellow, the beam's blue and the lasers' pink.
constexpr uint8_t kGameColours[][3] = {{51, 255, 51}, {0, 255, 0}, {255, 0, 0},
                                       {255, 255, 0}, {0, 0, 255}, {255, 0, 128}};
constexpr int kHues = sizeof kGameColours / sizeof kGameColours[0];
// Each colour from full strength down to a glimmer, spaced evenly in ratio, as a trail fades
// by the same share every frame. Sixteen shades look like more on a trail, and a fading
// pixel that changes shade less often makes a GIF a third smaller than with forty.
constexpr int kShades = 16;
constexpr double kDimmest = 0.03;

}  // namespace

void MakePalette(Palette* palette) {
  uint32_t* colours = palette->colours;
  int count = 0;
  colours[count++] = 0xFF000000u;
  const double ratio = std::pow(kDimmest, 1.0 / (kShades - 1));
  for (const auto& hue : kGameColours) {
    double strength = 1.0;
    for (int shade = 0; shade < kShades; ++shade, strength *= ratio) {
      uint32_t colour = 0xFF000000u;
      for (int c = 0; c < 3; ++c) {
        colour |= static_cast<uint32_t>(std::lround(hue[c] * strength)) << (16 - 8 * c);
      }
      colours[count++] = colour;
    }
  }
  // The rest is never the nearest: the encoder takes one of them for "unchanged".
  while (count < kPaletteSize) colours[count++] = 0xFF000000u;

  // Nearest by plain distance in RGB, over 64 levels a channel: finer than any two shades.
  palette->nearest.assign(64 * 64 * 64, 0);
  for (int cell = 0; cell < 64 * 64 * 64; ++cell) {
    const int rgb[3] = {(cell >> 12) * 4 + 2, (cell >> 6 & 63) * 4 + 2, (cell & 63) * 4 + 2};
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 1 + kHues * kShades; ++i) {
      int distance = 0;
      for (int c = 0; c < 3; ++c) {
        const int d = rgb[c] - static_cast<int>(colours[i] >> (16 - 8 * c) & 0xFF);
        distance += d * d;
      }
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    palette->nearest[cell] = static_cast<uint8_t>(best);
  }
}
