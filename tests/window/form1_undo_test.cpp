// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/form1_fixture.h"
#include "text/qt_locale_numbers.h"
#include "window/form1.h"

namespace vardesca {
namespace {

class Form1UndoTest : public testing::Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        photo = OpenCalibratedGreyPhoto(QStringLiteral("foto.jpg"), "JPEG");
    }

    void Click(QPoint p) { ClickPhoto(p); }
    void Measure(QPoint a, QPoint b) {
        Click(a);
        Click(b);
    }

    QString photo;
};

TEST_F(Form1UndoTest, ReferencesAndMeasurementsCarryLabelsThatUndoAndRedoFollow) {
    EXPECT_EQ(window.picPicture->LabelCount(), 2u);  // "2 cm" and "1 cm"
    Measure({100, 100}, {200, 100});
    Measure({100, 150}, {300, 150});
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n2\t4\r\n");
    EXPECT_EQ(window.picPicture->LabelCount(), 4u);
    const std::size_t marks = window.picPicture->MarkCount();

    window.picPicture->setFocus();
    QTest::keyClick(window.picPicture, Qt::Key_Backspace);
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");
    EXPECT_EQ(window.picPicture->MarkCount(), marks - 7);
    EXPECT_EQ(window.picPicture->LabelCount(), 3u);
    QTest::keyClick(window.picPicture, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n2\t4\r\n");
    EXPECT_EQ(window.picPicture->MarkCount(), marks);
    EXPECT_EQ(window.picPicture->LabelCount(), 4u);

    // N hides the labels, and the photo shows the ground where "2" was.
    const QImage shown = window.picPicture->grab().toImage();
    QTest::keyClick(window.picPicture, Qt::Key_N);
    EXPECT_FALSE(window.picPicture->LabelsVisible());
    EXPECT_NE(window.picPicture->grab().toImage(), shown);
    QTest::keyClick(window.picPicture, Qt::Key_N);
    EXPECT_EQ(window.picPicture->grab().toImage(), shown);
    EXPECT_EQ(dialogs.unexpected, 0);
}

// Ctrl+Z in the box until it changes nothing more.
void UndoAllInTheBox(ResultsBox* box) {
    for (int i = 0; i < 50; ++i) {
        const std::string before = box->GetText();
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        if (box->GetText() == before) {
            return;
        }
    }
}

TEST_F(Form1UndoTest, InTheBoxCtrlZTakesBackTheUsersEditsButNeverAResultLine) {
    // Typing, then a measurement, then typing again; single keys type there.
    window.Text1->setFocus();
    window.Text1->moveCursor(QTextCursor::End);
    QTest::keyClicks(window.Text1, "riva");
    Measure({100, 100}, {200, 100});
    window.Text1->setFocus();
    window.Text1->moveCursor(QTextCursor::End);
    QTest::keyClicks(window.Text1, "nota");
    QTest::keyClick(window.Text1, Qt::Key_Backspace);
    QTest::keyClick(window.Text1, Qt::Key_Escape);
    ASSERT_EQ(window.Text1->GetText(), "riva1\t2\r\nnot");
    UndoAllInTheBox(window.Text1);
    EXPECT_EQ(window.Text1->GetText(), "riva1\t2\r\n");
    EXPECT_EQ(window.Desk().Engine().n(), 1);
    // Redo brings the typing back.
    QTest::keyClick(window.Text1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(window.Text1->GetText(), "riva1\t2\r\n");

    // A paste and a cut after the next measurement, both taken back.
    Measure({100, 150}, {300, 150});
    const std::string lines = window.Text1->GetText();
    window.Text1->setFocus();
    window.Text1->moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText(QStringLiteral("incollato"));
    QTest::keyClick(window.Text1, Qt::Key_V, Qt::ControlModifier);
    window.Text1->moveCursor(QTextCursor::Start);
    window.Text1->moveCursor(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    QTest::keyClick(window.Text1, Qt::Key_X, Qt::ControlModifier);
    ASSERT_NE(window.Text1->GetText(), lines);
    UndoAllInTheBox(window.Text1);
    EXPECT_EQ(window.Text1->GetText(), lines);
    EXPECT_EQ(window.Desk().Engine().n(), 2);
}

TEST_F(Form1UndoTest, AfterResettaTheBoxsUndoLeavesItEmpty) {
    Measure({100, 100}, {200, 100});
    dialogs.answers = {WindowDialogs::Answer::Ok};
    window.Resetta_Click();
    ASSERT_EQ(window.Text1->GetText(), "");
    window.Text1->setFocus();
    UndoAllInTheBox(window.Text1);
    EXPECT_EQ(window.Text1->GetText(), "");
    // The window's own undo, outside the box, is as it was: nothing to take back.
    window.picPicture->setFocus();
    QTest::keyClick(window.picPicture, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window.Text1->GetText(), "");
}

TEST_F(Form1UndoTest, EscapeGivesUpOnlyAPendingFirstPoint) {
    Measure({100, 100}, {200, 100});
    window.picPicture->setFocus();
    QTest::keyClick(window.picPicture, Qt::Key_Escape);
    EXPECT_EQ(window.Desk().Engine().n(), 1);  // nothing pending: nothing happens
    Click({50, 250});
    const std::size_t withPoint = window.picPicture->MarkCount();
    QTest::keyClick(window.picPicture, Qt::Key_Escape);
    EXPECT_EQ(window.Desk().Engine().punti(), 0);
    EXPECT_EQ(window.picPicture->MarkCount(), withPoint - 3);
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");
}

TEST_F(Form1UndoTest, ADoubleClickIsOneClick) {
    // What the platform delivers for a double click: a press and a release, then
    // the double click in place of the second press.
    Click({120, 120});
    QTest::mouseDClick(window.picPicture, Qt::LeftButton, {}, {120, 120});
    EXPECT_EQ(window.Desk().Engine().punti(), 1);
    EXPECT_EQ(window.Text1->GetText(), "");  // no zero-length line
    Click({170, 120});
    EXPECT_EQ(window.Text1->GetText(), "1\t1\r\n");
}

TEST_F(Form1UndoTest, CtrlESavesThePhotoWithItsMarksAtFullResolutionWhateverTheZoom) {
    window.Viewport().ZoomAround(0.5, {0, 0});
    Measure({50, 100}, {150, 100});  // surface pixels at 50 %: photo 100..300, row 200
    dialogs.files.push_back(dir.filePath(QStringLiteral("annotata.png")));
    QTest::keyClick(window.picPicture, Qt::Key_E, Qt::ControlModifier);
    window.Exports().Annotated().WaitUntilDone();
    ASSERT_EQ(dialogs.shown.back().kind, testing::ScriptedWindowDialogs::Shown::Save);
    EXPECT_EQ(dialogs.shown.back().text, dir.filePath(QStringLiteral("foto-misure.jpg")));
    EXPECT_TRUE(dialogs.Messages().empty());
    QImage saved(dir.filePath(QStringLiteral("annotata.png")));
    ASSERT_EQ(saved.size(), QSize(400, 300));
    EXPECT_EQ(saved.pixelColor(200, 200), QColor(0, 255, 0));  // on the green line
    EXPECT_EQ(saved.pixelColor(100, 10), QColor(255, 0, 0));   // on the first reference
    EXPECT_EQ(window.picPicture->Picture().pixelColor(200, 200), QColor(128, 128, 128));
}

// While the annotated photo is saved beside the window, a click on the photo,
// the keys and the buttons that change anything wait and say why; nothing they
// would have changed has changed. Once saved, they work again.
TEST_F(Form1UndoTest, WhileThePhotoIsSavedMeasuringAndCommandsWaitAndSayWhy) {
    Measure({100, 100}, {200, 100});
    dialogs.files.push_back(dir.filePath(QStringLiteral("annotata.png")));
    window.Actions().Perform(UserAction::SaveAnnotatedPhoto);
    ASSERT_TRUE(window.Exports().Annotated().Saving());
    const std::string text = window.Text1->GetText();
    const std::size_t marks = window.picPicture->MarkCount();
    Click({100, 200});
    window.picPicture->setFocus();
    QTest::keyClick(window.picPicture, Qt::Key_Z, Qt::ControlModifier);
    window.Resetta_Click();
    window.Inizia_Click();
    window.cmdOpen_Click();
    window.Esci_Click();
    window.close();
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(dialogs.Messages().size(), 7u);
    for (const auto& m : dialogs.Messages()) {
        EXPECT_TRUE(m.text.startsWith("Salvataggio dell'immagine annotata in corso"))
            << m.text.toStdString();
    }
    EXPECT_EQ(dialogs.unexpected, 0);
    EXPECT_EQ(window.Text1->GetText(), text);
    EXPECT_EQ(window.picPicture->MarkCount(), marks);
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    EXPECT_EQ(window.Desk().Engine().punti(), 0);
    window.Exports().Annotated().WaitUntilDone();
    EXPECT_FALSE(QImage(dir.filePath(QStringLiteral("annotata.png"))).isNull());
    Measure({100, 200}, {150, 200});
    EXPECT_EQ(window.Text1->GetText(), text + "2\t1\r\n");
}

// A press whose time, on the window system's clock, falls before the end of a
// save: made while the window was busy, delivered after.
TEST_F(Form1UndoTest, PressesOnThePhotoWhileASaveOrALoadHeldTheWindowAreNotClicks) {
    std::vector<std::uint32_t> marks;
    window.Photos().PressesDuringWork().UseMarkSender(
        [&marks](std::uint32_t, std::uint32_t serial) {
            marks.push_back(serial);
            return true;
        },
        0, 99);
    // A press on the photo as the X server sends it, through every native filter.
    const auto pressOnPhoto = [this] {
        const QPoint at = window.picPicture->mapTo(&window, QPoint(50, 50));
        xcb_button_press_event_t press{};
        press.response_type = XCB_BUTTON_PRESS;
        press.detail = 1;
        press.event = static_cast<std::uint32_t>(window.effectiveWinId());
        press.event_x = static_cast<std::int16_t>(at.x());
        press.event_y = static_cast<std::int16_t>(at.y());
        return QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t",
                                                                       &press, nullptr);
    };
    const auto markerArrives = [&marks] {
        xcb_client_message_event_t mark{};
        mark.response_type = XCB_CLIENT_MESSAGE;
        mark.format = 32;
        mark.type = 99;
        mark.data.data32[0] = marks.back();
        QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &mark,
                                                                nullptr);
    };
    dialogs.files.push_back(dir.filePath(QStringLiteral("annotata.jpg")));
    window.Actions().Perform(UserAction::SaveAnnotatedPhoto);
    window.Exports().Annotated().WaitUntilDone();
    ASSERT_TRUE(dialogs.Messages().empty());
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_TRUE(pressOnPhoto());
    markerArrives();
    EXPECT_FALSE(pressOnPhoto());

    Open(photo);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_TRUE(pressOnPhoto());
    markerArrives();
    EXPECT_FALSE(pressOnPhoto());
}

TEST_F(Form1UndoTest, F1ListsTheKeys) {
    QTest::keyClick(window.Text1, Qt::Key_F1);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].title, "Tasti e mouse");
    for (const char* key : {"Ctrl+Z", "Ctrl+E", "Esc", "Backspace", "Ctrl+0", "L:", "N:"}) {
        EXPECT_TRUE(dialogs.Messages()[0].text.contains(QString::fromUtf8(key))) << key;
    }
}

}  // namespace
}  // namespace vardesca
