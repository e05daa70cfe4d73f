// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest main for tests that need a QApplication. The platform comes from
// QT_QPA_PLATFORM (offscreen in CTest), so a developer can still watch a test
// on a real display.
#include <gtest/gtest.h>
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does it at build time) needs no display.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QApplication app(argc, argv);
    // Qt's own dialogs keep their state through QSettings in the user scope:
    // a folder of this run, so that the tests leave nothing in the
    // configuration of whoever runs them.
    const QTemporaryDir userSettings;
    if (userSettings.isValid()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, userSettings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, userSettings.path());
    }
    return RUN_ALL_TESTS();
}
