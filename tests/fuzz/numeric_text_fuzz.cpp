// Fuzzes the reading of numbers typed into boxes: a text that validates reads as the finite
// number the C library reads from it, and what the program writes reads back as the same number.
#include <cfloat>
#include <cmath>
#include <cstdlib> // for strtod: the harness never sets a locale, so "." is the point

#include "core/number_format.hpp"
#include "core/numeric_text.hpp"
#include "fuzz_check.hpp"

namespace {

using spot::IsNumeric;
using spot::NumericPrefix;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// Formatted text read back: within half a unit of the last decimal written, plus the rounding
// of a decimal that long (about 1e-15 relative).
void checkReadsBack(const std::string& text, double value, double halfUnit) {
  std::string plain;
  for (char c : text)
    if (c != ',') plain.push_back(c); // the thousands grouping
  FUZZ_CHECK(IsNumeric(plain), text);
  const double read = NumericPrefix(plain);
  FUZZ_CHECK(std::fabs(read - value) <= halfUnit * 1.000001 + std::fabs(value) * 4e-15, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = spot::fuzz::AsText(data, size);
  const double prefix = NumericPrefix(text);
  FUZZ_CHECK(!std::isnan(prefix), "the reading is never NaN");

  if (IsNumeric(text)) {
    FUZZ_CHECK(std::isfinite(prefix), "a numeric text reads as a finite number");
    // The C library is an independent reader of the same decimal form.
    const std::string body(trimmed(text));
    char* end = nullptr;
    const double reference = std::strtod(body.c_str(), &end);
    FUZZ_CHECK(end == body.c_str() + body.size(), "strtod reads the whole numeric text: " + body);
    const bool bothTiny = std::fabs(prefix) < DBL_MIN && std::fabs(reference) < DBL_MIN;
    FUZZ_CHECK(prefix == reference || bothTiny, body);
  }

  if (std::isfinite(prefix)) {
    checkReadsBack(spot::FormatGeneral(prefix), prefix, std::fabs(prefix) * 5e-15);
    checkReadsBack(spot::FormatSpacing(prefix), prefix, 0.5e-7);
    checkReadsBack(spot::FormatAngle(prefix), prefix, 0.5e-4);

    // Halves go to the even neighbour; everything else to the nearest whole number.
    const double rounded = spot::RoundHalfEven(prefix);
    FUZZ_CHECK(rounded == std::floor(rounded), "a whole number");
    const double distance = std::fabs(rounded - prefix);
    FUZZ_CHECK(distance <= 0.5, "the nearest whole number");
    FUZZ_CHECK(distance < 0.5 || std::fmod(rounded, 2.0) == 0.0, "a half goes to the even one");
  }
  return 0;
}
