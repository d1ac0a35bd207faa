// Why a search stopped, in words for the user.
#include "indexing/search_fault.hpp"

namespace spot {

Box FaultBox(SearchFault fault) {
  switch (fault) {
  case SearchFault::NegativeIndexRange:
  case SearchFault::IndexRangeTooLarge: return Box::IndexRange;
  case SearchFault::ZeroScaleBarValue: return Box::ScaleBarValue;
  case SearchFault::ZeroLength1: return Box::Length1;
  case SearchFault::ZeroLength2: return Box::Length2;
  case SearchFault::ZeroLength3: return Box::Length3;
  case SearchFault::ScaleOutOfRange: return Box::ScaleBarLength;
  case SearchFault::InvalidCell: return Box::A;
  case SearchFault::TooManyPairs:
  case SearchFault::TooManyRows:
  case SearchFault::TooManyBatchRows: return Box::DTol1;
  case SearchFault::Stopped: return Box::IndexRange;
  }
  return Box::IndexRange;
}

std::string FaultMessage(SearchFault fault, const SearchLimits& limits) {
  const auto quoted = [](Box box) { return "\"" + BoxCaption(box) + "\""; };
  switch (fault) {
  case SearchFault::NegativeIndexRange:
    return "The index range in the box " + quoted(Box::IndexRange) +
           " is negative. Please enter a whole number of 0 or more.";
  case SearchFault::IndexRangeTooLarge:
    return "The index range in the box " + quoted(Box::IndexRange) +
           " is too large. Please enter at most " + std::to_string(limits.maxIndexRange) + ".";
  case SearchFault::ZeroScaleBarValue:
    return "The scale bar value in the box " + quoted(Box::ScaleBarValue) +
           " is 0, so no spacing can be measured. Please enter the value printed on the scale bar.";
  case SearchFault::ZeroLength1:
  case SearchFault::ZeroLength2:
  case SearchFault::ZeroLength3:
    return "The length in the box " + quoted(FaultBox(fault)) +
           " is 0, so its spacing cannot be measured. Please measure or enter the length.";
  case SearchFault::ScaleOutOfRange:
    return "The scale bar and the lengths give spacings too large to compute. Please check the "
           "box " +
           quoted(Box::ScaleBarLength) + " and the lengths.";
  case SearchFault::InvalidCell:
    return "The lattice parameters a, b, c, α, β, γ do not describe a real cell (lengths must be "
           "above 0, angles between 0 and 180 degrees and enclose a volume). Please check the "
           "box " +
           quoted(Box::A) + " and the five after it.";
  case SearchFault::TooManyPairs:
    return "The spacing tolerances admit so many planes that the search would not end in time. "
           "Please narrow the tolerances, starting with the box " +
           quoted(Box::DTol1) + ", or lower the index range.";
  case SearchFault::TooManyRows:
    return "The search found more than " + std::to_string(limits.maxRows) +
           " solutions and stopped. Please narrow the tolerances, starting with the box " +
           quoted(Box::DTol1) + ".";
  case SearchFault::TooManyBatchRows:
    return "The selected phases found more than " + std::to_string(limits.maxBatchRows) +
           " solutions together, so the batch stopped and kept none. Please narrow the "
           "tolerances, starting with the box " +
           quoted(Box::DTol1) + ", or select fewer phases.";
  case SearchFault::Stopped: return "The run was stopped before it ended.";
  }
  return {};
}

} // namespace spot
