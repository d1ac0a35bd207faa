// Numbers written for people: fixed-decimal formats, the row label and the general form.
#include "core/number_format.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace spot {
namespace {

std::string groupThousands(const std::string& digits) {
  std::string grouped;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return grouped;
}

} // namespace

std::string FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) return {};
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(value));
  std::string text = buffer;
  const std::size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string rest = point == std::string::npos ? std::string{} : text.substr(point);

  bool allZero = true;
  for (char c : text)
    if (c >= '1' && c <= '9') allZero = false;
  const bool negative = std::signbit(value) && !allZero;
  return (negative ? "-" : "") + groupThousands(whole) + rest;
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
