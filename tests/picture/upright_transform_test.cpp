// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/upright_transform.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QImageReader>
#include <QTransform>
#include <random>
#include <vector>

#include "tests/support/exif_jpeg.h"
#include "picture/jpeg_decoder.h"

namespace vardesca {
namespace {

// The upright picture for an EXIF orientation, by Qt's own transforms.
QImage UprightByQt(const QImage& stored, int orientation) {
    switch (orientation) {
        case 2:
            return stored.mirrored(true, false);
        case 3:
            return stored.mirrored(true, true);
        case 4:
            return stored.mirrored(false, true);
        case 5:
            return stored.transformed(QTransform().rotate(90)).mirrored(true, false);
        case 6:
            return stored.transformed(QTransform().rotate(90));
        case 7:
            return stored.transformed(QTransform().rotate(270)).mirrored(true, false);
        case 8:
            return stored.transformed(QTransform().rotate(270));
        default:
            return stored;
    }
}

// `stored` placed strip by strip (strips of `rows`), as the decoder does.
template <typename Place>
QImage PlaceByStrips(const QImage& stored, int orientation, int rows, Place place) {
    const int w = stored.width();
    const int h = stored.height();
    const bool turns = orientation >= 5;
    QImage out(turns ? h : w, turns ? w : h, QImage::Format_RGB32);
    out.fill(0);
    std::vector<std::uint32_t> strip;
    for (int y0 = 0; y0 < h; y0 += rows) {
        const int n = std::min(rows, h - y0);
        strip.assign(std::size_t(n) * std::size_t(w), 0);
        for (int i = 0; i < n; ++i) {
            const auto* line = reinterpret_cast<const std::uint32_t*>(stored.constScanLine(y0 + i));
            std::copy(line, line + w, strip.begin() + std::ptrdiff_t(i) * w);
        }
        place(strip.data(), w, h, y0, n, orientation,
              reinterpret_cast<std::uint32_t*>(out.bits()), static_cast<int>(out.bytesPerLine() / 4));
    }
    return out;
}

QImage Noise(int w, int h, unsigned seed) {
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, 0xFF000000u | (random() & 0xFFFFFFu));
        }
    }
    return image;
}

TEST(UprightTransformTest, EveryOrientationAsQtTurnsIt) {
    // An odd size: 37 × 23, strips of 8 rows and a last one of 7, as the decoder
    // gets them; the portable path and, built as it is, the one the program uses.
    const QImage stored = Noise(37, 23, 1);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QImage expected = UprightByQt(stored, orientation).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(PlaceByStrips(stored, orientation, 8, PlaceStripPortable), expected) << orientation;
        EXPECT_EQ(PlaceByStrips(stored, orientation, 8, PlaceStrip), expected) << orientation;
    }
}

#if defined(__SSE2__)
TEST(UprightTransformTest, SimdAndPortablePathsGivePixelIdenticalResults) {
    for (const QSize size : {QSize(37, 23), QSize(64, 33), QSize(16, 4), QSize(129, 71)}) {
        const QImage stored = Noise(size.width(), size.height(), 7);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            for (const int rows : {1, 4, 7, 32}) {
                EXPECT_EQ(PlaceByStrips(stored, orientation, rows, PlaceStripSse2),
                          PlaceByStrips(stored, orientation, rows, PlaceStripPortable))
                    << size.width() << "x" << size.height() << " o" << orientation << " r" << rows;
            }
        }
    }
}
#endif

TEST(UprightTransformTest, DecodedJpegsAreUprightAsQtsReaderShowsThem) {
    // The same JPEG, tagged with each orientation: our decode of it against our
    // decode of the untagged one turned by Qt, exactly; and against Qt's reader
    // with its own auto-transform, to the decoders' rounding.
    const QImage stored = Noise(37, 23, 3);
    const QByteArray plain = testing::JpegWithApp1(stored, testing::ExifBody(1), 100);
    const JpegDecode base = DecodeJpeg(reinterpret_cast<const uchar*>(plain.constData()),
                                       plain.size(), 1 << 20);
    ASSERT_EQ(base.outcome, JpegDecode::Outcome::Decoded);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QByteArray tagged = testing::JpegWithApp1(
            stored, testing::ExifBody(static_cast<std::uint16_t>(orientation)), 100);
        const JpegDecode ours = DecodeJpeg(reinterpret_cast<const uchar*>(tagged.constData()),
                                           tagged.size(), 1 << 20);
        ASSERT_EQ(ours.outcome, JpegDecode::Outcome::Decoded) << orientation;
        EXPECT_EQ(ours.image, UprightByQt(base.image, orientation).convertToFormat(QImage::Format_RGB32))
            << orientation;

        QBuffer buffer;
        buffer.setData(tagged);
        QImageReader reader(&buffer, "JPEG");
        reader.setAutoTransform(true);
        const QImage qt = reader.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(qt.size(), ours.image.size()) << orientation;
        int worst = 0;
        for (int y = 0; y < qt.height(); ++y) {
            for (int x = 0; x < qt.width(); ++x) {
                const QRgb a = qt.pixel(x, y);
                const QRgb b = ours.image.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        }
        EXPECT_LE(worst, 2) << orientation;
    }
}

}  // namespace
}  // namespace vardesca
