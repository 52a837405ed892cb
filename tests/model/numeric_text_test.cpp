// SPDX-License-Identifier: MIT
#include "model/numeric_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <limits>

namespace henon {
namespace {

TEST(NumericText, AcceptsDecimalsWithSignExponentAndBlanks) {
  for (const char* t : {"1.4", "-2", "+3", ".5", "5.", "  7  ", "\t-0.25", "1e3", "1E-3", "2.5e+2",
                        "0", "-0", "1e-400", "4e-320"})
    EXPECT_TRUE(toDouble(t).has_value()) << t;
  EXPECT_EQ(*toDouble(" .5 "), 0.5);
  EXPECT_EQ(*toDouble("5."), 5.0);
  EXPECT_EQ(*toDouble("+2.5e+2"), 250.0);
  EXPECT_EQ(*toDouble("-1e-400"), 0.0);
  EXPECT_GT(*toDouble("4e-320"), 0.0);  // subnormal, not lost
}

TEST(NumericText, RejectsEverythingElse) {
  for (const char* t : {"",
                        " ",
                        "inf",
                        "-inf",
                        "nan",
                        "NaN",
                        "0x10",
                        "1,000",
                        "1.2.3",
                        "1e",
                        "1e+",
                        "e5",
                        ".",
                        "-",
                        "+.",
                        "12abc",
                        "abc",
                        "1 2",
                        "--1",
                        "1e999",
                        "-1e999",
                        "1.8e308",
                        "100000000000000000000e300",
                        "1d3"})
    EXPECT_FALSE(toDouble(t).has_value()) << t;
  EXPECT_TRUE(toDouble("1.7976931348623157e308").has_value());
}

TEST(NumericText, ConversionIsCorrectlyRounded) {
  EXPECT_EQ(*toDouble("0.1"), 0.1);
  EXPECT_EQ(*toDouble("1.4"), 1.4);
  EXPECT_EQ(*toDouble("0.30000000000000004"), 0.30000000000000004);
  EXPECT_EQ(*toDouble("123456789012345678"), 123456789012345678.0);
}

TEST(NumericText, Int32RoundsHalvesToEvenAndReportsOverflow) {
  EXPECT_EQ(*toInt32(2.5), 2);
  EXPECT_EQ(*toInt32(3.5), 4);
  EXPECT_EQ(*toInt32(0.4), 0);
  EXPECT_EQ(*toInt32(0.6), 1);
  EXPECT_EQ(*toInt32(-2.5), -2);
  EXPECT_EQ(*toInt32(2147483647.4), 2147483647);
  EXPECT_EQ(*toInt32(-2147483648.0), -2147483647 - 1);
  EXPECT_FALSE(toInt32(2147483647.5));  // rounds to 2^31
  EXPECT_FALSE(toInt32(-2147483649.0));
  EXPECT_FALSE(toInt32(1e300));
  EXPECT_FALSE(toInt32(std::numeric_limits<double>::quiet_NaN()));
}

TEST(NumericText, FixedFormats) {
  EXPECT_EQ(formatFixed(-2, 2), "-2.00");
  EXPECT_EQ(formatFixed(0.5, 2), "0.50");
  EXPECT_EQ(formatFixed(12345.678, 2), "12345.68");
  EXPECT_EQ(formatFixed(0.5, 4), "0.5000");
  EXPECT_EQ(formatFixed(-1.23456, 4), "-1.2346");
  EXPECT_EQ(formatFixed(-2.3678160919540228, 4), "-2.3678");
  EXPECT_EQ(formatFixed(0.125, 2), "0.13");  // an exact half rounds away from zero
  EXPECT_EQ(formatFixed(-0.125, 2), "-0.13");
  EXPECT_EQ(formatFixed(9.999, 2), "10.00");  // carry into a new digit
  EXPECT_EQ(formatFixed(-0.001, 2), "0.00");  // no minus on a zero
  EXPECT_EQ(formatFixed(-0.0, 4), "0.0000");
  EXPECT_EQ(formatFixed(1e20, 2), "100000000000000000000.00");
  EXPECT_EQ(formatFixed(-1e-300, 4), "0.0000");
}

TEST(NumericText, GeneralFormat) {
  EXPECT_EQ(formatGeneral(1.4), "1.4");
  EXPECT_EQ(formatGeneral(0.3), "0.3");
  EXPECT_EQ(formatGeneral(-2), "-2");
  EXPECT_EQ(formatGeneral(1000), "1000");
  EXPECT_EQ(formatGeneral(-0.0), "0");
  EXPECT_EQ(formatGeneral(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(formatGeneral(123456789012345.0), "123456789012345");
  EXPECT_EQ(formatGeneral(1e15), "1e+15");
  EXPECT_EQ(formatGeneral(1e-300), "1e-300");
  EXPECT_EQ(formatGeneral(0.00001), "1e-5");
}

TEST(NumericText, GeneralFormatKeepsTheDecimalPointInEveryLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  bool found = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) {
      found = true;
      break;
    }
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  EXPECT_EQ(formatGeneral(1.4), "1.4");
  EXPECT_EQ(formatGeneral(-0.00001), "-1e-5");
  EXPECT_EQ(formatFixed(0.5, 2), "0.50");
  EXPECT_EQ(toDouble("1.4"), 1.4);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

// Significant digits of a fixed-form text: its digits without the leading zeros.
std::size_t significantDigits(const std::string& text) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9') digits += c;
  return digits.size() - std::min(digits.find_first_not_of('0'), digits.size());
}

TEST(PointerText, FourDecimalsWhileTheyLieWithinAPixel) {
  EXPECT_EQ(formatPointer(-2.3678160919540228, 0.0069), "-2.3678");
  EXPECT_EQ(formatPointer(0.123456, 1e-4), "0.1235");
  // The text's own error decides, not the worst case of four decimals.
  EXPECT_EQ(formatPointer(0.12340001, 1e-6), "0.1234");
  EXPECT_EQ(formatPointer(0.123456, 4.5e-5), "0.1235");
  EXPECT_EQ(formatPointer(0.123456, 4.3e-5), "0.12346");
  EXPECT_EQ(formatPointer(0.123456, 3e-6), "0.123456");
  EXPECT_EQ(formatPointer(-1.23456, 1e-3), "-1.2346");
  EXPECT_EQ(formatPointer(-0.000012345678, 1e-9), "-0.000012346");
  EXPECT_EQ(formatPointer(1e20, 1e-30), "100000000000000000000.0000");
}

TEST(PointerText, StopsAtTheTextThatReadsBackExactly) {
  const double fixedPointX = 0.6313544770895048;
  for (double v : {fixedPointX, std::nextafter(fixedPointX, 1.0), -std::nextafter(0.1, 0.0),
                   0.18940634312685144, 1234.5678901234567, 3e-17, 5e-324}) {
    const std::string text = formatPointer(v, 0);
    EXPECT_EQ(*toDouble(text), v) << text;
    EXPECT_LE(significantDigits(text), 17u) << text;
    EXPECT_EQ(text.find('e'), std::string::npos) << text;
    EXPECT_NE(text.find('.'), std::string::npos) << text;
    EXPECT_TRUE(text[0] == '-' || (text[0] >= '0' && text[0] <= '9')) << text;
  }
  EXPECT_EQ(formatPointer(0.5, 0), "0.5000");
  EXPECT_EQ(formatPointer(std::nextafter(fixedPointX, 1.0), 0), "0.6313544770895049");
  EXPECT_EQ(formatPointer(std::nextafter(0.1, 0.0), 0), "0.09999999999999999");
  EXPECT_EQ(formatPointer(-0.0, 0), "0.0000");
}

TEST(PointerText, ADragKeepsItsCornersApartAndInOrder) {
  // Both ends of a one-pixel drag round to the same four decimals.
  const double pixel = 5e-5;
  EXPECT_EQ(formatPointer(0.123451, pixel), "0.1235");
  EXPECT_EQ(formatPointer(0.123501, pixel, 0.1235), "0.123501");
  EXPECT_EQ(formatPointer(0.123501, pixel), "0.1235");
  // Rounding must not turn the window round either, nor does a drag to the upper left.
  EXPECT_EQ(formatPointer(0.12346, pixel, 0.1235), "0.12346");
  EXPECT_EQ(formatPointer(0.12354, pixel, 0.1235), "0.12354");
  // Far enough from the corner, four decimals again.
  EXPECT_EQ(formatPointer(0.2, pixel, 0.1235), "0.2000");
  // Across zero: the press rounds to zero, the drag has to show which side it went.
  EXPECT_EQ(formatPointer(-3e-8, 1e-7), "0.0000");
  EXPECT_EQ(formatPointer(7e-8, 1e-7, 0.0), "0.0000001");
  EXPECT_EQ(formatPointer(-7e-8, 1e-7, 0.0), "-0.0000001");
  // A drag back onto its own corner has no side to keep.
  EXPECT_EQ(formatPointer(0.1235, pixel, 0.1235), "0.1235");
  // In a view a few doubles wide both ends can meet in one double: the drag's way decides.
  const double d = 0.6314000050150008;
  EXPECT_EQ(*toDouble(formatPointer(d, 1e-19, d, +1)), std::nextafter(d, 1.0));
  EXPECT_EQ(*toDouble(formatPointer(d, 1e-19, d, -1)), std::nextafter(d, 0.0));
  EXPECT_EQ(formatPointer(d, 1e-19, d, 0), "0.6314000050150008");
}

TEST(BoundsText, TwoDecimalsUnlessTheBoundsPrintAlike) {
  using Texts = std::array<std::string, 2>;
  EXPECT_EQ(formatBounds(-2, 2), (Texts{"-2.00", "2.00"}));
  EXPECT_EQ(formatBounds(12345.678, 12345.99), (Texts{"12345.68", "12345.99"}));
  EXPECT_EQ(formatBounds(0.0049, 0.0051), (Texts{"0.00", "0.01"}));
  EXPECT_EQ(formatBounds(1.2702, 1.2704), (Texts{"1.2702", "1.2704"}));
  EXPECT_EQ(formatBounds(-0.10023, -0.10011), (Texts{"-0.1002", "-0.1001"}));
  EXPECT_EQ(formatBounds(-0.001, 0.001), (Texts{"-0.001", "0.001"}));
  EXPECT_EQ(formatBounds(-0.0004, 0.0), (Texts{"-0.0004", "0.0000"}));
  EXPECT_EQ(formatBounds(0.63135447708952, 0.63135447708958),
            (Texts{"0.6313544770895", "0.6313544770896"}));
  // Neighbouring doubles part only in the last digits a double holds.
  const double x = 0.6313544770895048, next = std::nextafter(x, 1.0);
  const Texts deepest = formatBounds(x, next);
  EXPECT_NE(deepest[0], deepest[1]);
  EXPECT_EQ(*toDouble(deepest[0]), x);
  EXPECT_EQ(*toDouble(deepest[1]), next);
  EXPECT_EQ(deepest[0].size(), deepest[1].size());
  // Equal bounds cannot be told apart: two decimals, as for any other pair.
  EXPECT_EQ(formatBounds(0.5, 0.5), (Texts{"0.50", "0.50"}));
  EXPECT_EQ(formatBounds(1.27, 1.27), (Texts{"1.27", "1.27"}));
}

}  // namespace
}  // namespace henon
