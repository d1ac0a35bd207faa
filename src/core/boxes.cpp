// The numbered boxes of the main window by meaning.
#include "core/boxes.hpp"

namespace spot {

BoxTexts BoxTexts::Initial() {
  BoxTexts boxes;
  for (int i = BoxNumber(Box::CalcAngle12); i <= BoxNumber(Box::CalcZoneW); ++i)
    boxes[i] = kNotCalculatedText;
  boxes[Box::IndexRange] = "5";
  for (Box b : {Box::DTol1, Box::DTol2, Box::DTol3})
    boxes[b] = "0.008";
  for (Box b : {Box::AngleTol12, Box::AngleTol23, Box::AngleTol13})
    boxes[b] = "2";
  return boxes;
}

std::string BoxCaption(Box box) {
  switch (box) {
  case Box::A: return "a";
  case Box::B: return "b";
  case Box::C: return "c";
  case Box::Alpha: return "α";
  case Box::Beta: return "β";
  case Box::Gamma: return "γ";
  case Box::IndexRange: return "Index range";
  case Box::ScaleBarValue: return "Scale bar value (1/nm)";
  case Box::ScaleBarLength: return "Scale bar length (px)";
  case Box::Length1: return "Length of R1 (px)";
  case Box::Length2: return "Length of R2 (px)";
  case Box::Length3: return "Length of R3 (px)";
  case Box::DTol1: return "d1 tolerance (nm)";
  case Box::DTol2: return "d2 tolerance (nm)";
  case Box::DTol3: return "d3 tolerance (nm)";
  case Box::Number1: return "Number of R1";
  case Box::Number2: return "Number of R2";
  case Box::Number3: return "Number of R3";
  case Box::Angle12: return "Angle <R1,R2>";
  case Box::Angle23: return "Angle <R2,R3>";
  case Box::Angle13: return "Angle <R1,R3>";
  case Box::AngleTol12: return "<R1,R2> tolerance (deg.)";
  case Box::AngleTol23: return "<R2,R3> tolerance (deg.)";
  case Box::AngleTol13: return "<R1,R3> tolerance (deg.)";
  default: break;
  }
  const int n = BoxNumber(box);
  if (n >= 6 && n <= 14) {
    static const char* const planes[] = {"R1", "R2", "R3"};
    static const char* const indices[] = {"h", "k", "l"};
    return std::string(planes[(n - 6) % 3]) + " " + indices[(n - 6) / 3];
  }
  return "Text1(" + std::to_string(n) + ")";
}

} // namespace spot
