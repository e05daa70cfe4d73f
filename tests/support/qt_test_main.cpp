// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest main for tests that need a QApplication. The platform comes from
// QT_QPA_PLATFORM (offscreen in CTest), so a developer can still watch a test
// on a real display.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "window/photo_record.h"

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
    // The folders' measurement records: the corpus keeps none (every test
    // reads it, none may write to it, and no test may find another's
    // measurements there), and a record kept away from its folder goes to a
    // data folder of this run.
    const QTemporaryDir data;
    if (data.isValid()) {
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    }
    const QString corpus = QDir(QStringLiteral(VARDESCA_TESTDATA)).absolutePath();
    vardesca::PhotoRecord::SetPlaceForTests(
        [corpus](const QString& folder) -> std::optional<vardesca::RecordPlace> {
            if (QDir(folder).absolutePath().startsWith(corpus)) {
                return vardesca::RecordPlace{QString(), true, QString()};
            }
            return std::nullopt;
        });
    return RUN_ALL_TESTS();
}
