// The scale bar boxes from a picture file's calibration, and the status bar's words for it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "measurement/calibrated_scale_bar.hpp"

namespace spot {
namespace {

TEST(CalibratedScaleBar, OneReciprocalNanometreOverItsPixelsOrNothing) {
  BoxTexts boxes = BoxTexts::Initial();
  // 0.25 1/nm a pixel: 1 1/nm spans 1 / 0.25 = 4 px; the length is written first, as the
  // measure dialog does.
  EXPECT_EQ(WriteCalibratedScaleBar(0.25, boxes),
            (std::vector<Box>{Box::ScaleBarLength, Box::ScaleBarValue}));
  EXPECT_EQ(boxes[Box::ScaleBarValue], "1");
  EXPECT_EQ(boxes[Box::ScaleBarLength], "4");
  // Scales that give no bar leave the boxes alone: 0, negative, NaN, infinite, and a denormal
  // whose inverse overflows.
  boxes[Box::ScaleBarLength] = "kept";
  for (double scale : {0.0, -0.25, std::nan(""), std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::denorm_min()})
    EXPECT_TRUE(WriteCalibratedScaleBar(scale, boxes).empty()) << scale;
  EXPECT_EQ(boxes[Box::ScaleBarLength], "kept");

  EXPECT_EQ(CalibrationStatusText(0.17443, "1/nm", true),
            "Calibration from the file: 0.17443 1/nm per pixel");
  EXPECT_EQ(CalibrationStatusText(2.5, "nm", false),
            "Calibration from the file: 2.5 nm per pixel (a real-space scale: not used for the "
            "scale bar)");
}

} // namespace
} // namespace spot
