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

    // A left click on the photo at `p` (surface pixels), as the mouse gives it.
    void ClickPhoto(QPoint p) { QTest::mouseClick(window.picPicture, Qt::LeftButton, {}, p); }

    // A grey 400 × 300 photo saved as `name`, opened, the box emptied, and
    // calibrated by clicks with references of 100 px for "2" cm and 50 px for
    // "1" cm: 50 px a cm. Its path.
    QString OpenCalibratedGreyPhoto(const QString& name, const char* format) {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(qRgb(128, 128, 128));
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, format, 95));
        Open(path);
        EXPECT_EQ(window.picPicture->size(), QSize(400, 300));
        window.Text1->SetText("");
        window.Inizia_Click();
        dialogs.inputs = {"2", "1"};
        for (const QPoint p : {QPoint(10, 10), QPoint(110, 10), QPoint(10, 20), QPoint(60, 20)}) {
            ClickPhoto(p);
        }
        EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
        dialogs.shown.clear();
        return path;
    }

    QTemporaryDir dir;
    ScriptedWindowDialogs dialogs;
    QtLocaleNumbers locale{QLocale(QLocale::Italian, QLocale::Italy)};
    Form1 window{dialogs, locale};
};

}  // namespace vardesca::testing
