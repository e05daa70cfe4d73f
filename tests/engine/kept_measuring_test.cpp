// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/measure_engine.h"
#include "tests/engine/fakes.h"

namespace vardesca {
namespace {

using P = PointId::Pair;

struct Photo : testing::EngineParts {
    Photo() {
        engine.SetPictureSize(6000, 4000);
        engine.Reset();
    }
    void Calibrate() {
        engine.StartCalibration();
        dialogs.replies = {"2", "5"};
        for (const auto& [x, y] :
             {std::pair{150.f, 300.f}, {1650.f, 300.f}, {300.f, 450.f}, {300.f, 3452.5f}}) {
            engine.HandleClick(x, y);
        }
    }
    void Measure(float xa, float ya, float xb, float yb) {
        engine.HandleClick(xa, ya);
        engine.HandleClick(xb, yb);
    }
};

// Another day: the photo measured, its kept state put back on a fresh engine,
// gives the same marks, scale and numbering, and goes on as the first would.
TEST(KeptMeasuringTest, ARestoredPhotoGoesOnAsIfNeverLeft) {
    Photo first;
    first.Calibrate();
    first.Measure(100, 1000, 1450.4f, 1000);
    first.Measure(100, 2000, 775, 2033.7f);
    first.Measure(2000, 2000, 2600, 2100);
    ASSERT_TRUE(first.engine.MovePoint({P::Measurement, 2, 1}, 900, 2040));
    ASSERT_TRUE(first.engine.MovePoint({P::Reference, 1, 0}, 310, 460));
    const KeptMeasuring kept = first.engine.Kept();
    ASSERT_EQ(kept.pairs.size(), 5U);
    ASSERT_EQ(kept.selected, (PointId{P::Reference, 1, 0}));

    Photo again;
    again.results.text = "the user's own text\r\n";
    ASSERT_TRUE(again.engine.Restore(kept));
    EXPECT_EQ(again.results.text, "the user's own text\r\n");
    EXPECT_EQ(again.surface.live, first.surface.live);
    EXPECT_EQ(again.engine.azione(), MeasureEngine::Measuring);
    EXPECT_EQ(again.engine.k(), first.engine.k());
    EXPECT_EQ(again.engine.ReferenceScales(), first.engine.ReferenceScales());
    EXPECT_EQ(again.engine.ReferenceLengths(), first.engine.ReferenceLengths());
    EXPECT_EQ(again.engine.n(), 3);
    EXPECT_EQ(again.engine.LastPoint(), kept.selected);
    EXPECT_FALSE(again.engine.CanUndo());
    EXPECT_EQ(again.buttons.inizia, false);
    EXPECT_EQ(again.buttons.resetta, true);
    EXPECT_EQ(again.engine.LastMeasurement()->length, first.engine.LastMeasurement()->length);

    // The next fish is number 4 with the same length on both.
    first.results.text.clear();
    first.Measure(3000, 500, 3900, 700);
    again.Measure(3000, 500, 3900, 700);
    EXPECT_EQ(again.results.text, "the user's own text\r\n" + first.results.text);
    EXPECT_TRUE(again.engine.Undo());
    EXPECT_FALSE(again.engine.CanUndo()) << "undo never reaches a restored measurement";
    EXPECT_EQ(again.engine.n(), 3);

    // A restored reference moved recomputes every measurement as the first
    // engine does; their lines were not written in this box, so they are listed.
    ASSERT_TRUE(first.engine.Undo());
    ASSERT_TRUE(first.engine.MovePoint({P::Reference, 1, 1}, 300, 3300));
    ASSERT_TRUE(again.engine.MovePoint({P::Reference, 1, 1}, 300, 3300));
    EXPECT_EQ(again.engine.k(), first.engine.k());
    EXPECT_EQ(again.engine.Kept().pairs.size(), 5U);
    ASSERT_EQ(again.dialogs.messages.size(), 1U);
    EXPECT_NE(again.dialogs.messages[0].text.find("\n3: "), std::string::npos);
    EXPECT_EQ(again.engine.LastMeasurement()->length, first.engine.LastMeasurement()->length);
    EXPECT_EQ(again.surface.live, first.surface.live);
}

// The first reference alone is kept while calibrating; restored, the second
// reference completes the calibration exactly as four clicks would have.
TEST(KeptMeasuringTest, AHalfCalibrationGoesOnAtTheSecondReference) {
    Photo whole;
    whole.Calibrate();

    Photo half;
    half.engine.StartCalibration();
    half.dialogs.replies = {"2"};
    half.engine.HandleClick(150, 300);
    half.engine.HandleClick(1650, 300);
    const KeptMeasuring kept = half.engine.Kept();
    ASSERT_EQ(kept.pairs.size(), 1U);

    Photo again;
    ASSERT_TRUE(again.engine.Restore(kept));
    EXPECT_EQ(again.engine.azione(), MeasureEngine::Calibrating);
    again.dialogs.replies = {"5"};
    again.engine.HandleClick(300, 450);
    again.engine.HandleClick(300, 3452.5f);
    EXPECT_EQ(again.engine.azione(), MeasureEngine::Measuring);
    EXPECT_EQ(again.engine.k(), whole.engine.k());
    EXPECT_EQ(again.engine.ReferenceScales(), whole.engine.ReferenceScales());
    EXPECT_EQ(again.surface.live, whole.surface.live);
    EXPECT_TRUE(again.dialogs.messages.empty()) << "no instructions shown again";
}

// What clicks could never have given is refused whole: nothing drawn, nothing
// numbered, the engine still Idle and able to take a good state after.
TEST(KeptMeasuringTest, WhatClicksCouldNotGiveIsRefusedWithNothingChanged) {
    const KeptPair ref0{P::Reference, 0, 150, 300, 1650, 300, 2};
    const KeptPair ref1{P::Reference, 1, 300, 450, 300, 3450, 5};
    const auto fish = [](std::int16_t number) {
        return KeptPair{P::Measurement, number, 100, 1000, 1450, 1000, 0};
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::pair<const char*, std::vector<KeptPair>>> refused = {
        {"nothing", {}},
        {"a measurement with no reference", {fish(1)}},
        {"a measurement with one reference", {ref0, fish(1)}},
        {"the second reference first", {ref1, ref0}},
        {"three references", {ref0, ref1, {P::Reference, 2, 1, 1, 9, 9, 1}}},
        {"numbers not rising", {ref0, ref1, fish(2), fish(2)}},
        {"a number below 1", {ref0, ref1, fish(0)}},
        {"a reference after the measurements", {ref0, ref1, fish(1), ref1}},
        {"a reference of no length", {{P::Reference, 0, 150, 300, 1650, 300, 0}, ref1}},
        {"a reference of a NaN length", {{P::Reference, 0, 150, 300, 1650, 300, nan}, ref1}},
        {"a length beyond a float", {{P::Reference, 0, 150, 300, 1650, 300, 1e300}, ref1}},
        {"a length that gives no scale", {{P::Reference, 0, 150, 300, 1650, 300, 1e-39f}, ref1}},
        {"points that coincide once rounded",
         {ref0, ref1, {P::Measurement, 1, 10, 10, 10.4f, 9.6f, 0}}},
        {"a point beyond 32 bits", {ref0, ref1, {P::Measurement, 1, 1e10f, 10, 10, 10, 0}}},
        {"a point that is no number", {ref0, {P::Reference, 1, nan, 450, 300, 3450, 5}}},
    };
    Photo photo;
    for (const auto& [why, pairs] : refused) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(photo.engine.Restore({pairs, std::nullopt}));
        EXPECT_EQ(photo.engine.azione(), MeasureEngine::Idle);
        EXPECT_EQ(photo.engine.n(), 0);
        EXPECT_TRUE(photo.surface.calls.empty());
        EXPECT_FALSE(photo.engine.PointAt({P::Reference, 0, 0}));
    }
    // A selection that is not there is dropped, not refused.
    ASSERT_TRUE(photo.engine.Restore({{ref0, ref1, fish(7)}, PointId{P::Measurement, 3, 1}}));
    EXPECT_FALSE(photo.engine.LastPoint());
    EXPECT_EQ(photo.engine.n(), 7);
    EXPECT_FALSE(photo.engine.Restore({{ref0, ref1}, std::nullopt})) << "only from Idle";
}

}  // namespace
}  // namespace vardesca
