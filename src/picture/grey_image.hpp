#pragma once
// A picture as grey values: what spot finding, measuring and snapping work on. The window and
// the command-line tool convert what they read (common formats, DM, MRC, TIFF) into this; nothing
// here knows about files or Qt.
#include <cstddef>
#include <vector>

namespace spot {

// Grey values row by row from the top-left pixel, whose centre is (0, 0); x to the right, y
// down. Values keep the picture's own scale (0-255 for 8-bit, 0-65535 for 16-bit, the file's
// numbers for float data); float holds every 16-bit value exactly.
struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<float> values; // width * height

  GreyImage() = default;
  GreyImage(int w, int h, float fill = 0.0f)
      : width(w), height(h),
        values(static_cast<std::size_t>(w > 0 ? w : 0) * static_cast<std::size_t>(h > 0 ? h : 0),
               fill) {}

  bool empty() const { return values.empty(); }
  float at(int x, int y) const { return values[index(x, y)]; }
  float& at(int x, int y) { return values[index(x, y)]; }

private:
  std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }
};

} // namespace spot
