// The scale bar from a picture's calibration.
#include "measurement/calibrated_scale_bar.hpp"

#include <charconv>
#include <cmath>

#include "core/number_format.hpp"

namespace spot {

std::vector<Box> WriteCalibratedScaleBar(double reciprocalNmPerPixel, BoxTexts& boxes) {
  if (!std::isfinite(reciprocalNmPerPixel) || !(reciprocalNmPerPixel > 0)) return {};
  const std::string length = FormatGeneral(1.0 / reciprocalNmPerPixel);
  if (length.empty()) return {}; // 1 / a denormal overflows
  boxes[Box::ScaleBarLength] = length;
  boxes[Box::ScaleBarValue] = "1";
  return {Box::ScaleBarLength, Box::ScaleBarValue};
}

std::string CalibrationStatusText(double scale, const std::string& units, bool usedForScaleBar) {
  // The shortest text that reads back as the scale: what the camera software wrote.
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, scale);
  const std::string number(text, written.ptr);
  std::string status = "Calibration from the file: " + number + " " + units + " per pixel";
  if (!usedForScaleBar) status += " (a real-space scale: not used for the scale bar)";
  return status;
}

} // namespace spot
