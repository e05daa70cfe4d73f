// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app_icon.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QSet>

namespace vardesca {
namespace {

TEST(AppIconTest, RulersInSixteenColoursAtBothSizes) {
    for (const int size : {16, 32}) {
        const QImage icon = DrawRulersIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        QSet<QRgb> colours;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x)
                colours.insert(icon.pixel(x, y) & 0xFFFFFF);
        }
        EXPECT_EQ(colours, (QSet<QRgb>{0xC0C0C0, 0xFFFF00, 0x000000})) << size;
        EXPECT_EQ(icon.pixel(0, 0) & 0xFFFFFF, 0xC0C0C0u);  // grey ground in the corner
        EXPECT_EQ(icon.pixel(size / 2, size / 2) & 0xFFFFFF, 0xFFFF00u);  // rulers cross
    }
    const QList<QSize> sizes = AppIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

}  // namespace
}  // namespace vardesca
