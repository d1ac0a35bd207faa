// Numbers written for people: fixed-decimal formats, the row label and the general form.
#include "core/number_format.hpp"

#include <algorithm>
#include <charconv> // for to_chars: "." whatever LC_NUMERIC says (the window sets it)
#include <cmath>

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
  // The magnitude as unsigned, so that the most negative value has one too.
  const unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                 : static_cast<unsigned long long>(value);
  char buffer[24];
  std::string digits(buffer, std::to_chars(buffer, buffer + sizeof buffer, magnitude).ptr);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

std::string FormatGeneral(double value) {
  if (!std::isfinite(value)) return {};
  if (value == 0.0) return "0";
  // The digits of printf's "%.15g" in the C locale: printf itself would follow LC_NUMERIC.
  char buffer[64]; // "-1.23456789012345e-308" at most
  std::string text(
      buffer,
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr);
  const std::size_t e = text.find('e');
  if (e != std::string::npos) text[e] = 'E';
  return text;
}

} // namespace spot
