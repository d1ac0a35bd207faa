// The texts of the results list and the summary line.
#include "indexing/result_text.hpp"

#include "core/number_format.hpp"

namespace spot {

// One row per column, in column order.
const std::array<ResultColumn, kResultColumnCount> kResultColumns = {{
    {"No.", 1020, ColumnAlignment::Left},      // kRowLabel
    {" ", 443, ColumnAlignment::Right},        // kH1
    {"R1", 443, ColumnAlignment::Right},       // kK1
    {" ", 443, ColumnAlignment::Right},        // kL1
    {" ", 353, ColumnAlignment::Centre},       // kPlus
    {" ", 443, ColumnAlignment::Right},        // kH2
    {"R2", 443, ColumnAlignment::Right},       // kK2
    {" ", 443, ColumnAlignment::Right},        // kL2
    {" ", 353, ColumnAlignment::Centre},       // kEquals
    {" ", 443, ColumnAlignment::Right},        // kH3
    {"R3", 443, ColumnAlignment::Right},       // kK3
    {" ", 443, ColumnAlignment::Right},        // kL3
    {" ", 353, ColumnAlignment::Centre},       // kSpacingSeparator
    {"d1", 1050, ColumnAlignment::Centre},     // kD1
    {"d2", 1050, ColumnAlignment::Centre},     // kD2
    {"d3", 1050, ColumnAlignment::Centre},     // kD3
    {" ", 353, ColumnAlignment::Centre},       // kAngleSeparator
    {"<R1,R2>", 942, ColumnAlignment::Centre}, // kAngle12
    {"<R2,R3>", 942, ColumnAlignment::Centre}, // kAngle23
    {"<R1,R3>", 942, ColumnAlignment::Centre}, // kAngle13
}};

std::string RowLabel(int rowNumber) { return "No." + FormatThreeDigits(rowNumber); }

std::string ResultCellText(const IndexingResult& row, int c) {
  using namespace column;
  switch (c) {
  case kRowLabel: return RowLabel(row.rowNumber);
  case kH1: return std::to_string(row.g1.h);
  case kK1: return std::to_string(row.g1.k);
  case kL1: return std::to_string(row.g1.l);
  case kPlus: return "+";
  case kH2: return std::to_string(row.g2.h);
  case kK2: return std::to_string(row.g2.k);
  case kL2: return std::to_string(row.g2.l);
  case kEquals: return "\uFF1D";
  case kH3: return std::to_string(row.g3.h);
  case kK3: return std::to_string(row.g3.k);
  case kL3: return std::to_string(row.g3.l);
  case kSpacingSeparator:
  case kAngleSeparator: return "\u25C7";
  case kD1: return FormatSpacing(row.d[0]);
  case kD2: return FormatSpacing(row.d[1]);
  case kD3: return FormatSpacing(row.d[2]);
  case kAngle12: return FormatAngle(row.angle[0]);
  case kAngle23: return FormatAngle(row.angle[1]);
  case kAngle13: return FormatAngle(row.angle[2]);
  default: return {};
  }
}

std::array<std::string, kResultColumnCount> ResultCellTexts(const IndexingResult& row) {
  std::array<std::string, kResultColumnCount> cells;
  for (int c = 0; c < kResultColumnCount; ++c)
    cells[static_cast<std::size_t>(c)] = ResultCellText(row, c);
  return cells;
}

std::string MeasuredSummaryText(const MeasuredPattern& pattern) {
  return FormatSpacing(pattern.d[0]) + "   " + FormatSpacing(pattern.d[1]) + "   " +
         FormatSpacing(pattern.d[2]) + "      " + FormatAngle(pattern.angle[0]) + "   " +
         FormatAngle(pattern.angle[1]) + "    " + FormatAngle(pattern.angle[2]);
}

} // namespace spot
