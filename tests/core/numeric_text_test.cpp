// Reading numbers from box texts and writing them back for people.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "core/number_format.hpp"
#include "core/numeric_text.hpp"
#include "support/scoped_locale.hpp"

namespace spot {
namespace {

TEST(NumericPrefix, ReadsTheNumberAtTheStartAndSkipsBlanksAnywhere) {
  EXPECT_DOUBLE_EQ(NumericPrefix("0.4"), 0.4);
  EXPECT_DOUBLE_EQ(NumericPrefix(" 1"), 1.0);
  EXPECT_DOUBLE_EQ(NumericPrefix("1 2"), 12.0);
  EXPECT_DOUBLE_EQ(NumericPrefix("- 2.5 nm"), -2.5);
  EXPECT_DOUBLE_EQ(NumericPrefix("1.5e2x"), 150.0);
  EXPECT_DOUBLE_EQ(NumericPrefix("1.5e"), 1.5); // a bare exponent letter is not read
  EXPECT_DOUBLE_EQ(NumericPrefix(".5"), 0.5);
  EXPECT_DOUBLE_EQ(NumericPrefix("3.2.1"), 3.2);
  EXPECT_EQ(NumericPrefix(""), 0.0);
  EXPECT_EQ(NumericPrefix("abc"), 0.0);
  EXPECT_EQ(NumericPrefix("."), 0.0);
  EXPECT_DOUBLE_EQ(NumericPrefix("0,2"), 0.0); // "," never is a decimal point
  EXPECT_TRUE(std::isinf(NumericPrefix("1e999")));
  EXPECT_EQ(NumericPrefix("1e-999"), 0.0);
  // Too large or too small is told by the number's size, not by the exponent's sign.
  const std::string huge = "2" + std::string(400, '0') + "3e-2";   // 2.0…03e399
  const std::string tiny = "-0." + std::string(400, '0') + "1e+5"; // -1e-396
  EXPECT_TRUE(std::isinf(NumericPrefix(huge)));
  EXPECT_FALSE(IsNumeric(huge));
  EXPECT_EQ(NumericPrefix(tiny), 0.0);
  EXPECT_TRUE(IsNumeric(tiny));
  const std::string tinyPlain = "0." + std::string(400, '0') + "1"; // 1e-401, no exponent
  EXPECT_EQ(NumericPrefix(tinyPlain), 0.0);
  EXPECT_TRUE(IsNumeric(tinyPlain));
  // Every digit from 0 to 9 at the ends of the digit range, signs, and the old "d" exponent.
  const std::pair<const char*, double> read[] = {
      {"-10", -10},   {"-0.01", -0.01},      {"-101e-1", -10.1}, {"+0.10", 0.1},
      {"-1e+1", -10}, {"-.1", -0.1},         {"90.09", 90.09},   {"1.5d2", 150},
      {"2D-1", 0.2},  {"-1e999", -INFINITY}, {"19e", 19},        {"-0", 0}};
  for (const auto& [text, value] : read)
    EXPECT_EQ(NumericPrefix(text), value) << text;
}

TEST(IsNumeric, AcceptsExactlyWhatReadsAsTheSameNumber) {
  for (const char* yes : {"0.008", "  -1.5 ", "+2", ".5", "2.", "1e-3", "1E+3", "\t90\r\n", "-10",
                          "-0.01", "-1e-1", "9.09", "+0", "-.0"})
    EXPECT_TRUE(IsNumeric(yes)) << yes;
  for (const char* no : {"", "   ", "0,2", "1 2", "abc", "1.5nm", "-", ".", "e5", "1e", "1e999",
                         "1.2.3", "1e-", "--1", "1d2", "1e1.5", "1-"})
    EXPECT_FALSE(IsNumeric(no)) << no;
}

TEST(NumberText, WritesAndReadsThePointInACommaLocale) {
  // The window sets the C library's locale from the desktop; printf and strtod would then write
  // and read "," in much of Europe. Every text must be the one the C locale gives.
  const double values[] = {0.2338, 162.262130737305, 190, 1234.5, -0.00001, 1e-5, 1e15, 45};
  testing::ScopedLocale locale;
  locale.useClassic();
  std::vector<std::string> classic;
  for (double v : values)
    for (const std::string& text :
         {FormatSpacing(v), FormatAngle(v), FormatTwoDecimals(v), FormatGeneral(v)})
      classic.push_back(text);

  if (!locale.useCommaDecimal()) GTEST_SKIP() << testing::kNoCommaLocale;
  std::size_t i = 0;
  for (double v : values)
    for (const std::string& text :
         {FormatSpacing(v), FormatAngle(v), FormatTwoDecimals(v), FormatGeneral(v)})
      EXPECT_EQ(text, classic[i++]) << v;
  // The forms of the NumberFormat tests below: "," groups, "." separates the decimals.
  EXPECT_EQ(FormatFixed(1234.5, 2), "1,234.50");
  EXPECT_EQ(FormatGeneral(162.262130737305), "162.262130737305");
  EXPECT_FALSE(IsNumeric("0,2"));
  EXPECT_TRUE(IsNumeric("0.2"));
  EXPECT_DOUBLE_EQ(NumericPrefix("0.2"), 0.2);
}

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(37.5), 38.0); // 1.5 degrees on an angle slider
  EXPECT_EQ(RoundHalfEven(2.6), 3.0);
  // Whatever rounding mode is in force, and it is left as it was.
  const int mode = std::fegetround();
  std::fesetround(FE_UPWARD);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
  EXPECT_EQ(std::fegetround(), FE_UPWARD);
  std::fesetround(mode);
}

TEST(NumberFormat, FixedDecimalsWithGrouping) {
  EXPECT_EQ(FormatSpacing(0.25), "0.2500000");
  EXPECT_EQ(FormatSpacing(0.4 / std::sqrt(8.0)), "0.1414214");
  EXPECT_EQ(FormatAngle(45.0), "45.0000");
  EXPECT_EQ(FormatAngle(1234567.0), "1,234,567.0000");
  EXPECT_EQ(FormatTwoDecimals(123.456), "123.46");
  EXPECT_EQ(FormatTwoDecimals(-1234.5), "-1,234.50");
  EXPECT_EQ(FormatAngle(-0.00001), "0.0000"); // no "-0.0000"
  EXPECT_EQ(FormatAngle(NAN), "");
  EXPECT_EQ(FormatFixed(0.125, 2), "0.12"); // an exact binary tie goes to the even digit
  // The digits are printf's "%.*f" in the C locale (grouping commas aside), for exact binary
  // ties (k / 1024), values near decimal ties and large magnitudes alike.
  for (int k = -3000; k <= 3000; ++k) {
    for (const double value : {k / 1024.0, k * 0.00005 + 1e-9, k * 1.0e12 / 7.0}) {
      for (const int decimals : {2, 4, 7}) {
        char printed[400];
        std::snprintf(printed, sizeof printed, "%.*f", decimals, value);
        std::string ungrouped = FormatFixed(value, decimals);
        std::erase(ungrouped, ',');
        const bool zero = std::string(printed).find_first_of("123456789") == std::string::npos;
        EXPECT_EQ(ungrouped, zero && printed[0] == '-' ? printed + 1 : printed) << value;
      }
    }
  }
}

TEST(NumberFormat, RowLabelAndGeneralForm) {
  EXPECT_EQ(FormatThreeDigits(7), "007");
  EXPECT_EQ(FormatThreeDigits(24), "024");
  EXPECT_EQ(FormatThreeDigits(1234), "1234");
  EXPECT_EQ(FormatThreeDigits(-7), "-007");
  // -2^63, whose magnitude no long long holds.
  EXPECT_EQ(FormatThreeDigits(std::numeric_limits<long long>::min()), "-9223372036854775808");
  EXPECT_EQ(FormatGeneral(90.00000000000001), "90"); // 15 digits hide the last bits
  EXPECT_EQ(FormatGeneral(212.13203430175781), "212.132034301758");
  EXPECT_EQ(FormatGeneral(-1.0), "-1");
  EXPECT_EQ(FormatGeneral(-0.0), "0");
  EXPECT_EQ(FormatGeneral(0.0001), "0.0001");
  EXPECT_EQ(FormatGeneral(0.00001), "1E-05");
  EXPECT_EQ(FormatGeneral(1e15), "1E+15");
  EXPECT_EQ(FormatGeneral(INFINITY), "");
}

} // namespace
} // namespace spot
