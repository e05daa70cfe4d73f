// SPDX-License-Identifier: GPL-3.0-or-later
// Run by CTest under several settings (Italian, English, Italian texts with
// English numbers, a language the program lacks): the language of the texts
// follows the user's languages as the program chooses at start-up, and the line
// a measurement appends carries the separator of the number locale, whatever
// the language.
#include <gtest/gtest.h>

#include "tests/support/scripted_window_dialogs.h"
#include "window/form1.h"
#include "window/key_bindings.h"
#include "text/ui_text.h"
#include "text/program_language.h"
#include "text/qt_locale_numbers.h"

namespace vardesca {
namespace {

TEST(LocaleLineTest, MeasurementUsesTheSystemSeparator) {
    const char* expected = std::getenv("VARDESCA_EXPECTED_LINE");
    const char* start = std::getenv("VARDESCA_EXPECTED_START");
    ASSERT_NE(expected, nullptr) << "set by CTest";
    ASSERT_NE(start, nullptr) << "set by CTest";
    InstallLanguage(ChooseLanguage(QLocale::system().uiLanguages()));
    testing::ScriptedWindowDialogs dialogs;
    const QtLocaleNumbers locale;  // QLocale::system()
    Form1 window(dialogs, locale);
    EXPECT_EQ(window.Inizia->text(), QString::fromUtf8(start));
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

    // F1's list speaks the language the buttons speak, every line of it.
    const QString keys = KeysHelpText();
    for (const KeyBinding& binding : KeyBindings()) {
        EXPECT_TRUE(keys.contains(QStringLiteral("  ") + UiText(binding.help) + QLatin1Char('\n')))
            << binding.help;
    }
    EXPECT_EQ(keys.contains(QStringLiteral("foto intera nella finestra")),
              window.Inizia->text() == QStringLiteral("Inizia misurazioni"));
}

}  // namespace
}  // namespace vardesca
