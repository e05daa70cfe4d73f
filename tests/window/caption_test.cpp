// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/caption.h"

#include <gtest/gtest.h>

#include "text/qt_locale_numbers.h"

namespace vardesca {
namespace {

struct CaptionCase {
    const char* name;
    QLocale::Language language;
    const char* file;
    double zoom;
    std::optional<CaptionScale> scale;
    const char* expected;
};

class CaptionTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionTest, FileZoomAndScaleInTheUsersNumbers) {
    const CaptionCase& c = GetParam();
    const QtLocaleNumbers locale{QLocale(c.language)};
    EXPECT_EQ(Caption(QString::fromUtf8(c.file), c.zoom, c.scale, locale),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Captions, CaptionTest,
    ::testing::Values(
        CaptionCase{"no_picture", QLocale::Italian, "", 0.25, std::nullopt, "Vardesca"},
        CaptionCase{"natural_size", QLocale::Italian, "/f/a.jpg", 1.0, std::nullopt,
                    "Vardesca [/f/a.jpg]"},
        CaptionCase{"quarter", QLocale::Italian, "a.jpg", 0.25, std::nullopt,
                    "Vardesca [a.jpg] — 25 %"},
        CaptionCase{"root_two", QLocale::Italian, "a.jpg", 1.4142135623730951, std::nullopt,
                    "Vardesca [a.jpg] — 141 %"},
        CaptionCase{"below_ten_keeps_a_decimal", QLocale::Italian, "a.jpg", 1.0 / 32, std::nullopt,
                    "Vardesca [a.jpg] — 3,1 %"},
        CaptionCase{"below_ten_in_english", QLocale::English, "a.jpg", 0.08838834764831845, std::nullopt,
                    "Vardesca [a.jpg] — 8.8 %"},
        CaptionCase{"calibrated", QLocale::Italian, "a.jpg", 1.0, CaptionScale{50, 45, 55},
                    "Vardesca [a.jpg] — 50,00 px/cm, riferimenti ±10,0 %"},
        CaptionCase{"zoomed_and_calibrated", QLocale::English, "a.jpg", 2.0,
                    CaptionScale{44.444, 40, 40},
                    "Vardesca [a.jpg] — 200 % — 44.44 px/cm, riferimenti ±0.0 %"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vardesca
