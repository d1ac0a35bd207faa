// Numbers written for people: fixed-decimal formats, the row label and the general form.
#include "core/number_format.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace spot {

void AppendFixed(std::string& out, double value, int decimals) {
  if (!std::isfinite(value)) return;
  // std::to_chars writes what printf's "%.*f" writes in the C locale, whatever the locale is.
  // 309 integer digits at most, then the point and the decimals.
  char buffer[400];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                          std::chars_format::fixed, decimals);
  if (error != std::errc{}) return;
  char* point = std::find(buffer, end, '.');
  const bool allZero = std::none_of(buffer, end, [](char c) { return c >= '1' && c <= '9'; });
  if (std::signbit(value) && !allZero) out.push_back('-');
  const std::size_t whole = static_cast<std::size_t>(point - buffer);
  for (std::size_t i = 0; i < whole; ++i) {
    if (i > 0 && (whole - i) % 3 == 0) out.push_back(',');
    out.push_back(buffer[i]);
  }
  out.append(point, end);
}

std::string FormatFixed(double value, int decimals) {
  std::string text;
  AppendFixed(text, value, decimals);
  return text;
}

std::string FormatThreeDigits(long long value) {
  char buffer[32];
  if (value < 0)
    std::snprintf(buffer, sizeof buffer, "-%03lld", -value);
  else
    std::snprintf(buffer, sizeof buffer, "%03lld", value);
  return buffer;
}

std::string FormatGeneral(double value) {
  if (!std::isfinite(value)) return {};
  if (value == 0.0) return "0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  std::string text = buffer;
  const std::size_t e = text.find('e');
  if (e != std::string::npos) text[e] = 'E';
  return text;
}

} // namespace spot
