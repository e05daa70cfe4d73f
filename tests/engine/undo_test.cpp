// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "engine/measure_engine.h"
#include "tests/engine/fakes.h"

namespace vardesca {
namespace {

class UndoTest : public ::testing::Test, protected testing::EngineParts {
  protected:
    // k = 675 twips a cm; the surface then holds the 14 red marks.
    void Calibrate() {
        engine.Reset();
        surface.live.clear();
        engine.StartCalibration();
        dialogs.replies = {"2", "5"};
        for (const auto& [x, y] : {std::pair{150.f, 300.f}, {1650.f, 300.f}, {300.f, 450.f},
                                   {300.f, 3450.f}}) {
            engine.HandleClick(x, y);
        }
        ASSERT_EQ(engine.azione(), MeasureEngine::Measuring);
        ASSERT_EQ(surface.live.size(), 14u);
        dialogs.messages.clear();
    }
    void Measure(float x, float y, float dx) {
        engine.HandleClick(x, y);
        engine.HandleClick(x + dx, y);
    }
};

TEST_F(UndoTest, RightAfterCalibrationThereIsNothingToUndo) {
    Calibrate();
    EXPECT_FALSE(engine.CanUndo());
    EXPECT_FALSE(engine.LastMeasurement());
    EXPECT_FALSE(engine.Undo());
    EXPECT_FALSE(engine.Redo());
    EXPECT_EQ(surface.live.size(), 14u);
    EXPECT_EQ(engine.azione(), MeasureEngine::Measuring);
    EXPECT_TRUE(surface.erased.empty());
    // Idle: nothing either.
    engine.Reset();
    EXPECT_FALSE(engine.Undo());
}

TEST_F(UndoTest, APendingFirstPointGoesWithItsMarks) {
    Calibrate();
    Measure(0, 0, 1350);
    const auto afterOne = surface.live;
    engine.HandleClick(500, 500);
    EXPECT_TRUE(engine.HasPendingPoint());
    ASSERT_TRUE(engine.Undo());
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(surface.live, afterOne);
    EXPECT_EQ(engine.n(), 1);
    EXPECT_EQ(results.text, "1\t2\r\n");
    // The next click starts a new pair, measured from itself.
    Measure(100, 100, 675);
    EXPECT_EQ(results.text, "1\t2\r\n2\t1\r\n");
}

TEST_F(UndoTest, MeasurementsGoBackOneByOneButNeverIntoTheCalibration) {
    Calibrate();
    results.text = "nota\r\n";
    Measure(0, 0, 1350);
    Measure(0, 100, 675);
    Measure(0, 200, 2025);
    ASSERT_EQ(results.text, "nota\r\n1\t2\r\n2\t1\r\n3\t3\r\n");
    ASSERT_TRUE(engine.Undo());
    EXPECT_EQ(engine.n(), 2);
    EXPECT_EQ(results.text, "nota\r\n1\t2\r\n2\t1\r\n");
    EXPECT_EQ(surface.live.size(), 14u + 14u);
    ASSERT_TRUE(engine.Undo());
    ASSERT_TRUE(engine.Undo());
    EXPECT_EQ(engine.n(), 0);
    EXPECT_EQ(results.text, "nota\r\n");  // the user's note stays
    EXPECT_EQ(surface.live.size(), 14u);  // the red marks stay
    EXPECT_FALSE(engine.Undo());
    EXPECT_EQ(engine.azione(), MeasureEngine::Measuring);
    EXPECT_FALSE(surface.badErase);
}

TEST_F(UndoTest, AMeasurementAfterAnUndoIsTakenBackWithItsOwnMarks) {
    Calibrate();
    const auto calibration = surface.live;
    Measure(0, 0, 1350);
    ASSERT_TRUE(engine.Undo());
    Measure(0, 100, 675);
    ASSERT_EQ(surface.live.size(), 14u + 7u);
    ASSERT_TRUE(engine.Undo());
    // Exactly the second measurement's marks went, not the calibration's.
    EXPECT_EQ(surface.live, calibration);
    EXPECT_FALSE(surface.badErase);
    EXPECT_EQ(results.text, "");
}

TEST_F(UndoTest, RedoDoesAgainWhatWasUndoneUntilTheNextClick) {
    Calibrate();
    Measure(0, 0, 1350);
    Measure(0, 100, 675);
    engine.HandleClick(7, 7);
    const std::string text = results.text;
    const auto marks = surface.live;
    ASSERT_TRUE(engine.Undo());  // the pending point
    ASSERT_TRUE(engine.Undo());  // measurement 2
    // The measurement table follows: the newest done measurement is number 1.
    ASSERT_TRUE(engine.LastMeasurement());
    EXPECT_EQ(engine.LastMeasurement()->number, 1);
    EXPECT_EQ(engine.LastMeasurement()->xb, 1350.f);
    EXPECT_DOUBLE_EQ(engine.LastMeasurement()->length, 2.0);
    ASSERT_TRUE(engine.Redo());
    ASSERT_TRUE(engine.Redo());
    EXPECT_EQ(results.text, text);
    const auto redone = engine.LastMeasurement();
    ASSERT_TRUE(redone);
    EXPECT_EQ(redone->number, 2);
    EXPECT_EQ(std::vector<float>({redone->xa, redone->ya, redone->xb, redone->yb}),
              std::vector<float>({0.f, 100.f, 675.f, 100.f}));
    EXPECT_DOUBLE_EQ(redone->length, 1.0);
    EXPECT_EQ(surface.live, marks);  // the same calls again
    EXPECT_EQ(engine.n(), 2);
    EXPECT_EQ(engine.punti(), 1);
    EXPECT_FALSE(engine.Redo());

    ASSERT_TRUE(engine.Undo());
    engine.HandleClick(50, 50);  // a new click: nothing to redo any more
    EXPECT_FALSE(engine.CanRedo());
    EXPECT_FALSE(engine.Redo());
}

TEST_F(UndoTest, AnEditedEndOfTheBoxStaysAndTheUserIsTold) {
    Calibrate();
    Measure(0, 0, 1350);
    results.text += "trota";
    ASSERT_TRUE(engine.Undo());
    EXPECT_EQ(results.text, "1\t2\r\ntrota");
    EXPECT_EQ(engine.n(), 0);
    EXPECT_EQ(surface.live.size(), 14u);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, engine_text::kUndoTitle);
    EXPECT_EQ(dialogs.messages[0].text, engine_text::kUndoTextEdited);
    // A box emptied by the user: nothing to take, nothing lost.
    Measure(0, 0, 1350);
    results.text.clear();
    ASSERT_TRUE(engine.Undo());
    EXPECT_EQ(results.text, "");
}

TEST_F(UndoTest, DuringCalibrationOnlyAPendingReferenceClickGoes) {
    engine.Reset();
    engine.StartCalibration();
    engine.HandleClick(150, 300);
    ASSERT_TRUE(engine.Undo());
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_TRUE(surface.live.empty());
    EXPECT_FALSE(engine.Undo());
    ASSERT_TRUE(engine.Redo());
    EXPECT_EQ(engine.punti(), 1);
    dialogs.replies = {"2"};
    engine.HandleClick(1650, 300);  // the first reference given
    EXPECT_EQ(engine.punti(), 2);
    EXPECT_FALSE(engine.Undo());  // an accepted reference is not a pending click
    engine.HandleClick(300, 450);
    ASSERT_TRUE(engine.Undo());
    EXPECT_EQ(engine.punti(), 2);
    EXPECT_EQ(surface.live.size(), 7u);
    EXPECT_EQ(engine.ReferenceLengths()[0], 2.0f);
}

TEST_F(UndoTest, AClickPastTheLimitLeavesMarksThatUndoStepsOver) {
    Calibrate();
    for (int i = 0; i < MeasureEngine::kMaxResults; ++i) {
        Measure(0, 0, 675);
    }
    Measure(0, 0, 675);  // refused: its marks stay, nothing to undo of it
    const std::size_t marks = surface.live.size();
    ASSERT_TRUE(engine.Undo());
    EXPECT_EQ(engine.n(), 32766);
    EXPECT_EQ(surface.live.size(), marks - 7);
    EXPECT_FALSE(surface.badErase);
    // And all the way back through every measurement.
    while (engine.Undo()) {
    }
    EXPECT_EQ(engine.n(), 0);
    EXPECT_EQ(results.text, "");
    EXPECT_EQ(surface.live.size(), 14u + 7u);  // red marks and the refused pair
    EXPECT_FALSE(surface.badErase);
}

TEST_F(UndoTest, ANewCalibrationOrAResetForgetsTheHistory) {
    Calibrate();
    Measure(0, 0, 1350);
    engine.StartCalibration();
    EXPECT_FALSE(engine.CanUndo());
    Calibrate();
    Measure(0, 0, 1350);
    ASSERT_TRUE(engine.Undo());
    engine.Reset();
    EXPECT_FALSE(engine.CanRedo());
    EXPECT_FALSE(engine.Undo());
}

}  // namespace
}  // namespace vardesca
