// SPDX-License-Identifier: GPL-3.0-or-later
// Run by CTest once under LANG=it_IT.UTF-8 and once under LANG=en_US.UTF-8: the
// line a measurement appends carries the separator of the user's settings.
#include <gtest/gtest.h>

#include "tests/support/scripted_window_dialogs.h"
#include "window/form1.h"
#include "window/qt_locale_numbers.h"

namespace vardesca {
namespace {

TEST(LocaleLineTest, MeasurementUsesTheSystemSeparator) {
    const char* expected = std::getenv("VARDESCA_EXPECTED_LINE");
    ASSERT_NE(expected, nullptr) << "set by CTest";
    testing::ScriptedWindowDialogs dialogs;
    const QtLocaleNumbers locale;  // QLocale::system()
    Form1 window(dialogs, locale);
    window.Inizia_Click();
    window.Text1->SetText("");
    dialogs.inputs = {"2", "3"};  // k = (750 + 600) / 2 = 675
    for (const auto& [x, y] : {std::pair{0.f, 0.f},
                               {1500.f, 0.f},
                               {0.f, 0.f},
                               {1800.f, 0.f},
                               {0.f, 0.f},
                               {900.f, 1200.f}}) {
        window.picPicture_MouseDown(x, y);
    }
    EXPECT_EQ(window.Text1->GetText(), std::string(expected) + "\r\n");
}

}  // namespace
}  // namespace vardesca
