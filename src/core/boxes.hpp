// The numbered boxes of the main window, Text1(0)..Text1(38), by meaning.
// Computation reads the same texts the user typed, so the box numbering lives here, not in ui/.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace spot {

inline constexpr int kBoxCount = 39;

/// What a calculator output shows while it holds no result: the angle and zone-axis boxes of a
/// new or emptied calculator, and its spacing labels after "d1= ".
inline constexpr std::string_view kNotCalculatedText = "***";

/// Element numbers of the box array; the window's objectNames are "Text1(<number>)".
enum class Box : int {
  A = 0,
  B = 1,
  C = 2,
  Alpha = 3,
  Beta = 4,
  Gamma = 5,
  // Plane calculator: R1 = 6, 9, 12; R2 = 7, 10, 13; R3 = 8, 11, 14 (h, k, l).
  CalcH1 = 6,
  CalcH2 = 7,
  CalcH3 = 8,
  CalcK1 = 9,
  CalcK2 = 10,
  CalcK3 = 11,
  CalcL1 = 12,
  CalcL2 = 13,
  CalcL3 = 14,
  CalcAngle12 = 15,
  CalcAngle23 = 16,
  CalcAngle13 = 17,
  CalcZoneU = 18,
  CalcZoneV = 19,
  CalcZoneW = 20,
  IndexRange = 21,
  ScaleBarValue = 22,  ///< 1/nm
  ScaleBarLength = 23, ///< px
  Length1 = 24,
  Length2 = 25,
  Length3 = 26, ///< px
  DTol1 = 27,
  DTol2 = 28,
  DTol3 = 29, ///< nm
  Number1 = 30,
  Number2 = 31,
  Number3 = 32, ///< spot spacings spanned by each line
  Angle12 = 33,
  Angle23 = 34,
  Angle13 = 35, ///< degrees
  AngleTol12 = 36,
  AngleTol23 = 37,
  AngleTol13 = 38,
};

constexpr int BoxNumber(Box box) { return static_cast<int>(box); }

/// The texts of all 39 boxes, indexed by element number.
struct BoxTexts {
  std::array<std::string, kBoxCount> text;

  std::string& operator[](Box box) { return text[static_cast<std::size_t>(box)]; }
  const std::string& operator[](Box box) const { return text[static_cast<std::size_t>(box)]; }
  std::string& operator[](int box) { return text[static_cast<std::size_t>(box)]; }
  const std::string& operator[](int box) const { return text[static_cast<std::size_t>(box)]; }

  /// The texts a freshly opened window shows.
  static BoxTexts Initial();
};

/// What the user sees as the box's name in messages ("Index range", "Length of R1" ...).
std::string BoxCaption(Box box);

} // namespace spot
