// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/exif_orientation.h"

#include <gtest/gtest.h>

#include "tests/support/exif_jpeg.h"

namespace vardesca {
namespace {

using testing::ExifBody;

int Read(const QByteArray& body) {
    return ExifOrientation(reinterpret_cast<const unsigned char*>(body.constData()),
                           static_cast<std::size_t>(body.size()));
}

TEST(ExifOrientationTest, EveryValueInBothByteOrders) {
    for (const bool big : {false, true}) {
        for (std::uint16_t value = 1; value <= 8; ++value) {
            EXPECT_EQ(Read(ExifBody(value, big)), value) << big;
            // After other entries, and with the IFD further in.
            EXPECT_EQ(Read(ExifBody(value, big, 3, 20, 3)), value) << big;
        }
    }
}

TEST(ExifOrientationTest, AnythingElseIsUpright) {
    struct Row {
        const char* what;
        QByteArray body;
        int expected;
    };
    QByteArray wrongOrder = ExifBody(6);
    wrongOrder[6] = 'X';
    QByteArray notFortyTwo = ExifBody(6);
    notFortyTwo[8] = 43;
    QByteArray notExif = ExifBody(6);
    notExif[0] = 'e';
    QByteArray farIfd = ExifBody(6);  // the IFD said to lie 0xFFFFFFF0 bytes in
    farIfd[6 + 4] = static_cast<char>(0xF0);
    for (int i = 5; i < 8; ++i) {
        farIfd[6 + i] = static_cast<char>(0xFF);
    }
    const Row rows[] = {
        {"value 0", ExifBody(0), 1},
        {"value 9", ExifBody(9), 1},
        {"value 0x0106, as if read in the wrong order", ExifBody(0x0106), 1},
        {"type LONG instead of SHORT", ExifBody(6, false, 4), 1},
        {"byte order neither II nor MM", wrongOrder, 1},
        {"TIFF magic not 42", notFortyTwo, 1},
        {"not an Exif APP1 (XMP, say)", notExif, 1},
        {"IFD offset past the end", farIfd, 1},
        {"IFD offset at the very end", ExifBody(6).left(6 + 8) + QByteArray("\0\0", 2), 1},
        {"entry cut short by the end", ExifBody(6).left(6 + 8 + 2 + 9), 1},
        {"entry count past the end, tag before it", ExifBody(6, true, 3, 8, 1), 6},
        {"fewer than 14 bytes", QByteArray("Exif\0\0II*\0", 10), 1},
        {"empty", QByteArray(), 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Read(row.body), row.expected) << row.what;
    }
}

TEST(ExifOrientationTest, AnEntryCountLargerThanTheSegmentStopsAtItsEnd) {
    QByteArray body = ExifBody(6);
    body[6 + 8] = static_cast<char>(0xFF);  // 0x??FF entries, little-endian
    body[6 + 8 + 1] = static_cast<char>(0xFF);
    EXPECT_EQ(Read(body), 6);  // the real entry is still the first
    QByteArray cut = ExifBody(6, false, 3, 8, 2);
    cut[6 + 8] = static_cast<char>(0xFF);
    cut = cut.left(6 + 8 + 2 + 12 + 5);  // ends inside the second padding entry
    EXPECT_EQ(Read(cut), 1);
}

}  // namespace
}  // namespace vardesca
