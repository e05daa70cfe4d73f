// SPDX-License-Identifier: GPL-3.0-or-later
// Presses made while the window was busy, in a real X server (run through
// tests/support/in_xvfb.sh): xdotool clicks while this test holds the window's
// thread, as a long load or save holds it, and only the presses on the photo
// that were made before the end of the work are dropped. Whatever the machine's
// uptime or the X server's clock.
#include <gtest/gtest.h>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>

#include "window/stale_clicks.h"

namespace vardesca {
namespace {

class CountingWidget : public QWidget {
  public:
    using QWidget::QWidget;
    int presses = 0;

  protected:
    void mousePressEvent(QMouseEvent* /*event*/) override { ++presses; }
};

class StaleClicksX11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            GTEST_SKIP() << "needs an X server: run through tests/support/in_xvfb.sh";
        }
        top.setGeometry(0, 0, 400, 300);
        surface->setGeometry(0, 0, 200, 300);
        beside->setGeometry(200, 0, 200, 300);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    }

    // One click by xdotool at (x, y) in the window. This thread answers nothing
    // meanwhile; the round trip at the end (getmouselocation) returns once the
    // server has queued the click for us.
    void ClickWhileBusy(int x, int y) {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QStringLiteral("--window"),
                       QString::number(top.winId()), QString::number(x), QString::number(y),
                       QStringLiteral("click"), QStringLiteral("1"),
                       QStringLiteral("getmouselocation")});
        ASSERT_TRUE(xdotool.waitForFinished(20000));
        ASSERT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();
    }

    QWidget top;
    CountingWidget* surface = new CountingWidget(&top);
    CountingWidget* beside = new CountingWidget(&top);
    StaleClicks stale{*surface};
};

TEST_F(StaleClicksX11Test, PressesOnThePhotoDuringTheWorkAreDroppedAndLaterOnesCount) {
    ClickWhileBusy(50, 50);
    ClickWhileBusy(250, 50);
    stale.BusyUntilNow();
    ASSERT_TRUE(stale.Draining()) << "no marker could be sent";
    ASSERT_TRUE(QTest::qWaitFor([this] { return !stale.Draining(); }, 20000));
    // The press beside the photo came before the marker and is delivered.
    ASSERT_TRUE(QTest::qWaitFor([this] { return beside->presses == 1; }, 20000));
    EXPECT_EQ(surface->presses, 0);

    // Made after the work: a click as any.
    ClickWhileBusy(60, 60);
    ASSERT_TRUE(QTest::qWaitFor([this] { return surface->presses == 1; }, 20000));
    EXPECT_EQ(beside->presses, 1);
}

}  // namespace
}  // namespace vardesca
