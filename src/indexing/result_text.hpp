// The texts of the results list: its 20 columns, the cells of a row, and the measured-value
// summary line above the list.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "indexing/measured_pattern.hpp"
#include "indexing/search.hpp"

namespace spot {

inline constexpr int kResultColumnCount = 20;

enum class ColumnAlignment { Left, Right, Centre };

struct ResultColumn {
  std::string_view title;
  int widthTwips; ///< 1/1440 inch
  ColumnAlignment alignment;
};

/// The 20 columns in order: "No.", R1 h k l, "+", R2 h k l, "＝", R3 h k l, "◇", d1 d2 d3, "◇",
/// <R1,R2> <R2,R3> <R1,R3>.
extern const std::array<ResultColumn, kResultColumnCount> kResultColumns;

/// Column positions that readers of the list address.
namespace column {
inline constexpr int kRowLabel = 0;
inline constexpr int kR1 = 1;       ///< h1 at 1, k1 at 2, l1 at 3
inline constexpr int kR2 = 5;       ///< h2 at 5, k2 at 6, l2 at 7
inline constexpr int kR3 = 9;       ///< h3 at 9, k3 at 10, l3 at 11
inline constexpr int kSpacing = 13; ///< d1 at 13, d2 at 14, d3 at 15
inline constexpr int kAngle = 17;   ///< <R1,R2> at 17, <R2,R3> at 18, <R1,R3> at 19
} // namespace column

/// "No." followed by the row number with at least three digits: No.007, No.1234.
std::string RowLabel(int rowNumber);

/// The 20 cell texts of a row, as the list shows them.
std::array<std::string, kResultColumnCount> ResultCellTexts(const IndexingResult& row);

/// Caption of the header label above the summary line.
inline constexpr std::string_view kSummaryHeader =
    " R1                   R2                   R3                    <R1,R2>      <R2,R3>     "
    "<R1,R3>";

/// The summary line before any measurement (U+3000 ideographic spaces inside).
inline constexpr std::string_view kEmptySummary =
    "   ***\u3000    \u3000***      \u3000\u3000***       \u3000\u3000***   \u3000 \u3000***    "
    "\u3000 ***";

/// d1, d2, d3 with seven decimals and the three measured angles with four, spaced under the header.
std::string MeasuredSummaryText(const MeasuredPattern& pattern);

} // namespace spot
