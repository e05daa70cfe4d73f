// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "tests/support/form1_fixture.h"
#include "text/qt_locale_numbers.h"
#include "view/zoom.h"
#include "window/form1.h"

namespace vardesca {
namespace {

class Form1ZoomTest : public testing::Form1Fixture {
  protected:
    QSize Viewport() const { return window.picContainer->size(); }

    // A picture with a light ground and a dark pixel every 10 pixels, opened.
    void Open(QSize size) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(200, 220, 240));
        const QString path = dir.filePath(QStringLiteral("foto.png"));
        ASSERT_TRUE(image.save(path, "PNG"));
        Form1Fixture::Open(path);
        ASSERT_EQ(window.picPicture->size(), size);
    }

    // A click on picture pixel `p`, scrolled into view first when it is out of it.
    void ClickPicture(QPointF p) {
        const double z = window.Viewport().Zoom();
        const QPoint onSurface(static_cast<int>(std::lround(p.x() * z)),
                               static_cast<int>(std::lround(p.y() * z)));
        if (!window.picContainer->rect().contains(onSurface + window.picPicture->pos())) {
            window.HScroll1->setValue((onSurface.x() - 100) * 15);
            window.VScroll1->setValue((onSurface.y() - 100) * 15);
        }
        // The point must be in view: the test clicks what a user could click.
        const QPoint inViewport = onSurface + window.picPicture->pos();
        ASSERT_TRUE(window.picContainer->rect().contains(inViewport))
            << p.x() << "," << p.y() << " at zoom " << z;
        QTest::mouseClick(window.picPicture, Qt::LeftButton, {}, onSurface);
    }

    void Wheel(QWidget* target, QPoint at, QPoint angle, QPoint pixels = {},
               Qt::KeyboardModifiers modifiers = {}) {
        QWheelEvent event(at, target->mapToGlobal(at), pixels, angle, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &event);
    }
};

// Two references and three fish, in picture pixels; every coordinate a multiple
// of 4, so a fitted quarter-size view can click them exactly.
struct Scene {
    QPointF ref1a{40, 40}, ref1b{1240, 40}, ref2a{40, 80}, ref2b{40, 1480};
    QPointF fish[6] = {{100, 200}, {900, 600}, {400, 400}, {404, 1200}, {1600, 100}, {1200, 1300}};
};

TEST_F(Form1ZoomTest, CalibratingFittedAndMeasuringAtFourTimesGivesTheLinesOfOneHundredPercent) {
    const Scene s;
    // Four times the viewport, so the fitted zoom is exactly one quarter.
    Open(Viewport() * 4);
    const auto run = [&](auto beforeCalibration, auto beforeMeasuring) {
        window.Text1->SetText("");
        window.Inizia_Click();
        dialogs.inputs = {"8", "7"};
        dialogs.answers = {WindowDialogs::Answer::No};  // references 150 and 200 px/cm: kept
        beforeCalibration();
        for (const QPointF p : {s.ref1a, s.ref1b, s.ref2a, s.ref2b}) {
            ClickPicture(p);
        }
        beforeMeasuring();
        for (const QPointF p : s.fish) {
            ClickPicture(p);
        }
        return window.Text1->GetText();
    };
    const std::string natural = run([] {}, [] {});
    ASSERT_EQ(std::count(natural.begin(), natural.end(), '\n'), 3);

    window.Resetta->setEnabled(true);
    dialogs.answers = {WindowDialogs::Answer::Ok};
    window.Resetta_Click();
    const std::string zoomed = run(
        [&] {
            window.Viewport().Fit();
            ASSERT_EQ(window.Viewport().Zoom(), 0.25);
        },
        [&] {
            for (int i = 0; i < 8; ++i) {
                window.Viewport().ZoomInStep();  // up the ladder from one quarter
            }
            ASSERT_EQ(window.Viewport().Zoom(), 4.0);
        });
    EXPECT_EQ(zoomed, natural);
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(Form1ZoomTest, AClickGivesTheSamePictureTwipsWithinAScreenPixelAtEveryZoom) {
    Open({2000, 1500});
    std::vector<std::pair<float, float>> clicks;
    QObject::connect(window.picPicture, &ImageSurface::MouseDown,
                     [&](float x, float y) { clicks.emplace_back(x, y); });
    const QPointF target(1234.5, 678.25);  // picture pixels
    for (const double zoom : ZoomLadder()) {
        window.Viewport().ZoomAround(zoom, {0, 0});
        const QPointF onSurface = target * zoom;
        QTest::mouseClick(window.picPicture, Qt::LeftButton, {},
                          QPoint(static_cast<int>(onSurface.x()), static_cast<int>(onSurface.y())));
        ASSERT_FALSE(clicks.empty());
        // Within one screen pixel, as picture twips.
        const double tolerance = 15.0 / zoom;
        EXPECT_NEAR(clicks.back().first, target.x() * 15, tolerance) << zoom;
        EXPECT_NEAR(clicks.back().second, target.y() * 15, tolerance) << zoom;
    }
}

// Whether the mark colour is within a pixel of `p`: where a slanted one-pixel
// line falls between two pixels is the rasteriser's business.
bool RedNear(const QImage& shot, QPoint p) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (shot.pixelColor(p + QPoint(dx, dy)) == QColor(255, 0, 0)) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(Form1ZoomTest, MarksStayOnTheirPointsAndKeepTheirScreenSize) {
    Open({400, 300});
    window.Inizia_Click();
    dialogs.inputs = {"2"};
    ClickPicture({100, 100});
    ClickPicture({200, 150});
    for (const double zoom : {0.5, 2.0, 1.0}) {
        window.Viewport().ZoomAround(zoom, {0, 0});
        const QImage shot = window.picPicture->grab().toImage();
        // A point of the line, on the screen at the zoom; the ground beside it.
        const QPoint on(static_cast<int>(180 * zoom), static_cast<int>(140 * zoom));
        EXPECT_TRUE(RedNear(shot, on)) << zoom;
        EXPECT_FALSE(RedNear(shot, on + QPoint(0, 6))) << zoom;
        // The cross's arm reaches 120 twips (8 pixels) above its point at every zoom.
        const QPoint point(static_cast<int>(200 * zoom), static_cast<int>(150 * zoom));
        EXPECT_EQ(shot.pixelColor(point - QPoint(0, 7)), QColor(255, 0, 0)) << zoom;
        EXPECT_NE(shot.pixelColor(point - QPoint(0, 10)), QColor(255, 0, 0)) << zoom;
    }
}

TEST_F(Form1ZoomTest, FitFollowsTheWindowAndTheCaptionSaysTheZoom) {
    // Without a picture the keys and the wheel leave everything as it is.
    QTest::keyClick(window.picContainer, Qt::Key_0, Qt::ControlModifier);
    Wheel(window.picPicture, {5, 5}, {0, 120}, {}, Qt::ControlModifier);
    EXPECT_EQ(window.Viewport().Zoom(), 1.0);
    EXPECT_EQ(window.windowTitle(), "Vardesca");

    Open({Viewport().width() * 4, Viewport().height() * 2});
    QTest::keyClick(window.picContainer, Qt::Key_0, Qt::ControlModifier);
    ASSERT_TRUE(window.Viewport().Fitted());
    EXPECT_EQ(window.Viewport().Zoom(), 0.25);
    EXPECT_NEAR(window.picPicture->pos().y(), Viewport().height() / 4.0, 1);  // centred
    EXPECT_TRUE(window.windowTitle().endsWith("] — 25 %"));
    // The window grown: fitted again, and the caption follows.
    window.resize(window.width() + 400, window.height() + 200);
    QTest::qWait(0);
    EXPECT_GT(window.Viewport().Zoom(), 0.25);
    EXPECT_FALSE(window.windowTitle().endsWith("] — 25 %"));
    // A bar's range follows the window at 100 % too.
    QTest::keyClick(window.picContainer, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(window.Viewport().Zoom(), 1.0);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardesca [%1]").arg(dir.filePath("foto.png")));
    window.resize(window.width() - 300, window.height());
    QTest::qWait(0);
    EXPECT_EQ(window.HScroll1->maximum(), (window.picPicture->width() - Viewport().width()) * 15);
    EXPECT_EQ(window.HScroll1->pageStep(), Viewport().width() * 15);
}

TEST_F(Form1ZoomTest, CtrlKeysZoomEverywhereButTheTextBoxKeepsItsEditingKeys) {
    Open({2000, 1500});
    window.Text1->setFocus();
    window.Text1->SetText("nota");
    QTest::keyClick(window.Text1, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(window.Viewport().Zoom(), std::sqrt(2.0));
    QTest::keyClick(window.Text1, Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_DOUBLE_EQ(window.Viewport().Zoom(), 1.0);
    QTest::keyClick(window.Esci, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_DOUBLE_EQ(window.Viewport().Zoom(), std::sqrt(2.0));
    // Select all and cut are the box's own.
    QTest::keyClick(window.Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window.Text1, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(window.Text1->GetText(), "");
    QTest::keyClick(window.Text1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window.Text1->GetText(), "nota");
    EXPECT_DOUBLE_EQ(window.Viewport().Zoom(), std::sqrt(2.0));
}

TEST_F(Form1ZoomTest, SingleKeysActOutsideTheTextBoxOnly) {
    Open({2000, 1500});
    window.Text1->SetText("");
    window.Text1->setFocus();
    QTest::keyClicks(window.Text1, "lunghezza");
    QTest::keyClick(window.Text1, Qt::Key_Right);
    EXPECT_EQ(window.Text1->GetText(), "lunghezza");
    EXPECT_TRUE(window.Desk().LoupeWidget().Enabled());
    EXPECT_EQ(window.HScroll1->value(), 0);

    // A click on the photo gives it the keyboard.
    QTest::mouseClick(window.picPicture, Qt::LeftButton, {}, {10, 10});
    EXPECT_TRUE(window.picPicture->hasFocus());
    QTest::keyClick(window.picPicture, Qt::Key_L);
    EXPECT_FALSE(window.Desk().LoupeWidget().Enabled());
    QTest::keyClick(window.picPicture, Qt::Key_Right);
    QTest::keyClick(window.picPicture, Qt::Key_Down);
    QTest::keyClick(window.picPicture, Qt::Key_Down);
    EXPECT_EQ(window.HScroll1->value(), 500);
    EXPECT_EQ(window.VScroll1->value(), 1000);
    EXPECT_EQ(window.picPicture->pos(), QPoint(-33, -67));  // 500 and 1000 twips, rounded
    QTest::keyClick(window.picPicture, Qt::Key_Up);
    EXPECT_EQ(window.VScroll1->value(), 500);
    // From a button too.
    window.CopiaDati->setFocus();
    QTest::keyClick(window.CopiaDati, Qt::Key_L);
    EXPECT_TRUE(window.Desk().LoupeWidget().Enabled());
    QTest::keyClick(window.CopiaDati, Qt::Key_Left);
    EXPECT_EQ(window.HScroll1->value(), 0);
}

TEST_F(Form1ZoomTest, TabMovesAlongTheDesignOrderFromEveryControl) {
    // At start-up the keyboard is on the first control of the tab order.
    EXPECT_EQ(QApplication::focusWidget(), window.picContainer);
    Open({2000, 1500});
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.CopiaDati);
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), window.cmdOpen);
    EXPECT_EQ(window.Text1->GetText().find('\t'), std::string::npos);

    // Enabled bars take the focus after the surface, and move with their keys.
    window.picPicture->setFocus();
    QTest::keyClick(window.picPicture, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), window.HScroll1);
    QTest::keyClick(window.HScroll1, Qt::Key_End);
    EXPECT_EQ(window.HScroll1->value(), window.HScroll1->maximum());
    EXPECT_EQ(window.picPicture->x() * 15, -window.HScroll1->maximum());
    QTest::keyClick(window.HScroll1, Qt::Key_Home);
    QTest::keyClick(window.HScroll1, Qt::Key_PageDown);
    EXPECT_EQ(window.HScroll1->value(), Viewport().width() * 15);
}

}  // namespace
}  // namespace vardesca
