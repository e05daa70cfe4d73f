// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/scripted_window_dialogs.h"
#include "text/qt_locale_numbers.h"
#include "window/form1.h"

namespace vardesca::testing {

// The window shown and active on the offscreen platform, with scripted dialogs,
// Italian number conventions and a folder of its own for files.
class Form1Fixture : public ::testing::Test {
  protected:
    void SetUp() override {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        // Pixel positions in the tests assume 15 twips a pixel.
        ASSERT_EQ(window.Desk().Scale().TwipsPerPixel(), 15.0);
        ASSERT_TRUE(dir.isValid());
    }

    // `path` chosen in the open dialog.
    void Open(const QString& path) {
        dialogs.files.push_back(path);
        window.cmdOpen_Click();
    }

    QTemporaryDir dir;
    ScriptedWindowDialogs dialogs;
    QtLocaleNumbers locale{QLocale(QLocale::Italian, QLocale::Italy)};
    Form1 window{dialogs, locale};
};

}  // namespace vardesca::testing
