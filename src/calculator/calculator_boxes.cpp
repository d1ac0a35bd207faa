// The calculator's boxes and the texts of an emptied calculator.
#include "calculator/calculator_boxes.hpp"

#include "core/number_format.hpp"
#include "core/numeric_text.hpp"

namespace spot {

std::optional<Box> FirstNonNumericIndexBox(const BoxTexts& boxes) {
  for (int i = BoxNumber(Box::CalcH1); i <= BoxNumber(Box::CalcL3); ++i)
    if (!IsNumeric(boxes[i])) return static_cast<Box>(i);
  return std::nullopt;
}

std::array<PlaneVector, 3> ReadCalculatorPlanes(const BoxTexts& boxes) {
  std::array<PlaneVector, 3> planes{};
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c)
      planes[r][c] = NumericPrefix(boxes[kCalculatorIndexBoxes[r][c]]);
  return planes;
}

std::string SpacingCaption(int plane, const std::optional<double>& spacingNm) {
  const std::string caption = "d" + std::to_string(plane + 1) + "=";
  return spacingNm ? caption + FormatSpacing(*spacingNm)
                   : caption + " " + std::string(kNotCalculatedText);
}

} // namespace spot
