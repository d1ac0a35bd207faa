// Numbers as the boxes hold them: the numeric-prefix reading and the is-numeric test.
#include "core/numeric_text.hpp"

#include <algorithm> // for min
#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace spot {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the first significant digit of a number shaped as below ("123.4" gives 2,
// "0.05e3" gives 1). Only its sign is used, so a long exponent saturates.
long long decimalMagnitude(std::string_view number) {
  if (!number.empty() && number.front() == '-') number.remove_prefix(1);
  const std::size_t e = number.find_first_of("eE");
  long long exponent = 0;
  if (e != std::string_view::npos) {
    std::size_t j = e + 1;
    const bool negative = j < number.size() && number[j] == '-';
    if (negative) ++j;
    for (; j < number.size(); ++j)
      exponent = std::min(exponent * 10 + (number[j] - '0'), 1'000'000'000LL);
    if (negative) exponent = -exponent;
  }
  const std::string_view mantissa = number.substr(0, e);
  const std::size_t point = mantissa.find('.');
  const auto wholeDigits =
      static_cast<long long>(point == std::string_view::npos ? mantissa.size() : point);
  const auto first = static_cast<long long>(mantissa.find_first_of("123456789"));
  return (first < wholeDigits ? wholeDigits - first - 1 : wholeDigits - first) + exponent;
}

// Converts a text that already has the shape [-]digits[.digits][e[-]digits].
double convert(const std::string& number) {
  const char* first = number.data();
  const char* last = first + number.size();
  bool negative = false;
  if (first != last && *first == '-') {
    negative = true;
    ++first;
  }
  double value = 0.0;
  auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    // Overflow or underflow, told by where the first significant digit stands: the exponent's
    // sign alone misreads "<400 digits>e-1" as tiny and "0.<400 zeros>1e5" as huge.
    value = decimalMagnitude(number) < 0 ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (error != std::errc{} || end == first) {
    value = 0.0;
  }
  return negative ? -value : value;
}

} // namespace

double NumericPrefix(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text)
    if (!isBlank(c)) compact.push_back(c);

  std::string number;
  std::size_t i = 0;
  if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) {
    if (compact[i] == '-') number.push_back('-');
    ++i;
  }
  bool digits = false;
  while (i < compact.size() && isDigit(compact[i])) {
    number.push_back(compact[i++]);
    digits = true;
  }
  if (i < compact.size() && compact[i] == '.') {
    ++i;
    std::string fraction;
    while (i < compact.size() && isDigit(compact[i]))
      fraction.push_back(compact[i++]);
    if (!fraction.empty()) {
      number += '.';
      number += fraction;
      digits = true;
    }
  }
  if (!digits) return 0.0;
  if (i < compact.size() &&
      (compact[i] == 'e' || compact[i] == 'E' || compact[i] == 'd' || compact[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) {
      if (compact[j] == '-') exponent.push_back('-');
      ++j;
    }
    bool expDigits = false;
    while (j < compact.size() && isDigit(compact[j])) {
      exponent.push_back(compact[j++]);
      expDigits = true;
    }
    if (expDigits) number += exponent;
  }
  return convert(number);
}

bool IsNumeric(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin]))
    ++begin;
  while (end > begin && isBlank(text[end - 1]))
    --end;
  const std::string_view body = text.substr(begin, end - begin);
  if (body.empty()) return false;

  std::size_t i = 0;
  if (body[i] == '+' || body[i] == '-') ++i;
  std::size_t intDigits = 0;
  while (i < body.size() && isDigit(body[i]))
    ++i, ++intDigits;
  std::size_t fracDigits = 0;
  if (i < body.size() && body[i] == '.') {
    ++i;
    while (i < body.size() && isDigit(body[i]))
      ++i, ++fracDigits;
  }
  if (intDigits + fracDigits == 0) return false;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
    ++i;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < body.size() && isDigit(body[i]))
      ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != body.size()) return false;
  return std::isfinite(NumericPrefix(body));
}

double RoundHalfEven(double value) {
  // nearbyint follows the current rounding mode; round-to-nearest rounds halves to even.
  const int mode = std::fegetround();
  if (mode != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  if (mode != FE_TONEAREST) std::fesetround(mode);
  return rounded;
}

} // namespace spot
