// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/compute_layout.h"

#include <gtest/gtest.h>
#include <cmath>

namespace vardesca {
namespace {

using G = ControlGeometry;

TEST(ComputeLayoutTest, MinimumSizeGivesWorkedExampleOne) {
    // Asked for less than the minimum in both directions, the window is raised to it.
    for (const auto& [w, h] : {std::pair{10800.f, 3000.f}, std::pair{9000.f, 2000.f}}) {
        const WindowLayout l = ComputeLayout(w, h);
        EXPECT_EQ(l.width, 10800);
        EXPECT_EQ(l.height, 3000);
        EXPECT_EQ(l.picContainer, (G{150, 150, 8300, 1500}));
        EXPECT_EQ(l.vScroll1, (G{8450, 150, 300, 1500}));
        EXPECT_EQ(l.hScroll1, (G{150, 1650, 8300, 300}));
        EXPECT_EQ(l.text1, (G{8900, 150, 1600, 1800}));
        EXPECT_EQ(l.copiaDati, (G{8900, 2100, 1600, 375}));
        EXPECT_EQ(l.cmdOpen, (G{150, 2100, 1600, 375}));
        EXPECT_EQ(l.inizia, (G{1900, 2100, 1600, 375}));
        EXPECT_EQ(l.resetta, (G{3650, 2100, 1600, 375}));
        EXPECT_EQ(l.info, (G{5400, 2100, 1600, 375}));
        EXPECT_EQ(l.esci, (G{7150, 2100, 1600, 375}));
        EXPECT_TRUE(l.scrollBarsVisible);
    }
}

TEST(ComputeLayoutTest, WorkedExampleTwo) {
    const WindowLayout l = ComputeLayout(12240, 8835);
    EXPECT_EQ(l.width, 12240);
    EXPECT_EQ(l.height, 8835);
    EXPECT_EQ(l.picContainer, (G{150, 150, 9740, 7335}));
    EXPECT_EQ(l.vScroll1, (G{9890, 150, 300, 7335}));
    EXPECT_EQ(l.hScroll1, (G{150, 7485, 9740, 300}));
    EXPECT_EQ(l.text1, (G{10340, 150, 1600, 7635}));
    EXPECT_EQ(l.copiaDati, (G{10340, 7935, 1600, 375}));
    EXPECT_EQ(l.cmdOpen, (G{150, 7935, 1600, 375}));
    EXPECT_EQ(l.esci, (G{7150, 7935, 1600, 375}));
}

TEST(ComputeLayoutTest, TheBoxWidensOnlyBeyondTheFirstWidthAndTheViewGivesWhatItTakes) {
    // At the first width and below, whatever the share: the fixed layout.
    for (const double share : {0.0, 0.25, 1.0}) {
        EXPECT_EQ(BoxWider(kDefaultWidth, share), 0);
        EXPECT_EQ(BoxWider(11000, share), 0);
    }
    // Beyond it: a quarter by default, or of any share that is not one.
    EXPECT_EQ(BoxWider(kDefaultWidth + 4000, kDefaultBoxShare), 1000);
    EXPECT_EQ(BoxWider(kDefaultWidth + 4000, 2.0), 1000);
    EXPECT_EQ(BoxWider(kDefaultWidth + 4000, std::nan("")), 1000);
    EXPECT_EQ(BoxWider(kDefaultWidth + 4000, 1.0), 4000);

    const WindowLayout fixed = ComputeLayout(16240, 8835);
    const WindowLayout wide = ComputeLayout(16240, 8835, 1000);
    EXPECT_EQ(wide.text1.width, 2600);
    EXPECT_EQ(wide.text1.left + wide.text1.width, fixed.text1.left + fixed.text1.width);
    EXPECT_EQ(wide.picContainer.width, fixed.picContainer.width - 1000);
    EXPECT_EQ(wide.vScroll1.left, fixed.vScroll1.left - 1000);
    EXPECT_EQ(wide.hScroll1.width, fixed.hScroll1.width - 1000);
    // The gap lies between the bar and the box; the button rows stay.
    EXPECT_EQ(wide.columnGap.left, wide.vScroll1.left + wide.vScroll1.width);
    EXPECT_EQ(wide.columnGap.left + wide.columnGap.width, wide.text1.left);
    EXPECT_EQ(wide.cmdOpen, fixed.cmdOpen);
    EXPECT_EQ(wide.copiaDati.left, wide.text1.left);
}

TEST(ComputeLayoutTest, TheHandlesPlaceGivesBackItsShare) {
    const float outer = 16400;
    const float client = 16240;  // 4120 twips beyond the first width
    for (const double share : {0.0, 0.1, 0.25, 0.6, 1.0}) {
        const ControlGeometry gap =
            ComputeLayout(outer, 8835, BoxWider(client, share)).columnGap;
        EXPECT_NEAR(BoxShareAt(outer, client, gap.left + gap.width / 2), share, 1e-6) << share;
    }
    // Dragged past either end: the ends.
    EXPECT_EQ(BoxShareAt(outer, client, 100000), 0.0);
    EXPECT_EQ(BoxShareAt(outer, client, -100000), 1.0);
    EXPECT_EQ(BoxShareAt(outer, kDefaultWidth, 5000), kDefaultBoxShare);
}

TEST(ComputeLayoutTest, MinimumAppliesOnlyBelowIt) {
    EXPECT_EQ(ComputeLayout(10799, 2999).width, 10800);
    EXPECT_EQ(ComputeLayout(10799, 2999).height, 3000);
    EXPECT_EQ(ComputeLayout(10801, 3001).width, 10801);
    EXPECT_EQ(ComputeLayout(10801, 3001).height, 3001);
    // A size that is not a number is no size: the minimum.
    EXPECT_EQ(ComputeLayout(std::numeric_limits<float>::quiet_NaN(), 5000).width, 10800);
}

class LayoutAtAnySizeTest : public ::testing::TestWithParam<std::pair<float, float>> {};

TEST_P(LayoutAtAnySizeTest, FixedButtonRowAndRightColumnFollowTheEdges) {
    const auto [w, h] = GetParam();
    const WindowLayout l = ComputeLayout(w, h);
    const float lefts[] = {l.cmdOpen.left, l.inizia.left, l.resetta.left, l.info.left, l.esci.left};
    EXPECT_EQ(std::vector<float>(std::begin(lefts), std::end(lefts)),
              (std::vector<float>{150, 1900, 3650, 5400, 7150}));
    for (const G* b : {&l.cmdOpen, &l.inizia, &l.resetta, &l.info, &l.esci, &l.copiaDati}) {
        EXPECT_EQ(b->width, l.text1.width);
        EXPECT_EQ(b->height, 375);
        EXPECT_EQ(b->top, l.height - 900);
    }
    EXPECT_EQ(l.text1.width, 1600);
    EXPECT_EQ(l.text1.left + l.text1.width, l.width - 300);
    EXPECT_EQ(l.copiaDati.left + l.copiaDati.width, l.width - 300);
    EXPECT_EQ(l.hScroll1.top + l.hScroll1.height, l.height - 1050);
    EXPECT_EQ(l.text1.top + l.text1.height, l.height - 1050);
    EXPECT_EQ(l.vScroll1.left, l.picContainer.left + l.picContainer.width);
    // Same size, same geometry.
    const WindowLayout again = ComputeLayout(w, h);
    EXPECT_EQ(again.picContainer, l.picContainer);
    EXPECT_EQ(again.esci, l.esci);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LayoutAtAnySizeTest,
                         ::testing::Values(std::pair{10800.f, 3000.f}, std::pair{12240.f, 8835.f},
                                           std::pair{28800.f, 16200.f},
                                           std::pair{10815.f, 9000.f}));

}  // namespace
}  // namespace vardesca
