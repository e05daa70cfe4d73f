// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest main for tests that need a QApplication. The platform comes from
// QT_QPA_PLATFORM (offscreen in CTest), so a developer can still watch a test
// on a real display.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest does it at build time) needs no display.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
