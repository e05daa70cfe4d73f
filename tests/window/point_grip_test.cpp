// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "commands/measurement_table.h"
#include "tests/support/form1_fixture.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

// A 400 × 300 photo calibrated with references of 100 px for "2" cm and 50 px
// for "1" cm (50 px a cm), then one fish from (100, 100) to (200, 100): 2 cm.
class PointGripTest : public testing::Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        photo = OpenCalibratedGreyPhoto(QStringLiteral("foto.png"), "PNG");
        Click({100, 100});
        Click({200, 100});
        ASSERT_EQ(window.Text1->GetText(), "1\t2\r\n");
        dialogs.shown.clear();
    }

    QWidget* Surface() { return window.picPicture; }
    void Click(QPoint p) { ClickPhoto(p); }
    // A press at `from`, the pointer moved to `to` in two steps, not yet let go.
    void DragTo(QPoint from, QPoint to) {
        QTest::mousePress(Surface(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Surface(), (from + to) / 2);
        QTest::mouseMove(Surface(), to);
    }
    void Drag(QPoint from, QPoint to) {
        DragTo(from, to);
        QTest::mouseRelease(Surface(), Qt::LeftButton, {}, to);
    }
    std::vector<TableRow> Rows() { return window.Desk().Table().Rows(); }
    const MeasureEngine& Engine() { return window.Desk().Engine(); }
    PlacedPoint At(PointId point) { return *Engine().PointAt(point); }

    QString photo;
};

constexpr PointId kTail{PointId::Pair::Measurement, 1, 1};

// Dragged further than the desktop's drag distance, the point goes with the
// pointer (keeping the distance it was pressed at); the length, the line,
// the table's row and the label follow, and the caption shows the length
// while the drag lasts.
TEST_F(PointGripTest, ADragMovesThePointAndEverythingFollows) {
    const std::size_t marks = window.picPicture->MarkCount();
    DragTo({202, 101}, {252, 101});
    EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral(" — 3 cm")))
        << qPrintable(window.windowTitle());
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");  // nothing changes until let go
    EXPECT_EQ(Rows().back().length, 2.0);
    QTest::mouseRelease(Surface(), Qt::LeftButton, {}, {252, 101});

    EXPECT_EQ(window.Text1->GetText(), "1\t3\r\n");
    EXPECT_EQ(At(kTail).x, 250.0f * 15);
    EXPECT_EQ(At(kTail).y, 100.0f * 15);
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].length, 3.0);
    EXPECT_EQ(Rows()[0].x1, 250.0);
    EXPECT_EQ(window.picPicture->MarkCount(), marks);
    const auto& labels = window.picPicture->Overlay().Labels();
    ASSERT_EQ(labels.back().text, QStringLiteral("1"));
    EXPECT_EQ(labels.back().b, QPointF(250, 100));
    EXPECT_FALSE(window.windowTitle().contains(QStringLiteral(" cm")));
    EXPECT_EQ(window.Desk().Engine().n(), 1);
    EXPECT_EQ(dialogs.unexpected, 0);

    // The marks, put in place, are those a click there draws: crosses and all.
    const std::vector<MarkOverlay::Mark> dragged = window.picPicture->Overlay().Marks();
    window.Actions().Perform(UserAction::Undo);  // the drag
    window.Actions().Perform(UserAction::Undo);  // the fish
    Click({100, 100});
    Click({250, 100});
    const std::vector<MarkOverlay::Mark> clicked = window.picPicture->Overlay().Marks();
    ASSERT_EQ(dragged.size(), clicked.size());
    for (std::size_t i = 0; i < dragged.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dragged[i].circle, clicked[i].circle);
        EXPECT_EQ(dragged[i].arm, clicked[i].arm);
        EXPECT_EQ(dragged[i].a, clicked[i].a);
        EXPECT_EQ(dragged[i].b, clicked[i].b);
        EXPECT_EQ(dragged[i].centre, clicked[i].centre);
        EXPECT_EQ(dragged[i].colour, clicked[i].colour);
    }
}

// A press near a point that stays within the drag distance is the click it
// always was: total and fork length can share the snout.
TEST_F(PointGripTest, APressNearAPointThatHardlyMovesIsAClick) {
    ASSERT_GT(QApplication::startDragDistance(), 2);
    QTest::mousePress(Surface(), Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(Surface(), {102, 100});
    QTest::mouseRelease(Surface(), Qt::LeftButton, {}, {102, 100});
    Click({150, 100});
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n2\t1\r\n");
    EXPECT_EQ(At(kTail).x, 200.0f * 15);
    EXPECT_EQ(At({PointId::Pair::Measurement, 2, 0}).x, 100.0f * 15);
    // A point never moved: no ring, the marks as they always were.
    EXPECT_FALSE(window.picPicture->Overlay().Selection());
}

// Escape in the middle of a drag puts the point back and is not the Escape
// that gives up a first point.
TEST_F(PointGripTest, EscapeDuringADragPutsThePointBack) {
    Click({300, 200});  // a first point waiting for its pair
    const QImage before = window.picPicture->grab().toImage();
    DragTo({200, 100}, {260, 140});
    EXPECT_NE(window.picPicture->grab().toImage(), before);
    QTest::keyClick(Surface(), Qt::Key_Escape);
    QTest::mouseRelease(Surface(), Qt::LeftButton, {}, {260, 140});
    EXPECT_EQ(At(kTail).x, 200.0f * 15);
    EXPECT_TRUE(Engine().HasPendingPoint());
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");
    EXPECT_FALSE(Engine().CanRedo());
    Click({350, 200});
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n2\t1\r\n");
}

// Shift+arrows move the selected point one screen pixel, a quarter of a photo
// pixel at 400 %; a run of them is one undo step, and redo moves it again.
TEST_F(PointGripTest, NudgesAtFourHundredPercentAreOneStep) {
    window.Viewport().ZoomAround(4.0, {0, 0});
    window.picPicture->setFocus();
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(Surface(), Qt::Key_Right, Qt::ShiftModifier);
    }
    EXPECT_EQ(Rows()[0].x1, 201.5);
    EXPECT_EQ(window.Text1->GetText(), "1\t2,03\r\n");
    // The nudged point is ringed from now on.
    EXPECT_EQ(window.picPicture->Overlay().Selection(), QPointF(201.5, 100));
    // A zoom between two nudges ends the run.
    window.Actions().Perform(UserAction::ZoomIn);
    QTest::keyClick(Surface(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(Surface(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(At(kTail).y, 100.0f * 15);
    EXPECT_EQ(At(kTail).x, 201.5f * 15);
    QTest::keyClick(Surface(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(At(kTail).x, 200.0f * 15);
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");
    EXPECT_EQ(Rows()[0].x1, 200.0);
    QTest::keyClick(Surface(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window.Text1->GetText(), "1\t2,03\r\n");
    // In the results box Shift+arrows select text, as ever.
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(At(kTail).x, 201.5f * 15);
}

// The line is rewritten in place when it stands as written; an edited one
// stays, and a box gives the new length. The table follows either way.
TEST_F(PointGripTest, AnEditedLineStaysAndTheBoxSaysTheNewLength) {
    window.Text1->SetText("1\t2 (coda rotta)\r\n");
    Drag({200, 100}, {250, 100});
    EXPECT_EQ(window.Text1->GetText(), "1\t2 (coda rotta)\r\n");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.endsWith(QStringLiteral("\n1: 3 cm")))
        << qPrintable(dialogs.Messages()[0].text);
    EXPECT_EQ(Rows()[0].length, 3.0);
}

// A reference dragged takes its scale, the mean and every measurement with
// it; once the references disagree by more than 2 % the question is asked,
// and not again at each nudge while they still do.
TEST_F(PointGripTest, AMovedReferenceRecomputesTheMeasurementsAndAsksWhenTheyDisagree) {
    Click({100, 150});
    Click({150, 150});
    Click({100, 200});
    Click({300, 200});
    ASSERT_EQ(window.Text1->GetText(), "1\t2\r\n2\t1\r\n3\t4\r\n");
    dialogs.answers = {Answer::No};
    // The 1 cm reference from 50 px to 62: 62 px a cm against 50, 21,4 % apart.
    Drag({60, 20}, {72, 20});
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QStringLiteral("21,4")))
        << qPrintable(dialogs.Messages()[0].text);
    // k = 56 px a cm.
    EXPECT_EQ(window.Text1->GetText(), "1\t1,79\r\n2\t,89\r\n3\t3,57\r\n");
    EXPECT_EQ(Rows()[2].length, 3.57);
    EXPECT_EQ(Rows()[2].scale, 56.0);
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("56,00 px/cm")));
    window.picPicture->setFocus();
    QTest::keyClick(Surface(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.unexpected, 0);
}

}  // namespace
}  // namespace vardesca
