// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>

#include "engine/measure_engine.h"
#include "tests/engine/fakes.h"

namespace vardesca {
namespace {

using P = PointId::Pair;

// Lines the engine could not rewrite, as the box would list them.
class MoveDialogs : public testing::ScriptedDialogs {
  public:
    void ShowLinesNotRewritten(
        const std::vector<std::pair<std::int16_t, std::string>>& lines) override {
        notRewritten.push_back(lines);
    }
    std::vector<std::vector<std::pair<std::int16_t, std::string>>> notRewritten;
};

class MoveObserver : public MeasureObserver {
  public:
    void PointMoved(const PlacedPoint& point) override { moved.push_back(point); }
    void MeasurementChanged(const MeasuredPair& before, const MeasuredPair& after) override {
        changed.emplace_back(before, after);
    }
    std::vector<PlacedPoint> moved;
    std::vector<std::pair<MeasuredPair, MeasuredPair>> changed;
};

// One engine over the fakes: a photo the user measures.
struct Desk {
    testing::RecordingSurface surface;
    MoveDialogs dialogs;
    testing::StringResults results;
    testing::RecordingButtons buttons;
    testing::FakeLocale locale{","};
    MeasureEngine engine{surface, dialogs, results, buttons, locale};
    MoveObserver observer;

    // References 1500 twips for 2 cm and 3000 twips for 5 cm: k = 675 twips a cm.
    // The reference's first point can be placed elsewhere.
    explicit Desk(float firstReferenceX = 150.0f) {
        engine.SetObserver(&observer);
        engine.SetPictureSize(6000, 4000);
        engine.Reset();
        engine.StartCalibration();
        dialogs.replies = {"2", "5"};
        for (const auto& [x, y] : {std::pair{firstReferenceX, 300.f},
                                   {1650.f, 300.f},
                                   {300.f, 450.f},
                                   {300.f, 3450.f}}) {
            engine.HandleClick(x, y);
        }
        dialogs.messages.clear();
    }
    void Measure(float xa, float ya, float xb, float yb) {
        engine.HandleClick(xa, ya);
        engine.HandleClick(xb, yb);
    }
};

PointId MeasurementEnd(std::int16_t number, std::int8_t end) {
    return {P::Measurement, number, end};
}

// A moved end gives what a click there would have given: the same line, in the
// same place in the box, and the same marks in the same order.
TEST(MovePointTest, AMovedEndMeasuresAsAClickThereWould) {
    for (const bool replaces : {false, true}) {
        SCOPED_TRACE(replaces ? "marks put in place" : "marks drawn again");
        Desk moved;
        moved.surface.replaces = replaces;
        moved.Measure(100, 1000, 1450, 1000);  // 2 cm
        moved.Measure(100, 2000, 775, 2000);   // 1 cm
        ASSERT_EQ(moved.results.text, "1\t2\r\n2\t1\r\n");
        ASSERT_TRUE(moved.engine.MovePoint(MeasurementEnd(1, 1), 2125, 1000));

        Desk clicked;
        clicked.Measure(100, 1000, 2125, 1000);
        clicked.Measure(100, 2000, 775, 2000);
        EXPECT_EQ(moved.results.text, "1\t3\r\n2\t1\r\n");
        EXPECT_EQ(moved.results.text, clicked.results.text);
        EXPECT_EQ(moved.surface.live, clicked.surface.live);
        EXPECT_FALSE(moved.surface.badErase);
        EXPECT_TRUE(moved.dialogs.notRewritten.empty());
        ASSERT_EQ(moved.observer.changed.size(), 1u);
        EXPECT_EQ(moved.observer.changed[0].first.length, 2.0);
        EXPECT_EQ(moved.observer.changed[0].second.length, 3.0);
        EXPECT_EQ(moved.observer.changed[0].second.xb, 2125.0f);
        EXPECT_EQ(moved.engine.LastPoint(), MeasurementEnd(1, 1));
        // A surface that can put marks in place gets the pair's seven, no more.
        EXPECT_EQ(moved.surface.replaced, replaces ? 7 : 0);
    }
}

// The box's line is rewritten wherever it still stands as written, and
// nowhere else; the rest of the text is the user's.
TEST(MovePointTest, TheLineIsRewrittenOnlyWhereItStandsAsWritten) {
    {
        SCOPED_TRACE("a note typed between the lines");
        Desk desk;
        desk.Measure(100, 1000, 1450, 1000);
        desk.Measure(100, 2000, 775, 2000);
        desk.results.text = "1\t2\r\nsalmone, pinna rotta\r\n2\t1\r\n";
        ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 2125, 1000));
        EXPECT_EQ(desk.results.text, "1\t3\r\nsalmone, pinna rotta\r\n2\t1\r\n");
        EXPECT_TRUE(desk.dialogs.notRewritten.empty());
    }
    {
        SCOPED_TRACE("the line edited: the text stays, the box gives the new length");
        Desk desk;
        desk.Measure(100, 1000, 1450, 1000);
        desk.results.text = "1\t2,0 (coda rotta)\r\n";
        ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 1787.5f, 1000));
        EXPECT_EQ(desk.results.text, "1\t2,0 (coda rotta)\r\n");
        ASSERT_EQ(desk.dialogs.notRewritten.size(), 1u);
        EXPECT_EQ(desk.dialogs.notRewritten[0],
                  (std::vector<std::pair<std::int16_t, std::string>>{{1, "2,5"}}));
        // The table still follows.
        ASSERT_EQ(desk.observer.changed.size(), 1u);
        EXPECT_EQ(RoundToHundredths(desk.observer.changed[0].second.length), 2.5);
    }
    {
        SCOPED_TRACE("an earlier photo's identical line is never taken for this one's");
        Desk desk;
        desk.results.text = "1\t2\r\n";  // measured on the photo before
        desk.Measure(100, 1000, 1450, 1000);
        ASSERT_EQ(desk.results.text, "1\t2\r\n1\t2\r\n");
        ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 2125, 1000));
        EXPECT_EQ(desk.results.text, "1\t2\r\n1\t3\r\n");
        // This photo's line edited away: the earlier one stays as it is.
        desk.results.text = "1\t2\r\n";
        ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 1450, 1000));
        EXPECT_EQ(desk.results.text, "1\t2\r\n");
        ASSERT_EQ(desk.dialogs.notRewritten.size(), 1u);
    }
    {
        SCOPED_TRACE(
            "a line written after a note without its line end is not on a line of its own");
        Desk desk;
        desk.results.text = "nota";
        desk.Measure(100, 1000, 1450, 1000);
        ASSERT_EQ(desk.results.text, "nota1\t2\r\n");
        ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 2125, 1000));
        EXPECT_EQ(desk.results.text, "nota1\t2\r\n");
        EXPECT_EQ(desk.dialogs.notRewritten.size(), 1u);
    }
}

// A reference moved changes its scale and the mean, and every measurement of
// the calibration follows, as if the reference had been clicked there.
TEST(MovePointTest, AMovedReferenceRecomputesEveryMeasurement) {
    for (const bool replaces : {false, true}) {
        SCOPED_TRACE(replaces ? "marks put in place" : "marks drawn again");
        Desk moved;
        moved.surface.replaces = replaces;
        moved.Measure(100, 1000, 1450, 1000);
        moved.Measure(100, 2000, 775, 2000);
        moved.Measure(100, 3000, 4150, 3000);
        moved.results.text.insert(0, "giorno 1\r\n");
        ASSERT_TRUE(moved.engine.MovePoint({P::Reference, 0, 0}, 450, 300));

        Desk clicked(450);
        clicked.Measure(100, 1000, 1450, 1000);
        clicked.Measure(100, 2000, 775, 2000);
        clicked.Measure(100, 3000, 4150, 3000);
        EXPECT_EQ(moved.engine.k(), clicked.engine.k());
        EXPECT_EQ(moved.engine.ReferenceScales(), clicked.engine.ReferenceScales());
        EXPECT_EQ(moved.results.text, "giorno 1\r\n" + clicked.results.text);
        EXPECT_EQ(moved.surface.live, clicked.surface.live);
        EXPECT_EQ(moved.observer.changed.size(), 3u);
        EXPECT_TRUE(moved.dialogs.notRewritten.empty());

        // One line edited: the other two are rewritten, the box lists the one.
        moved.results.text =
            "giorno 1\r\n1\tX\r\n" + clicked.results.text.substr(clicked.results.text.find("2\t"));
        ASSERT_TRUE(moved.engine.MovePoint({P::Reference, 0, 0}, 150, 300));
        EXPECT_EQ(moved.results.text, "giorno 1\r\n1\tX\r\n2\t1\r\n3\t6\r\n");
        ASSERT_EQ(moved.dialogs.notRewritten.size(), 1u);
        EXPECT_EQ(moved.dialogs.notRewritten[0].size(), 1u);
        EXPECT_EQ(moved.dialogs.notRewritten[0][0].first, 1);
        EXPECT_FALSE(moved.surface.badErase);
    }
}

// Ctrl+Z puts the point back with every number that followed it; Ctrl+Shift+Z
// moves it again. A run of joined moves is one step; a new click ends redo.
TEST(MovePointTest, UndoAndRedoOfMovesAndOfARunOfNudges) {
    Desk desk;
    desk.Measure(100, 1000, 1450, 1000);
    const auto marks = desk.surface.live;
    ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 2125, 1000));
    ASSERT_TRUE(desk.engine.Undo());
    EXPECT_EQ(desk.results.text, "1\t2\r\n");
    EXPECT_EQ(desk.surface.live, marks);
    EXPECT_EQ(desk.engine.n(), 1);  // the measurement itself stays
    ASSERT_TRUE(desk.engine.Redo());
    EXPECT_EQ(desk.results.text, "1\t3\r\n");

    // Three nudges joined into one step, then undone at once.
    ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 0), 110, 1000, false));
    ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 0), 120, 1000, true));
    ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 0), 130, 1010, true));
    // Nudging another point is a step of its own.
    ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 2135, 1000, true));
    ASSERT_TRUE(desk.engine.Undo());
    EXPECT_EQ(desk.engine.PointAt(MeasurementEnd(1, 1))->x, 2125.0f);
    EXPECT_EQ(desk.engine.PointAt(MeasurementEnd(1, 0))->x, 130.0f);
    ASSERT_TRUE(desk.engine.Undo());
    EXPECT_EQ(desk.engine.PointAt(MeasurementEnd(1, 0))->x, 100.0f);
    EXPECT_EQ(desk.results.text, "1\t3\r\n");
    ASSERT_TRUE(desk.engine.Undo());  // the drag
    ASSERT_TRUE(desk.engine.Undo());  // the measurement
    EXPECT_EQ(desk.results.text, "");
    EXPECT_FALSE(desk.engine.CanUndo());
    // Redo brings all back in order.
    while (desk.engine.Redo()) {
    }
    EXPECT_EQ(desk.engine.PointAt(MeasurementEnd(1, 1))->x, 2135.0f);
    EXPECT_EQ(desk.engine.PointAt(MeasurementEnd(1, 0))->y, 1010.0f);
    EXPECT_EQ(desk.results.text, "1\t2,97\r\n");
    EXPECT_FALSE(desk.surface.badErase);

    // A click after an undo: nothing left to redo.
    ASSERT_TRUE(desk.engine.Undo());
    desk.engine.HandleClick(500, 500);
    EXPECT_FALSE(desk.engine.CanRedo());
}

// A point stays on the photo, never falls on the other end of its pair, and
// a reference's move can be undone only until the next calibration.
TEST(MovePointTest, RefusedMovesChangeNothing) {
    Desk desk;
    desk.Measure(100, 1000, 1450, 1000);
    const auto text = desk.results.text;
    const auto marks = desk.surface.live;
    // Onto the other end, to the twip as stored: no length of 0.
    EXPECT_FALSE(desk.engine.MovePoint(MeasurementEnd(1, 1), 100.3f, 999.8f));
    EXPECT_FALSE(desk.engine.MovePoint({P::Reference, 1, 1}, 300.2f, 450.0f));
    // Where it already is, or a point that is not there.
    EXPECT_FALSE(desk.engine.MovePoint(MeasurementEnd(1, 1), 1450, 1000));
    EXPECT_FALSE(desk.engine.MovePoint(MeasurementEnd(2, 1), 500, 500));
    EXPECT_FALSE(desk.engine.MovePoint({P::Pending, 0, 0}, 500, 500));
    EXPECT_EQ(desk.results.text, text);
    EXPECT_EQ(desk.surface.live, marks);
    // Off the photo: kept at its edge.
    ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 9000, -50));
    EXPECT_EQ(desk.engine.PointAt(MeasurementEnd(1, 1))->x, 6000.0f);
    EXPECT_EQ(desk.engine.PointAt(MeasurementEnd(1, 1))->y, 0.0f);
    // Idle: no point to move.
    desk.engine.Reset();
    EXPECT_FALSE(desk.engine.PointNear(100, 1000, 90));
    EXPECT_FALSE(desk.engine.MovePoint({P::Reference, 0, 0}, 10, 10));
}

// The first point of a pair can be moved before its second click, which then
// measures from where it went; Escape gives it up even after other moves.
TEST(MovePointTest, AWaitingPointMovesAndIsGivenUpAlone) {
    Desk desk;
    desk.Measure(100, 1000, 1450, 1000);
    desk.engine.HandleClick(100, 2000);
    ASSERT_TRUE(desk.engine.MovePoint({P::Pending, 0, 0}, 775, 2000));
    desk.engine.HandleClick(2125, 2000);
    EXPECT_EQ(desk.results.text, "1\t2\r\n2\t2\r\n");
    // Undo takes the whole pair back, its earlier move with it.
    ASSERT_TRUE(desk.engine.Undo());
    EXPECT_EQ(desk.results.text, "1\t2\r\n");
    EXPECT_EQ(desk.engine.n(), 1);

    desk.engine.HandleClick(100, 3000);
    const auto withPoint = desk.surface.live;
    ASSERT_TRUE(desk.engine.MovePoint(MeasurementEnd(1, 1), 2125, 1000));
    ASSERT_TRUE(desk.engine.GiveUpPendingPoint());
    EXPECT_FALSE(desk.engine.HasPendingPoint());
    EXPECT_EQ(desk.surface.live.size(), withPoint.size() - 3);
    EXPECT_EQ(desk.results.text, "1\t3\r\n");  // the move stays
    ASSERT_TRUE(desk.engine.Undo());
    EXPECT_EQ(desk.results.text, "1\t2\r\n");
    desk.Measure(100, 2000, 775, 2000);
    EXPECT_EQ(desk.results.text, "1\t2\r\n2\t1\r\n");
}

// A drag shows where the point would go and what it would measure, and
// changes nothing until it is let go.
TEST(MovePointTest, APreviewChangesOnlyTheMarksUntilItEnds) {
    Desk desk;
    desk.Measure(100, 1000, 1450, 1000);
    const auto marks = desk.surface.live;
    const auto preview = desk.engine.PreviewMove(MeasurementEnd(1, 1), 2125, 1000);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->length, 3.0);
    EXPECT_NE(desk.surface.live, marks);
    EXPECT_EQ(desk.results.text, "1\t2\r\n");
    EXPECT_TRUE(desk.observer.changed.empty());
    const auto reference = desk.engine.PreviewMove({P::Reference, 0, 0}, 450, 300);
    ASSERT_TRUE(reference);
    EXPECT_EQ(reference->referenceScales[0], 600.0);
    EXPECT_EQ(desk.engine.k(), 675.0f);
    EXPECT_FALSE(desk.engine.PreviewMove(MeasurementEnd(1, 1), 100, 1000));
    desk.engine.EndPreview();
    EXPECT_EQ(desk.surface.live, marks);
    // Nothing was a step: undo takes the measurement.
    ASSERT_TRUE(desk.engine.Undo());
    EXPECT_EQ(desk.results.text, "");
}

TEST(MovePointTest, ThePointNearAPressIsTheNearestAndOnATieTheNewest) {
    Desk desk;
    desk.Measure(100, 1000, 1450, 1000);
    desk.Measure(100, 1000, 775, 1000);  // a fork length sharing the snout
    const auto near = desk.engine.PointNear(105, 1000, 90);
    ASSERT_TRUE(near);
    EXPECT_EQ(near->id, MeasurementEnd(2, 0));
    EXPECT_EQ(desk.engine.PointNear(1440, 1000, 90)->id, MeasurementEnd(1, 1));
    EXPECT_EQ(desk.engine.PointNear(1650, 310, 90)->id, (PointId{P::Reference, 0, 1}));
    EXPECT_FALSE(desk.engine.PointNear(1000, 1000, 90));
}

}  // namespace
}  // namespace vardesca
