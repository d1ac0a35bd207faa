// A picture file's own calibration as the scale bar boxes hold it: a diffraction pattern saved
// with its 1/nm per pixel needs no scale bar measured by hand.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/boxes.hpp"

namespace spot {

/// Writes the scale bar a calibration of `reciprocalNmPerPixel` (1/nm per pixel) stands for, as
/// if a bar had been measured: value "1" (1/nm) over the pixels that span 1/nm (general form).
/// Returns the boxes written; none when the scale is not finite and above 0.
std::vector<Box> WriteCalibratedScaleBar(double reciprocalNmPerPixel, BoxTexts& boxes);

/// The status bar's words for a file's calibration: "Calibration from the file: 0.17443 1/nm per
/// pixel"; a real-space one (any other units) is shown as not used for the scale bar.
std::string CalibrationStatusText(double scale, const std::string& units, bool usedForScaleBar);

} // namespace spot
