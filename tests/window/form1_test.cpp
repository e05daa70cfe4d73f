// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

#include <gtest/gtest.h>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "commands/about.h"
#include "tests/support/form1_fixture.h"
#include "text/qt_locale_numbers.h"
#include "window/app_text.h"
#include "window/compute_layout.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

class Form1Test : public testing::Form1Fixture {
  protected:
    // A pixel position from twips, one pixel in from the surface's corner: QTest
    // takes the point (0, 0) for "the widget's centre".
    QPoint Px(int xTwips, int yTwips) { return {1 + xTwips / 15, 1 + yTwips / 15}; }

    void Click(QPoint p, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(window.picPicture, button, modifiers, p);
    }
};

TEST_F(Form1Test, StartsWithInstructionsAndGreyedControls) {
    EXPECT_EQ(window.windowTitle(), "Vardesca");
    EXPECT_EQ(window.Text1->GetText(), app_text::kStartupText);
    EXPECT_EQ(window.Text1->GetText().size(), 245u);
    EXPECT_FALSE(window.Inizia->isEnabled());
    EXPECT_FALSE(window.Resetta->isEnabled());
    for (QPushButton* b : {window.cmdOpen, window.CopiaDati, window.Info, window.Esci}) {
        EXPECT_TRUE(b->isEnabled());
        EXPECT_FALSE(b->isDefault());
        EXPECT_FALSE(b->autoDefault());
    }
    for (QScrollBar* bar : {window.HScroll1, window.VScroll1}) {
        EXPECT_TRUE(bar->isVisible());
        EXPECT_FALSE(bar->isEnabled());
        EXPECT_EQ(bar->value(), 0);
        EXPECT_EQ(bar->singleStep(), 500);
    }
    EXPECT_EQ(window.Inizia->text(), "Inizia misurazioni");
    EXPECT_EQ(window.Resetta->text(), "Resetta misurazioni");
    EXPECT_EQ(window.cmdOpen->text(), "Carica immagine");
    EXPECT_EQ(window.CopiaDati->text(), "Copia i dati");
    EXPECT_EQ(window.Info->text(), "Vardesca?");
    EXPECT_EQ(window.Esci->text(), "Esci");
    EXPECT_EQ(window.picContainer->cursor().shape(), Qt::CrossCursor);
    EXPECT_FALSE(window.picPicture->testAttribute(Qt::WA_SetCursor));  // inherits the crosshair
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Idle);

    // Clicks on the empty surface are ignored.
    Click({5, 5});
    Click({20, 30}, Qt::RightButton);
    EXPECT_EQ(window.picPicture->MarkCount(), 0u);
    EXPECT_EQ(window.Desk().Engine().punti(), 0);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Form1Test, TabOrderFollowsTheDesign) {
    const QList<QWidget*> expected = {window.picContainer, window.picPicture, window.cmdOpen,
                                      window.Text1,        window.CopiaDati,  window.Esci,
                                      window.Info};  // bars, Inizia, Resetta disabled
    QWidget* w = window.picContainer;
    for (qsizetype i = 1; i < expected.size(); ++i) {
        do {
            w = w->nextInFocusChain();
        } while (!(w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) ||
                 w->parentWidget() == window.Text1 || w->parentWidget() == window.HScroll1);
        // The text box's own viewport and scroll bar are part of it.
        EXPECT_EQ(w, expected[i]) << i;
    }
}

TEST_F(Form1Test, FullCalibrationAndMeasurementWithEveryMouseButton) {
    window.Inizia_Click();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].title, "Calibrazione (1 di 3)");
    window.Text1->SetText("");

    // First pair: 1500 twips for 2 cm; second: 1800 twips for 3 cm. k = (750 + 600) / 2.
    // The two are 22,2 % apart: the user is told and keeps the scale.
    dialogs.inputs = {"2", "3"};
    dialogs.answers = {WindowDialogs::Answer::No};
    Click(Px(0, 0));
    Click(Px(1500, 0), Qt::RightButton);
    Click(Px(0, 0), Qt::MiddleButton);
    Click(Px(0, 1800), Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(window.Desk().Engine().k(), 675.0f);
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    EXPECT_FALSE(window.Inizia->isEnabled());
    EXPECT_TRUE(window.Resetta->isEnabled());
    ASSERT_EQ(dialogs.shown.size(), 4u);
    EXPECT_EQ(dialogs.shown[1].title, "Calibrazione (2 di 3)");
    EXPECT_EQ(dialogs.shown[2].title, "Calibrazione (3 di 3)");
    EXPECT_EQ(dialogs.shown[3].title, "Riferimenti discordanti");
    EXPECT_TRUE(dialogs.shown[3].text.contains("differiscono del 22,2 %"))
        << dialogs.shown[3].text.toStdString();

    Click(Px(0, 0), Qt::RightButton);
    Click(Px(900, 1200));
    EXPECT_EQ(window.Text1->GetText(), "1\t2,22\r\n");
    EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(Form1Test, MarksArePaintedOnePixelInTheExactColour) {
    window.Inizia_Click();
    dialogs.inputs = {"2"};
    Click({10, 20});
    Click({110, 20});
    const QImage shot = window.picPicture->grab().toImage();
    EXPECT_EQ(shot.pixelColor(60, 20), QColor(255, 0, 0));  // the pair line
    const QRgb ground = window.picPicture->palette().color(QPalette::Mid).rgb();
    EXPECT_EQ(shot.pixel(60, 19), ground);
    EXPECT_EQ(shot.pixel(60, 21), ground);
    EXPECT_EQ(shot.pixelColor(10, 12), QColor(255, 0, 0));  // the cross's vertical arm
    EXPECT_EQ(window.picPicture->MarkCount(), 7u);
}

TEST_F(Form1Test, AnExceptionInAHandlerIsReportedAndNothingIsLost) {
    window.Inizia_Click();
    window.Text1->SetText("1\t2,22\r\nnota");
    window.picPicture_MouseDown(0, 0);
    dialogs.shown.clear();
    // A position whose distance to the first point does not fit 32 bits.
    window.picPicture_MouseDown(3.0e9f, 0);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].icon, WindowDialogs::Icon::Warning);
    EXPECT_TRUE(dialogs.Messages()[0].text.startsWith("Si è verificato un errore"));
    EXPECT_EQ(window.Text1->GetText(), "1\t2,22\r\nnota");
    EXPECT_EQ(window.Desk().Engine().punti(), 1);
    EXPECT_TRUE(window.isVisible());
}

// The window's geometry in pixels for a layout in twips.
void ExpectLaidOut(Form1& window) {
    const QSize frame = window.frameGeometry().size() - window.size();
    const TwipsScale& s = window.Desk().Scale();
    // Beyond the first width the results box takes its default share.
    const WindowLayout l =
        ComputeLayout(static_cast<float>(s.ToTwips(window.width() + frame.width())),
                      static_cast<float>(s.ToTwips(window.height() + frame.height())),
                      BoxWider(static_cast<float>(s.ToTwips(window.width())), kDefaultBoxShare));
    const auto px = [&](const ControlGeometry& g) {
        return s.ToPixels(g.left, g.top, g.width, g.height);
    };
    EXPECT_EQ(window.picContainer->geometry(), px(l.picContainer));
    EXPECT_EQ(window.VScroll1->geometry(), px(l.vScroll1));
    EXPECT_EQ(window.HScroll1->geometry(), px(l.hScroll1));
    EXPECT_EQ(window.Text1->geometry(), px(l.text1));
    EXPECT_EQ(window.CopiaDati->geometry(), px(l.copiaDati));
    EXPECT_EQ(window.cmdOpen->geometry(), px(l.cmdOpen));
    EXPECT_EQ(window.Esci->geometry(), px(l.esci));
}

TEST_F(Form1Test, FollowsEveryResizeAndKeepsTheMinimum) {
    ExpectLaidOut(window);
    const QRect surfaceBefore = window.picPicture->geometry();
    for (const QSize size : {QSize(1000, 700), QSize(900, 300), QSize(1600, 1000)}) {
        window.resize(size);
        QTest::qWait(0);
        EXPECT_EQ(window.size(), size);
        ExpectLaidOut(window);
    }
    EXPECT_EQ(window.picPicture->geometry(), surfaceBefore);

    window.resize(300, 100);  // below the minimum outer size of 720 × 200 pixels
    QTest::qWait(0);
    EXPECT_GE(window.width(), 720 - (window.frameGeometry().width() - window.width()));
    EXPECT_GE(window.height(), 200 - (window.frameGeometry().height() - window.height()));
    ExpectLaidOut(window);
    EXPECT_TRUE(window.HScroll1->isVisible());
}

TEST_F(Form1Test, CancellingTheOpenDialogBeforeAnyLoadSaysAndChangesNothing) {
    const QRect surface = window.picPicture->geometry();
    dialogs.files.push_back(QString());  // cancelled
    window.cmdOpen_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);  // the open dialog, and no box after it
    EXPECT_EQ(dialogs.shown[0].kind, testing::ScriptedWindowDialogs::Shown::Open);
    EXPECT_EQ(window.windowTitle(), "Vardesca");
    EXPECT_EQ(window.Text1->GetText(), app_text::kStartupText);
    EXPECT_EQ(window.picPicture->geometry(), surface);
    EXPECT_FALSE(window.Inizia->isEnabled());
}

TEST_F(Form1Test, AResizeWhileMinimisedMovesNothing) {
    QImage image(2000, 1500, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const QString path = dir.filePath(QStringLiteral("foto.png"));
    ASSERT_TRUE(image.save(path));
    Open(path);
    window.HScroll1->setValue(window.HScroll1->maximum());
    window.VScroll1->setValue(3000);
    const QRect surface = window.picPicture->geometry();
    const QRect viewport = window.picContainer->geometry();
    const int hMax = window.HScroll1->maximum();
    window.setWindowState(Qt::WindowMinimized);
    window.resize(400, 300);
    window.Form_Resize();
    EXPECT_EQ(window.picPicture->geometry(), surface);
    EXPECT_EQ(window.picContainer->geometry(), viewport);
    EXPECT_EQ(window.HScroll1->maximum(), hMax);
    EXPECT_EQ(window.HScroll1->value(), hMax);
    EXPECT_EQ(window.VScroll1->value(), 3000);
}

TEST_F(Form1Test, MinimizedWindowIsLeftAlone) {
    window.resize(1000, 700);
    QTest::qWait(0);
    const QRect before = window.Text1->geometry();
    window.setWindowState(Qt::WindowMinimized);
    window.Form_Resize();
    EXPECT_EQ(window.Text1->geometry(), before);
}

// The usual keys of a desktop program, from inside the results box too: each
// does what its button (or its button's answer) does, without the question
// where the key names the answer.
TEST_F(Form1Test, CtrlOSCopyAndQuitDoWhatTheirButtonsDo) {
    window.Text1->SetText("1\t2,22\r\n");
    window.Text1->setFocus();
    using Kind = testing::ScriptedWindowDialogs::Shown;

    const QString path = dir.filePath(QStringLiteral("misure.txt"));
    dialogs.files.push_back(path);
    QTest::keyClick(window.Text1, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, Kind::Save);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), "1\t2,22\r\n\r\n");

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(window.Text1, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1\t2,22\r\n");
    EXPECT_EQ(dialogs.shown.size(), 1u);  // no question

    dialogs.files.push_back(QString());  // the open dialog, cancelled
    QTest::keyClick(window.Text1, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].kind, Kind::Open);

    bool quit = false;
    window.Session().SetQuit([&quit] { quit = true; });
    dialogs.answers = {Answer::No};
    QTest::keyClick(window.Text1, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[2].text, QString::fromUtf8(kExitQuestion));
    EXPECT_FALSE(quit);
    EXPECT_EQ(window.Text1->GetText(), "1\t2,22\r\n");  // nothing typed into the box
}

TEST_F(Form1Test, CtrlIStartsMeasuringOnlyWhenTheButtonCould) {
    QTest::keyClick(&window, Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.shown.empty()) << "no photo yet: the button is greyed";
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::gray);
    const QString photo = dir.filePath(QStringLiteral("foto.png"));
    ASSERT_TRUE(image.save(photo));
    Open(photo);
    const std::size_t before = dialogs.Messages().size();
    // From the results box too: Ctrl+I types nothing there.
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_I, Qt::ControlModifier);
    ASSERT_EQ(dialogs.Messages().size(), before + 1);
    EXPECT_EQ(dialogs.Messages().back().title, "Calibrazione (1 di 3)");
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Calibrating);
}

}  // namespace
}  // namespace vardesca
