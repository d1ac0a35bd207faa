// The texts of the results list: its 20 named columns, the cells of a row, and the
// measured-value summary line above the list.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "indexing/measured_pattern.hpp"
#include "indexing/search.hpp"

namespace spot {

// THE COLUMNS

/// The columns of a result row, left to right; every reader of a row addresses its cells by
/// these names.
namespace column {
enum : int {
  kRowLabel, ///< "No.001"
  kH1,       ///< h, k, l of R1
  kK1,
  kL1,
  kPlus, ///< "+"
  kH2,   ///< h, k, l of R2
  kK2,
  kL2,
  kEquals, ///< "＝"
  kH3,     ///< h, k, l of R3
  kK3,
  kL3,
  kSpacingSeparator, ///< "◇" before the spacings
  kD1,               ///< computed spacings d1, d2, d3 (nm)
  kD2,
  kD3,
  kAngleSeparator, ///< "◇" before the angles
  kAngle12,        ///< computed <R1,R2>, <R2,R3>, <R1,R3> (degrees)
  kAngle23,
  kAngle13,
  kCount
};
/// The first column of each group of three.
inline constexpr int kR1 = kH1;
inline constexpr int kR2 = kH2;
inline constexpr int kR3 = kH3;
inline constexpr int kSpacing = kD1;
inline constexpr int kAngle = kAngle12;
} // namespace column

inline constexpr int kResultColumnCount = column::kCount;

/// True for the four sign columns ("+", "＝" and the two "◇"): every row shows the same text
/// there.
constexpr bool IsSeparatorColumn(int c) {
  return c == column::kPlus || c == column::kEquals || c == column::kSpacingSeparator ||
         c == column::kAngleSeparator;
}

enum class ColumnAlignment { Left, Right, Centre };

struct ResultColumn {
  std::string_view title;
  int widthTwips; ///< 1/1440 inch
  ColumnAlignment alignment;
};

/// Title, width and alignment of each column, index = column::k...
extern const std::array<ResultColumn, kResultColumnCount> kResultColumns;

// THE CELLS

/// "No." followed by the row number with at least three digits: No.007, No.1234.
std::string RowLabel(int rowNumber);

/// The text of one cell of a row, as the list shows it; empty for a column outside the row.
std::string ResultCellText(const IndexingResult& row, int column);

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
