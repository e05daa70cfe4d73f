// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/measure_engine.h"

#include <gtest/gtest.h>

#include "engine/checked_int.h"
#include "tests/engine/fakes.h"

namespace vardesca {
namespace {

using testing::DrawCall;

constexpr std::uint32_t kRed = 255;
constexpr std::uint32_t kGreen = 65280;

class MeasureEngineTest : public ::testing::Test, protected testing::EngineParts {
  protected:
    // The worked calibration: k = 750 from the first pair, then the mean 675.
    void Calibrate() {
        engine.Reset();
        engine.StartCalibration();
        dialogs.replies = {"2", "5"};
        engine.HandleClick(150, 300);
        engine.HandleClick(1650, 300);
        engine.HandleClick(300, 450);
        engine.HandleClick(300, 3450);
        ASSERT_EQ(engine.azione(), MeasureEngine::Measuring);
        surface.calls.clear();
        dialogs.messages.clear();
        dialogs.asked.clear();
        buttons.log.clear();
    }
};

TEST_F(MeasureEngineTest, StartsIdleAndIgnoresClicks) {
    EXPECT_EQ(engine.azione(), MeasureEngine::Idle);
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(engine.k(), 0.0f);
    EXPECT_EQ(engine.n(), 0);
    engine.HandleClick(100, 100);
    engine.HandleClick(200, 200);
    EXPECT_TRUE(surface.calls.empty());
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(engine.x0(), 0);
}

TEST_F(MeasureEngineTest, WorkedCalibrationGivesTheMeanScale) {
    engine.Reset();
    engine.StartCalibration();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Calibrazione (1 di 3)");
    EXPECT_EQ(dialogs.messages[0].text, engine_text::kInstructions);
    EXPECT_EQ(engine.azione(), MeasureEngine::Calibrating);

    dialogs.replies = {"2", "5"};
    engine.HandleClick(150, 300);
    EXPECT_EQ(engine.punti(), 1);
    engine.HandleClick(1650, 300);
    EXPECT_EQ(engine.punti(), 2);
    EXPECT_EQ(engine.k(), 750.0f);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Calibrazione (2 di 3)");
    EXPECT_EQ(dialogs.asked[0].text, "Qual'è la distanza reale in cm fra i due punti selezionati?");

    buttons.log.clear();
    engine.HandleClick(300, 450);
    EXPECT_EQ(engine.punti(), 3);
    engine.HandleClick(300, 3450);
    EXPECT_EQ(dialogs.asked[1].title, "Calibrazione (3 di 3)");
    EXPECT_EQ(dialogs.asked[1].text, dialogs.asked[0].text);
    EXPECT_EQ(engine.k(), 675.0f);
    EXPECT_EQ(engine.azione(), MeasureEngine::Measuring);
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(buttons.log, (std::vector<std::string>{"inizia-", "resetta+"}));
    EXPECT_FALSE(dialogs.unexpectedAsk);
}

TEST_F(MeasureEngineTest, TheScalesAreAveragedInDoublePrecision) {
    // 1500 twips for "2", then 84 twips for "1,3": in single precision the mean
    // comes out one step of the float away.
    engine.StartCalibration();
    dialogs.replies = {"2", "1,3"};
    engine.HandleClick(0, 0);
    engine.HandleClick(1500, 0);
    engine.HandleClick(0, 0);
    engine.HandleClick(84, 0);
    ASSERT_EQ(engine.azione(), MeasureEngine::Measuring);
    const double second = 84.0 / static_cast<double>(1.3f);
    const auto inDouble = static_cast<float>((750.0 + second) / 2.0);
    const float inSingle = (750.0f + 84.0f / 1.3f) / 2.0f;
    ASSERT_NE(inDouble, inSingle);  // the case tells the two apart
    EXPECT_EQ(engine.k(), inDouble);
}

TEST_F(MeasureEngineTest, CalibrationMarksAreRedAndThePromptComesAfterThem) {
    engine.StartCalibration();
    dialogs.replies = {"2"};
    engine.HandleClick(150, 300);
    engine.HandleClick(1650, 300.25f);
    const std::vector<DrawCall> expected = {
        {DrawCall::Circle, 150, 300, 50, 0, kRed},
        {DrawCall::Line, 90, 300, 210, 300, kRed},
        {DrawCall::Line, 150, 180, 150, 420, kRed},
        // pair line from the stored first point to the exact click
        {DrawCall::Line, 150, 300, 1650, 300.25f, kRed},
        {DrawCall::Circle, 1650, 300.25f, 50, 0, kRed},
        {DrawCall::Line, 1590, 300.25f, 1710, 300.25f, kRed},
        {DrawCall::Line, 1650, 180.25f, 1650, 420.25f, kRed},
    };
    EXPECT_EQ(surface.calls, expected);
    EXPECT_EQ(engine.x1(), 1650);
    EXPECT_EQ(engine.y1(), 300);
}

TEST_F(MeasureEngineTest, MeasurementAppendsTheNumberedLine) {
    Calibrate();
    results.text = "";
    engine.HandleClick(0, 0);
    EXPECT_EQ(engine.punti(), 1);
    EXPECT_EQ(surface.calls.size(), 3u);  // circle and cross only
    engine.HandleClick(900, 1200);
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(engine.n(), 1);
    EXPECT_EQ(results.text, "1\t2,22\r\n");
    const std::vector<DrawCall> secondClick(surface.calls.begin() + 3, surface.calls.end());
    const std::vector<DrawCall> expected = {
        {DrawCall::Line, 0, 0, 900, 1200, kGreen},
        {DrawCall::Circle, 900, 1200, 50, 0, kGreen},
        {DrawCall::Line, 840, 1200, 960, 1200, kGreen},
        {DrawCall::Line, 900, 1080, 900, 1320, kGreen},
    };
    EXPECT_EQ(secondClick, expected);

    engine.HandleClick(0, 0);
    engine.HandleClick(0, 5000);  // 5000 / 675 = 7.407…
    EXPECT_EQ(results.text, "1\t2,22\r\n2\t7,41\r\n");
}

TEST_F(MeasureEngineTest, LineGoesStraightAfterWhatTheUserTyped) {
    Calibrate();
    results.text = "1\t2,22\r\nnota senza a capo";
    engine.HandleClick(0, 0);
    engine.HandleClick(900, 1200);
    EXPECT_EQ(results.text, "1\t2,22\r\nnota senza a capo1\t2,22\r\n");
}

TEST_F(MeasureEngineTest, StoredPointsRoundHalvesToEvenButMarksUseTheExactPosition) {
    engine.StartCalibration();
    engine.HandleClick(1000.5f, 2000.5f);
    EXPECT_EQ(engine.x0(), 1000);
    EXPECT_EQ(engine.y0(), 2000);
    EXPECT_EQ(surface.calls[0], (DrawCall{DrawCall::Circle, 1000.5f, 2000.5f, 50, 0, kRed}));
    engine.Reset();
    engine.StartCalibration();
    engine.HandleClick(1001.5f, -2.5f);
    EXPECT_EQ(engine.x0(), 1002);
    EXPECT_EQ(engine.y0(), -2);
}

TEST_F(MeasureEngineTest, IniziaHalfwayKeepsTheClickCount) {
    engine.StartCalibration();
    engine.HandleClick(150, 300);
    engine.StartCalibration();
    EXPECT_EQ(engine.punti(), 1);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    dialogs.replies = {"2"};
    engine.HandleClick(1650, 300);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Calibrazione (2 di 3)");
}

TEST_F(MeasureEngineTest, ResetKeepsScaleAndPointsButRestartsCounting) {
    Calibrate();
    engine.HandleClick(0, 0);
    engine.HandleClick(900, 1200);
    engine.HandleClick(10, 20);
    engine.Reset();
    EXPECT_EQ(engine.azione(), MeasureEngine::Idle);
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(engine.n(), 0);
    EXPECT_EQ(engine.k(), 675.0f);
    EXPECT_EQ(engine.x0(), 10);
    EXPECT_EQ(engine.x1(), 900);
    EXPECT_EQ(buttons.log, (std::vector<std::string>{"inizia+", "resetta-"}));
}

// Replies the engine cannot use: it says so and asks again with the same prompt.
class UnusableReplyTest : public MeasureEngineTest,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(UnusableReplyTest, IsRefusedAndAskedAgain) {
    engine.StartCalibration();
    dialogs.messages.clear();
    dialogs.replies = {GetParam(), "2"};
    engine.HandleClick(150, 300);
    engine.HandleClick(1650, 300);
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[1].title, dialogs.asked[0].title);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Calibrazione");
    EXPECT_EQ(dialogs.messages[0].text, engine_text::kInvalidLength);
    EXPECT_EQ(engine.k(), 750.0f);
    EXPECT_EQ(engine.punti(), 2);
}

INSTANTIATE_TEST_SUITE_P(Replies, UnusableReplyTest,
                         ::testing::Values("abc", "0", "-0", "-5", "-0,5", "inf", "nan", "1e39",
                                           // so small that the scale overflows a float
                                           "1e-44"));

TEST_F(MeasureEngineTest, EmptyReplyAbandonsTheFirstPair) {
    engine.StartCalibration();
    dialogs.replies = {"   "};
    engine.HandleClick(150, 300);
    engine.HandleClick(1650, 300);
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(engine.k(), 0.0f);
    EXPECT_EQ(engine.azione(), MeasureEngine::Calibrating);
    EXPECT_EQ(surface.calls.size(), 7u);     // marks stay
    EXPECT_EQ(dialogs.messages.size(), 1u);  // only the instructions
    // The user simply clicks the pair again.
    dialogs.replies = {"2"};
    engine.HandleClick(150, 300);
    engine.HandleClick(1650, 300);
    EXPECT_EQ(engine.k(), 750.0f);
    EXPECT_EQ(engine.punti(), 2);
}

TEST_F(MeasureEngineTest, EmptyReplyAbandonsTheSecondPairAndKeepsK) {
    engine.StartCalibration();
    dialogs.replies = {"2", ""};
    engine.HandleClick(150, 300);
    engine.HandleClick(1650, 300);
    engine.HandleClick(300, 450);
    buttons.log.clear();
    engine.HandleClick(300, 3450);
    EXPECT_EQ(engine.punti(), 2);
    EXPECT_EQ(engine.k(), 750.0f);
    EXPECT_EQ(engine.azione(), MeasureEngine::Calibrating);
    EXPECT_TRUE(buttons.log.empty());
}

TEST_F(MeasureEngineTest, CoincidingReferencePointsAreRefusedWithoutAsking) {
    engine.StartCalibration();
    engine.HandleClick(150, 300);
    engine.HandleClick(150.4f, 299.6f);  // rounds onto the same stored point
    EXPECT_TRUE(dialogs.asked.empty());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, engine_text::kSamePoint);
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(engine.azione(), MeasureEngine::Calibrating);
}

TEST_F(MeasureEngineTest, NoMeasurementPastTheLimit) {
    Calibrate();
    for (int i = 0; i < MeasureEngine::kMaxResults; ++i) {
        engine.HandleClick(0, 0);
        engine.HandleClick(675, 0);
    }
    EXPECT_EQ(engine.n(), 32767);
    const auto lastLine = std::string("32767\t1\r\n");
    ASSERT_GE(results.text.size(), lastLine.size());
    EXPECT_EQ(results.text.substr(results.text.size() - lastLine.size()), lastLine);
    const std::string before = results.text;
    surface.calls.clear();
    engine.HandleClick(0, 0);
    engine.HandleClick(675, 0);
    EXPECT_EQ(engine.n(), 32767);
    EXPECT_EQ(engine.punti(), 0);
    EXPECT_EQ(results.text, before);
    EXPECT_EQ(surface.calls.size(), 7u);  // the pair's marks are still drawn
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, engine_text::kLimitReached);
}

TEST_F(MeasureEngineTest, OutOfRangeClickThrowsAndChangesNothing) {
    Calibrate();
    engine.HandleClick(-2.0e9f, 0);
    EXPECT_THROW(engine.HandleClick(2.0e9f, 0), ArithmeticOverflow);  // dx overflows
    EXPECT_EQ(engine.punti(), 1);
    EXPECT_EQ(engine.x1(), 300);
    EXPECT_EQ(surface.calls.size(), 3u);
    EXPECT_THROW(engine.HandleClick(3.0e9f, 0), ArithmeticOverflow);  // no 32-bit position
    EXPECT_EQ(engine.punti(), 1);
    EXPECT_TRUE(results.text.empty());
}

}  // namespace
}  // namespace vardesca
