// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/qt_locale_numbers.h"

#include <gtest/gtest.h>

namespace vardesca {
namespace {

const QtLocaleNumbers kItalian{QLocale(QLocale::Italian, QLocale::Italy)};
const QtLocaleNumbers kEnglish{QLocale(QLocale::English, QLocale::UnitedStates)};

TEST(QtLocaleNumbersTest, FormatsOnePointOneWithTheLocaleSeparator) {
    EXPECT_EQ(kItalian.FormatDouble(1.1), "1,1");
    EXPECT_EQ(kEnglish.FormatDouble(1.1), "1.1");
}

TEST(QtLocaleNumbersTest, ResultLineTextsAreNumbersEverywhere) {
    for (const auto* locale : {&kItalian, &kEnglish}) {
        for (const char* text : {"12.35", ".44", "-.01", "0", "32767", "1E+15"}) {
            EXPECT_TRUE(locale->IsNumeric(text)) << text;
        }
        for (const char* text : {"", "abc.d", "1.2.3", ".", "-", "12,35,1"}) {
            EXPECT_FALSE(locale->IsNumeric(text)) << text;
        }
    }
    EXPECT_TRUE(kItalian.IsNumeric("12,35"));
    EXPECT_EQ(PointToDecimal(".44", kItalian), ",44");
    EXPECT_EQ(ResultLine(1, 2.2222222222222223, kItalian), "1\t2,22\r\n");
    EXPECT_EQ(ResultLine(1, 2.2222222222222223, kEnglish), "1\t2.22\r\n");
}

TEST(QtLocaleNumbersTest, ReadsTypedLengths) {
    // Italian: the comma is the decimal separator, and "2.5" is 2.5, never 25.
    EXPECT_EQ(kItalian.ParseSingle("2,5"), 2.5f);
    EXPECT_EQ(kItalian.ParseSingle(" 2,5 "), 2.5f);
    EXPECT_EQ(kItalian.ParseSingle("2.5"), 2.5f);
    EXPECT_EQ(kItalian.ParseSingle("10"), 10.0f);
    EXPECT_EQ(kItalian.ParseSingle("1.000"), 1.0f);
    EXPECT_EQ(kItalian.ParseSingle("2,5,5"), std::nullopt);
    EXPECT_EQ(kItalian.ParseSingle("1.234,5"), std::nullopt);
    // English: "2,5" is not a length (reading it as 25 would be worse than asking).
    EXPECT_EQ(kEnglish.ParseSingle("2.5"), 2.5f);
    EXPECT_EQ(kEnglish.ParseSingle("2,5"), std::nullopt);
    EXPECT_EQ(kEnglish.ParseSingle("1,000"), std::nullopt);
    for (const auto* locale : {&kItalian, &kEnglish}) {
        EXPECT_EQ(locale->ParseSingle(""), std::nullopt);
        EXPECT_EQ(locale->ParseSingle("   "), std::nullopt);
        EXPECT_EQ(locale->ParseSingle("cm"), std::nullopt);
        EXPECT_EQ(locale->ParseSingle("1e39"), std::nullopt);  // beyond a float
        EXPECT_EQ(locale->ParseSingle("-0"), 0.0f);
    }
}

}  // namespace
}  // namespace vardesca
