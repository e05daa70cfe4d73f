// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/result_line.h"

#include <gtest/gtest.h>

#include "tests/engine/fakes.h"

namespace vardesca {
namespace {

using testing::FakeLocale;

struct RoundingCase {
    double length;
    double rounded;
    const char* text;
};

void PrintTo(const RoundingCase& c, std::ostream* os) {
    *os << c.text;
}

class RoundToHundredthsTest : public ::testing::TestWithParam<RoundingCase> {};

TEST_P(RoundToHundredthsTest, RoundsHalvesUpOnTheBinaryValue) {
    const auto& c = GetParam();
    EXPECT_EQ(RoundToHundredths(c.length), c.rounded);
    EXPECT_EQ(NumberText(RoundToHundredths(c.length)), c.text);
}

INSTANTIATE_TEST_SUITE_P(Table, RoundToHundredthsTest,
                         ::testing::Values(RoundingCase{2.2222222222222223, 2.22, "2.22"},
                                           RoundingCase{7.407407407407407, 7.41, "7.41"},
                                           RoundingCase{0.4444444444444444, 0.44, ".44"},
                                           RoundingCase{0.005, 0.01, ".01"},
                                           // the double nearest 1.005 lies below it
                                           RoundingCase{1.005, 1.0, "1"},
                                           RoundingCase{2.675, 2.68, "2.68"},
                                           RoundingCase{-0.004, 0.0, "0"},
                                           RoundingCase{-0.006, -0.01, "-.01"},
                                           RoundingCase{-0.125, -0.12, "-.12"},
                                           RoundingCase{32766.995, 32767.0, "32767"}));

struct TextCase {
    double value;
    const char* text;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.text;
}

class NumberTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberTextTest, FifteenDigitsNoLeadingZero) {
    EXPECT_EQ(NumberText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberTextTest,
    ::testing::Values(TextCase{12.35, "12.35"}, TextCase{0.5, ".5"}, TextCase{12.0, "12"},
                      TextCase{0.0, "0"}, TextCase{-0.0, "0"}, TextCase{-0.25, "-.25"},
                      TextCase{100.1, "100.1"}, TextCase{1234567.89, "1234567.89"},
                      TextCase{1.0 / 3.0, ".333333333333333"},
                      TextCase{2.0 / 3.0, ".666666666666667"},
                      // rounding to 15 digits carries into a new leading digit
                      TextCase{9.9999999999999999, "10"}, TextCase{0.1 + 0.2, ".3"},
                      TextCase{0.001, ".001"}, TextCase{999999999999999.0, "999999999999999"},
                      TextCase{1e15, "1E+15"}, TextCase{-2.5e20, "-2.5E+20"}));

TEST(NumberTextTest, CountIsPlainDigits) {
    EXPECT_EQ(NumberText(std::int16_t{1}), "1");
    EXPECT_EQ(NumberText(std::int16_t{32767}), "32767");
}

TEST(PointToDecimalTest, CommaLocaleSwapsEveryPointOfANumber) {
    const FakeLocale comma(",");
    EXPECT_EQ(PointToDecimal("12.35", comma), "12,35");
    EXPECT_EQ(PointToDecimal("12", comma), "12");
    EXPECT_EQ(PointToDecimal(".5", comma), ",5");
    EXPECT_EQ(PointToDecimal("-.01", comma), "-,01");
    // Not a number for the locale: left alone.
    EXPECT_EQ(PointToDecimal("abc.d", comma), "abc.d");
}

TEST(PointToDecimalTest, PointLocaleLeavesEverythingAlone) {
    const FakeLocale point(".");
    EXPECT_EQ(PointToDecimal("12.35", point), "12.35");
    EXPECT_EQ(PointToDecimal("abc.d", point), "abc.d");
}

TEST(PointToDecimalTest, SeparatorIsLookedUpAtEveryCall) {
    FakeLocale locale(",");
    EXPECT_EQ(PointToDecimal("1.5", locale), "1,5");
    locale.SetSeparator(".");
    EXPECT_EQ(PointToDecimal("1.5", locale), "1.5");
    EXPECT_EQ(locale.formatCalls, 2);
}

TEST(PointToDecimalTest, MultiByteSeparatorIsTakenWhole) {
    // U+066B ARABIC DECIMAL SEPARATOR, two bytes in UTF-8.
    const FakeLocale arabic("\xD9\xAB");
    EXPECT_EQ(PointToDecimal("2.25", arabic),
              "2\xD9\xAB"
              "25");
}

TEST(ResultLineTest, BuildsCountTabValueCrLf) {
    const FakeLocale comma(",");
    const FakeLocale point(".");
    EXPECT_EQ(ResultLine(1, 2.2222222222222223, comma), "1\t2,22\r\n");
    EXPECT_EQ(ResultLine(1, 2.2222222222222223, point), "1\t2.22\r\n");
    EXPECT_EQ(ResultLine(12, 7.407407407407407, comma), "12\t7,41\r\n");
    EXPECT_EQ(ResultLine(3, 0.0, comma), "3\t0\r\n");
    EXPECT_EQ(ResultLine(4, 0.5, comma), "4\t,5\r\n");
    EXPECT_EQ(ResultLine(5, -2.2222, comma), "5\t-2,22\r\n");
    EXPECT_EQ(ResultLine(32767, 12.345, comma), "32767\t12,35\r\n");
}

}  // namespace
}  // namespace vardesca
