// Role captions, the boxes written by "OK", and the angles between the measured vectors.
#include "measurement/pattern_vectors.hpp"

#include <cmath>   // for atan, sqrt, fabs
#include <numbers> // for pi

#include "core/number_format.hpp"
#include "core/numeric_text.hpp"

namespace spot {

std::optional<LineRole> LineRoleFromIndex(int index) {
  if (index < 0 || index >= kLineRoleCount) return std::nullopt;
  return static_cast<LineRole>(index);
}

double RoundedLengthPx(double measuredLengthPx) {
  std::string text = FormatTwoDecimals(measuredLengthPx);
  std::erase(text, ','); // the grouping commas are not part of the number read back
  return NumericPrefix(text);
}

std::string RoleLengthCaption(LineRole role, double measuredLengthPx) {
  static constexpr std::array<std::string_view, kLineRoleCount> prefixes = {
      "Scale bar length is ", "R1 length is ", "R2 length is ", "R3 length is "};
  return std::string(prefixes[static_cast<std::size_t>(role)]) +
         FormatGeneral(RoundedLengthPx(measuredLengthPx)) + "px";
}

std::string_view RoleEntryCaption(LineRole role) {
  return role == LineRole::ScaleBar ? "        1/nm" : "       times length";
}

void PatternVectors::reset() {
  X1 = Y1 = X2 = Y2 = X3 = Y3 = 1;
  Measured1 = Measured2 = Measured3 = 0;
}

namespace {

struct Vector2 {
  double x, y;
};

/// Arccos in the form atan(-c / sqrt(1 - c²)) + 2 atan(1), degrees; nullopt where that divides
/// by zero or takes the root of a negative number.
std::optional<double> angleBetween(Vector2 u, Vector2 v, std::optional<AngleFault>& fault) {
  const double lu = std::sqrt(u.x * u.x + u.y * u.y);
  const double lv = std::sqrt(v.x * v.x + v.y * v.y);
  if (lu == 0 || lv == 0) {
    fault = AngleFault::ZeroLengthVector;
    return std::nullopt;
  }
  const double c = (u.x * v.x + u.y * v.y) / lu / lv;
  const double s = 1 - c * c;
  if (!(s > 0)) { // parallel, or rounding pushed |c| past 1
    fault = AngleFault::ParallelVectors;
    return std::nullopt;
  }
  const double radians = std::atan(-c / std::sqrt(s)) + 2 * std::atan(1.0);
  return radians * 180 / std::numbers::pi;
}

} // namespace

AngleCandidatesResult AngleCandidatesOf(const PatternVectors& vectors) {
  const Vector2 r1{vectors.X1, vectors.Y1};
  const Vector2 r2{vectors.X2, vectors.Y2};
  const Vector2 r3{vectors.X3, vectors.Y3};
  const std::array<std::array<Vector2, 2>, 3> pairs = {{{r1, r2}, {r2, r3}, {r1, r3}}};

  AngleCandidatesResult result;
  for (std::size_t row = 0; row < pairs.size(); ++row) {
    const std::optional<double> angle = angleBetween(pairs[row][0], pairs[row][1], result.fault);
    if (!angle) return result;
    result.value[row] = {*angle, 180 - *angle};
  }
  return result;
}

std::optional<std::array<double, 3>> ChooseConsistentAngles(const AngleCandidates& candidates) {
  std::optional<std::array<double, 3>> chosen;
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 2; ++b)
      for (int c = 0; c < 2; ++c)
        if (std::fabs(candidates[2][c] + candidates[1][b] - candidates[0][a]) <= 1)
          chosen = {candidates[0][a], candidates[1][b], candidates[2][c]};
  return chosen;
}

std::optional<std::array<double, 3>> PatternAngles(const PatternVectors& vectors) {
  const AngleCandidatesResult candidates = AngleCandidatesOf(vectors);
  if (candidates.fault || !vectors.allMeasured()) return std::nullopt;
  return ChooseConsistentAngles(candidates.value);
}

void CleanPictureMeasurement(BoxTexts& boxes, PatternVectors& vectors) {
  for (Box box : kPictureMeasurementBoxes)
    boxes[box].clear();
  vectors.reset();
}

std::vector<Box> ConfirmMeasuredLine(LineRole role, std::string_view entryText,
                                     const PictureLine& line, double measuredLengthPx,
                                     PatternVectors& vectors, BoxTexts& boxes) {
  std::vector<Box> written;
  const auto write = [&](Box box, std::string text) {
    boxes[box] = std::move(text);
    written.push_back(box);
  };
  // An empty entry (Return pressed before typing) keeps what the box holds.
  const auto writeEntry = [&](Box box) {
    if (entryText.find_first_not_of(" \t") != std::string_view::npos)
      write(box, std::string(entryText));
  };
  const double dx = line.start.x - line.end.x;
  const double dy = line.start.y - line.end.y;
  switch (role) {
  case LineRole::ScaleBar:
    write(Box::ScaleBarLength, FormatGeneral(measuredLengthPx));
    writeEntry(Box::ScaleBarValue);
    break;
  case LineRole::R1:
    write(Box::Length1, FormatGeneral(measuredLengthPx));
    writeEntry(Box::Number1);
    vectors.X1 = dx, vectors.Y1 = dy, vectors.Measured1 = 1;
    break;
  case LineRole::R2:
    write(Box::Length2, FormatGeneral(measuredLengthPx));
    writeEntry(Box::Number2);
    vectors.X2 = dx, vectors.Y2 = dy, vectors.Measured2 = 1;
    break;
  case LineRole::R3:
    write(Box::Length3, FormatGeneral(measuredLengthPx));
    writeEntry(Box::Number3);
    vectors.X3 = dx, vectors.Y3 = dy, vectors.Measured3 = 1;
    break;
  }

  if (const std::optional<std::array<double, 3>> angles = PatternAngles(vectors)) {
    write(Box::Angle12, FormatGeneral((*angles)[0]));
    write(Box::Angle23, FormatGeneral((*angles)[1]));
    write(Box::Angle13, FormatGeneral((*angles)[2]));
  }
  return written;
}

} // namespace spot
