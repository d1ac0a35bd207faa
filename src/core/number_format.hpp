// Numbers written for people: fixed-decimal formats with digit grouping, the row label,
// and the general 15-significant-digit form. "." and "," whatever the locale.
#pragma once

#include <string>

namespace spot {

/// Fixed decimals with "," grouping and at least one integer digit ("##,#,0.000…").
/// A value that rounds to zero is written without a minus sign. Non-finite values give "".
std::string FormatFixed(double value, int decimals);

/// FormatFixed appended to `out`: the same text, without a temporary string.
void AppendFixed(std::string& out, double value, int decimals);

/// "##,#,0.0000000": spacings in nm.
inline std::string FormatSpacing(double nm) { return FormatFixed(nm, 7); }
/// "##,#,0.0000": angles in degrees.
inline std::string FormatAngle(double degrees) { return FormatFixed(degrees, 4); }
/// "##,#,0.00": lengths in px as the measure dialog rounds them.
inline std::string FormatTwoDecimals(double value) { return FormatFixed(value, 2); }

/// "000": a whole number with at least three digits, zero-padded (7 gives "007", 1234 "1234").
std::string FormatThreeDigits(long long value);

/// The general form: up to 15 significant digits, no trailing zeros, no grouping; very large
/// or small magnitudes in exponent form ("1E-05"). A right angle shows "90". Non-finite gives "".
std::string FormatGeneral(double value);

} // namespace spot
