// Numbers as the boxes hold them: the numeric-prefix reading and the is-numeric test.
// Both use "." as the decimal point whatever the locale, so whatever validates reads as shown.
#pragma once

#include <string_view>

namespace spot {

/// Reads the number at the start of a text: optional sign, digits, one ".", optional exponent.
/// Blanks (space, tab, CR, LF) are skipped wherever they stand (" 1" is 1, "1 2" is 12);
/// a text without a number at its start gives 0. An exponent out of range gives ±infinity.
double NumericPrefix(std::string_view text);

/// True when the whole text, apart from surrounding blanks, is one finite decimal number
/// ("-1.5", ".5", "2.", "1e-3"). Empty text, inner blanks and "," are not numeric.
bool IsNumeric(std::string_view text);

/// Nearest whole number, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
double RoundHalfEven(double value);

} // namespace spot
