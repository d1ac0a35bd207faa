// What the measure dialog does with a finished line: the role captions, the boxes "OK" writes,
// the measured vectors of R1, R2, R3 and the three angles worked out from them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/boxes.hpp"
#include "measurement/line_slots.hpp"

namespace spot {

// ROLES

/// What a drawn line was; the value is the dialog's option number.
enum class LineRole { ScaleBar = 0, R1 = 1, R2 = 2, R3 = 3 };

inline constexpr int kLineRoleCount = 4;

/// The role of option i, nullopt outside 0..3.
std::optional<LineRole> LineRoleFromIndex(int index);

/// A length rounded to two decimals the way the dialog shows it ("##,#,0.00" read back).
double RoundedLengthPx(double measuredLengthPx);

/// "Scale bar length is 212.13px", "R1 length is 98.5px" ...
std::string RoleLengthCaption(LineRole role, double measuredLengthPx);

/// What the entry box means: "        1/nm" for the scale bar, "       times length" otherwise.
std::string_view RoleEntryCaption(LineRole role);

// VECTORS

/// Directions of the lines confirmed as R1, R2, R3 (start minus end, picture pixels, y down)
/// and whether each was confirmed since the last Clean.
struct PatternVectors {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0;
  int Measured1 = 0, Measured2 = 0, Measured3 = 0;

  /// Clean: flags 0 and every component 1.
  void reset();
  bool allMeasured() const { return Measured1 == 1 && Measured2 == 1 && Measured3 == 1; }
};

// ANGLES

enum class AngleFault {
  ZeroLengthVector, ///< a vector of length 0 (never measured, or a click without movement)
  ParallelVectors,  ///< two parallel or antiparallel vectors: the arccos step divides by zero
};

/// Rows <R1,R2>, <R2,R3>, <R1,R3>; column 0 the angle between the two vectors, column 1 its
/// supplement; degrees.
using AngleCandidates = std::array<std::array<double, 2>, 3>;

struct AngleCandidatesResult {
  AngleCandidates value{};
  std::optional<AngleFault> fault;
};

/// The angle between each pair of vectors and its supplement.
AngleCandidatesResult AngleCandidatesOf(const PatternVectors& vectors);

/// Picks, for each pair of undirected lines, the angle or its supplement so that
/// <R1,R2> = <R1,R3> + <R2,R3> within 1 degree (inclusive), i.e. R3 lies between R1 and R2.
/// Combinations are tried with <R1,R2> outermost and <R1,R3> innermost, angle before supplement;
/// the last agreeing one wins. Returns {<R1,R2>, <R2,R3>, <R1,R3>}, or nullopt when none agrees.
std::optional<std::array<double, 3>> ChooseConsistentAngles(const AngleCandidates& candidates);

/// The three angles once all three vectors are measured, nullopt otherwise or on a fault.
std::optional<std::array<double, 3>> PatternAngles(const PatternVectors& vectors);

// BOXES

/// The eleven boxes of the "Picture measurement" frame that Clean empties.
inline constexpr std::array<Box, 11> kPictureMeasurementBoxes = {
    Box::ScaleBarValue, Box::ScaleBarLength, Box::Length1, Box::Length2, Box::Length3, Box::Number1,
    Box::Number2,       Box::Number3,        Box::Angle12, Box::Angle23, Box::Angle13};

/// Clean: empties the picture-measurement boxes and resets the vectors.
void CleanPictureMeasurement(BoxTexts& boxes, PatternVectors& vectors);

/// The dialog's "OK" for the last finished line: writes its length (general form) and the entry
/// text into the role's boxes (an empty or blank entry leaves its box as it was), records the
/// line's direction for R1..R3, and writes the three angles when they can be worked out and
/// agree. Returns the boxes written, in writing order.
std::vector<Box> ConfirmMeasuredLine(LineRole role, std::string_view entryText,
                                     const PictureLine& line, double measuredLengthPx,
                                     PatternVectors& vectors, BoxTexts& boxes);

} // namespace spot
