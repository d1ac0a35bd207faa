// Diffraction pictures made in the tests with known truth: Gaussian spots at chosen places on a
// sloping, fading background, Gaussian noise, a saturated direct beam, a burnt-in scale bar and
// text, stored as 8-bit or 16-bit grey values.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string_view>
#include <vector>

#include "picture/grey_image.hpp"

namespace spot::testing {

struct TrueSpot {
  double x = 0, y = 0;
  double amplitude = 0; ///< peak above the background, on the 0-255 scale
  double sigma = 2;     ///< px
};

struct PictureRecipe {
  int width = 512, height = 512;
  bool sixteenBit = false;
  double noise = 3;                    ///< sigma on the 0-255 scale
  double level = 30;                   ///< background at the top-left corner, 0-255 scale
  double slopeX = 0.02, slopeY = 0.01; ///< background slope, per px
  double haloAmplitude = 40;           ///< diffuse fall-off around the direct beam
  double haloSigma = 120;              ///< px
  double beamX = 256, beamY = 256;     ///< direct beam centre; the halo is centred there
  double beamAmplitude = 0;            ///< 0: no direct beam; above 255 it saturates
  double beamSigma = 6;
  bool scaleBar = false; ///< a white bar and "5 1/nm" near the lower left corner
  bool labelBox = false; ///< ... on a black box (20..160, h-70..h-16)
  unsigned seed = 1;
};

/// The five-by-seven pixel letters the burnt-in text uses (bit 4 is the leftmost column).
inline const std::array<unsigned char, 7>* GlyphOf(char c) {
  static const std::array<unsigned char, 7> five = {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E};
  static const std::array<unsigned char, 7> one = {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E};
  static const std::array<unsigned char, 7> two = {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F};
  static const std::array<unsigned char, 7> slash = {0x01, 0x02, 0x02, 0x04, 0x08, 0x08, 0x10};
  static const std::array<unsigned char, 7> n = {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11};
  static const std::array<unsigned char, 7> m = {0x00, 0x00, 0x1A, 0x15, 0x15, 0x15, 0x15};
  static const std::array<unsigned char, 7> dot = {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C};
  switch (c) {
  case '5': return &five;
  case '1': return &one;
  case '2': return &two;
  case '/': return &slash;
  case 'n': return &n;
  case 'm': return &m;
  case '.': return &dot;
  default: return nullptr;
  }
}

/// The picture: every spot of `spots` (and the direct beam) over the background, with noise,
/// clipped to the full scale and rounded to whole grey values.
inline GreyImage RenderPicture(const PictureRecipe& recipe, const std::vector<TrueSpot>& spots) {
  const int w = recipe.width, h = recipe.height;
  std::vector<double> v(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  const auto at = [&](int x, int y) -> double& {
    return v[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
             static_cast<std::size_t>(x)];
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double r2 =
          (x - recipe.beamX) * (x - recipe.beamX) + (y - recipe.beamY) * (y - recipe.beamY);
      at(x, y) = recipe.level + recipe.slopeX * x + recipe.slopeY * y +
                 recipe.haloAmplitude * std::exp(-r2 / (2 * recipe.haloSigma * recipe.haloSigma));
    }
  std::vector<TrueSpot> all = spots;
  if (recipe.beamAmplitude > 0)
    all.push_back({recipe.beamX, recipe.beamY, recipe.beamAmplitude, recipe.beamSigma});
  for (const TrueSpot& s : all) {
    const int reach = static_cast<int>(std::ceil(6 * s.sigma));
    for (int y = std::max(0, static_cast<int>(s.y) - reach);
         y <= std::min(h - 1, static_cast<int>(s.y) + reach); ++y)
      for (int x = std::max(0, static_cast<int>(s.x) - reach);
           x <= std::min(w - 1, static_cast<int>(s.x) + reach); ++x)
        at(x, y) += s.amplitude * std::exp(-((x - s.x) * (x - s.x) + (y - s.y) * (y - s.y)) /
                                           (2 * s.sigma * s.sigma));
  }
  std::mt19937 random(recipe.seed);
  std::normal_distribution<double> gauss(0.0, recipe.noise);
  for (double& value : v)
    value += gauss(random);

  if (recipe.scaleBar && recipe.labelBox)
    for (int y = std::max(0, h - 70); y < h - 16; ++y)
      for (int x = 20; x < std::min(w, 160); ++x)
        at(x, y) = 0;
  if (recipe.scaleBar) {
    // A 120 x 5 px bar and the label above it, anti-aliased letters three pixels per dot.
    const int x0 = 30, y0 = h - 30;
    for (int y = y0; y < y0 + 5 && y < h; ++y)
      for (int x = x0; x < x0 + 120 && x < w; ++x)
        at(x, y) = 255;
    constexpr std::string_view label = "5 1/nm";
    constexpr int dot = 3;
    for (std::size_t c = 0; c < label.size(); ++c) {
      const std::array<unsigned char, 7>* glyph = GlyphOf(label[c]);
      if (!glyph) continue;
      const int gx = x0 + static_cast<int>(c) * 6 * dot, gy = y0 - 10 - 7 * dot;
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col) {
          if (!(((*glyph)[static_cast<std::size_t>(row)] >> (4 - col)) & 1)) continue;
          for (int y = gy + row * dot - 1; y <= gy + row * dot + dot; ++y)
            for (int x = gx + col * dot - 1; x <= gx + col * dot + dot; ++x) {
              if (x < 0 || y < 0 || x >= w || y >= h) continue;
              const bool inner = x >= gx + col * dot && x < gx + (col + 1) * dot &&
                                 y >= gy + row * dot && y < gy + (row + 1) * dot;
              at(x, y) = std::max(at(x, y), inner ? 255.0 : 0.5 * (at(x, y) + 255));
            }
        }
    }
  }

  const double scale = recipe.sixteenBit ? 257.0 : 1.0;
  const double top = recipe.sixteenBit ? 65535.0 : 255.0;
  GreyImage image(w, h);
  for (std::size_t i = 0; i < v.size(); ++i)
    image.values[i] = static_cast<float>(std::clamp(std::round(v[i] * scale), 0.0, top));
  return image;
}

/// Spots on the lattice centre + i a + j b (px) that fall inside the picture, the direct beam
/// left out; amplitudes spread from 5 to 80 noise sigmas and widths from 2 to 4.5 px, drawn
/// from `seed`. A spot and its Friedel partner (-i, -j) are alike, as in a real pattern.
inline std::vector<TrueSpot> LatticeSpots(const PictureRecipe& recipe, std::array<double, 2> a,
                                          std::array<double, 2> b, unsigned seed) {
  std::vector<TrueSpot> spots;
  for (int i = -60; i <= 60; ++i)
    for (int j = -60; j <= 60; ++j) {
      if (i == 0 && j == 0) continue;
      const double x = recipe.beamX + i * a[0] + j * b[0];
      const double y = recipe.beamY + i * a[1] + j * b[1];
      if (x < 0 || y < 0 || x > recipe.width - 1 || y > recipe.height - 1) continue;
      const bool first = i > 0 || (i == 0 && j > 0);
      std::mt19937 random(seed * 1000003u + static_cast<unsigned>((first ? i : -i) + 100) * 1009u +
                          static_cast<unsigned>((first ? j : -j) + 100));
      std::uniform_real_distribution<double> unit(0.0, 1.0);
      const double sigmas = 5 * std::pow(16.0, unit(random)); // 5 to 80 noise sigmas
      spots.push_back({x, y, sigmas * recipe.noise, 2 + 2.5 * unit(random)});
    }
  return spots;
}

/// A vector of `length` px at `degrees` counter-clockwise from +x as seen on the screen, in the
/// picture's coordinates (y down).
inline std::array<double, 2> ScreenVector(double length, double degrees) {
  const double radians = degrees * 3.14159265358979323846 / 180;
  return {length * std::cos(radians), -length * std::sin(radians)};
}

} // namespace spot::testing
