// Directed R1 and R2 from the confirmed lines.
#include "measurement/measured_basis.hpp"

#include <algorithm> // for min
#include <cmath>     // for hypot, isfinite

#include "core/numeric_text.hpp"

namespace spot {

namespace {

/// The line's vector end minus start (the dialog keeps start minus end) over its Number.
std::optional<PicturePoint> perSpacing(double x, double y, const std::string& number) {
  const double n = NumericPrefix(number);
  if (!(n > 0) || !std::isfinite(n) || !(std::hypot(x, y) > 0)) return std::nullopt;
  return PicturePoint{-x / n, -y / n};
}

} // namespace

std::optional<std::array<PicturePoint, 2>> MeasuredBasis(const PatternVectors& vectors,
                                                         const BoxTexts& boxes) {
  if (vectors.Measured1 != 1 || vectors.Measured2 != 1) return std::nullopt;
  const std::optional<PicturePoint> r1 = perSpacing(vectors.X1, vectors.Y1, boxes[Box::Number1]);
  std::optional<PicturePoint> r2 = perSpacing(vectors.X2, vectors.Y2, boxes[Box::Number2]);
  if (!r1 || !r2) return std::nullopt;
  if (vectors.Measured3 == 1) {
    if (const std::optional<PicturePoint> r3 =
            perSpacing(vectors.X3, vectors.Y3, boxes[Box::Number3])) {
      // R3 itself may point either way: compare R1 + R2 and R1 - R2 with both of its ends.
      const auto miss = [&](double sign) {
        const double x = r1->x + sign * r2->x, y = r1->y + sign * r2->y;
        return std::min(std::hypot(x - r3->x, y - r3->y), std::hypot(x + r3->x, y + r3->y));
      };
      if (miss(-1) < miss(1)) r2 = PicturePoint{-r2->x, -r2->y};
    }
  }
  return std::array<PicturePoint, 2>{*r1, *r2};
}

} // namespace spot
