// The texts of the results list and the summary line.
#include "indexing/result_text.hpp"

#include "core/number_format.hpp"

namespace spot {

const std::array<ResultColumn, kResultColumnCount> kResultColumns = {{
    {"No.", 1020, ColumnAlignment::Left},      {" ", 443, ColumnAlignment::Right},
    {"R1", 443, ColumnAlignment::Right},       {" ", 443, ColumnAlignment::Right},
    {" ", 353, ColumnAlignment::Centre},       {" ", 443, ColumnAlignment::Right},
    {"R2", 443, ColumnAlignment::Right},       {" ", 443, ColumnAlignment::Right},
    {" ", 353, ColumnAlignment::Centre},       {" ", 443, ColumnAlignment::Right},
    {"R3", 443, ColumnAlignment::Right},       {" ", 443, ColumnAlignment::Right},
    {" ", 353, ColumnAlignment::Centre},       {"d1", 1050, ColumnAlignment::Centre},
    {"d2", 1050, ColumnAlignment::Centre},     {"d3", 1050, ColumnAlignment::Centre},
    {" ", 353, ColumnAlignment::Centre},       {"<R1,R2>", 942, ColumnAlignment::Centre},
    {"<R2,R3>", 942, ColumnAlignment::Centre}, {"<R1,R3>", 942, ColumnAlignment::Centre},
}};

std::string RowLabel(int rowNumber) { return "No." + FormatThreeDigits(rowNumber); }

std::array<std::string, kResultColumnCount> ResultCellTexts(const IndexingResult& row) {
  std::array<std::string, kResultColumnCount> cells;
  cells[0] = RowLabel(row.rowNumber);
  const MillerIndex planes[] = {row.g1, row.g2, row.g3};
  for (int p = 0; p < 3; ++p) {
    cells[static_cast<std::size_t>(1 + 4 * p)] = std::to_string(planes[p].h);
    cells[static_cast<std::size_t>(2 + 4 * p)] = std::to_string(planes[p].k);
    cells[static_cast<std::size_t>(3 + 4 * p)] = std::to_string(planes[p].l);
  }
  cells[4] = "+";
  cells[8] = "\uFF1D";
  cells[12] = "\u25C7";
  cells[16] = "\u25C7";
  for (int j = 0; j < 3; ++j) {
    cells[static_cast<std::size_t>(column::kSpacing + j)] = FormatSpacing(row.d[j]);
    cells[static_cast<std::size_t>(column::kAngle + j)] = FormatAngle(row.angle[j]);
  }
  return cells;
}

std::string MeasuredSummaryText(const MeasuredPattern& pattern) {
  return FormatSpacing(pattern.d[0]) + "   " + FormatSpacing(pattern.d[1]) + "   " +
         FormatSpacing(pattern.d[2]) + "      " + FormatAngle(pattern.angle[0]) + "   " +
         FormatAngle(pattern.angle[1]) + "    " + FormatAngle(pattern.angle[2]);
}

} // namespace spot
