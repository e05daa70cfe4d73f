// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/completed_step.h"

#include <gtest/gtest.h>

namespace vardesca {
namespace {

constexpr std::int16_t I = MeasureEngine::Idle;
constexpr std::int16_t C = MeasureEngine::Calibrating;
constexpr std::int16_t M = MeasureEngine::Measuring;

struct StepCase {
    const char* name;
    EngineState before, after;
    CompletedStep step;
};

class WhatCompletedTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(WhatCompletedTest, FromTheStateBeforeAndAfter) {
    EXPECT_EQ(WhatCompleted(GetParam().before, GetParam().after), GetParam().step);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WhatCompletedTest,
    ::testing::Values(
        StepCase{"first_reference_click", {C, 0, 0}, {C, 1, 0}, CompletedStep::Nothing},
        StepCase{"first_reference_measured", {C, 1, 0}, {C, 2, 0}, CompletedStep::FirstReference},
        StepCase{"first_reference_given_up", {C, 1, 0}, {C, 0, 0}, CompletedStep::Nothing},
        StepCase{"first_reference_coinciding", {C, 1, 0}, {C, 1, 0}, CompletedStep::Nothing},
        StepCase{"second_reference_measured", {C, 3, 0}, {M, 0, 0}, CompletedStep::SecondReference},
        StepCase{"second_reference_given_up", {C, 3, 0}, {C, 2, 0}, CompletedStep::Nothing},
        StepCase{"recalibrating_keeps_the_count", {C, 3, 4}, {M, 0, 4},
                 CompletedStep::SecondReference},
        StepCase{"first_point_of_a_fish", {M, 0, 2}, {M, 1, 2}, CompletedStep::Nothing},
        StepCase{"fish_measured", {M, 1, 2}, {M, 0, 3}, CompletedStep::Measurement},
        StepCase{"fish_redone", {M, 0, 2}, {M, 0, 3}, CompletedStep::Measurement},
        StepCase{"fish_undone", {M, 0, 3}, {M, 0, 2}, CompletedStep::MeasurementUndone},
        StepCase{"pending_point_undone", {M, 1, 3}, {M, 0, 3}, CompletedStep::Nothing},
        StepCase{"past_the_limit", {M, 1, 32767}, {M, 0, 32767}, CompletedStep::Nothing},
        StepCase{"a_click_while_idle", {I, 0, 0}, {I, 0, 0}, CompletedStep::Nothing}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vardesca
