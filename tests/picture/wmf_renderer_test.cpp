// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/wmf_renderer.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <cstdlib>

#include "tests/support/corpus.h"

namespace vardesca {
namespace {

constexpr qint64 kPixels = 64LL * 1024 * 1024;

// Pixels of `a` and `b` that differ by more than an antialiasing step.
int Differing(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 48 || std::abs(qGreen(p) - qGreen(q)) > 48 ||
                std::abs(qBlue(p) - qBlue(q)) > 48) {
                ++count;
            }
        }
    }
    return count;
}

TEST(WmfRendererTest, ArcsChordsAndPiesRunAsTheFileSays) {
    QFile file(testing::Corpus(QStringLiteral("good/wmf-arcs-fjftest.wmf")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const ImageLoadResult drawn = RenderWmf(file.readAll(), 15.0, kPixels);
    ASSERT_TRUE(drawn.picture.has_value());
    const QImage reference(QStringLiteral(VARDESCA_REFERENCE "/wmf-arcs-fjftest.png"));
    ASSERT_EQ(drawn.picture->image.size(), reference.size());
    // An arc drawn as its complement changes thousands of pixels; a different
    // rounding at an edge, a handful.
    const int allowed = reference.width() * reference.height() / 500;
    EXPECT_LE(Differing(drawn.picture->image, reference), allowed);
}

// A placeable metafile 40 × 40 pixels at 15 twips a pixel that stretches rows
// [ySrc, ySrc + 2) of a one-pixel-wide, four-row bitmap over the whole picture.
// Seen from the top the bitmap's rows are red, green, blue, yellow.
QByteArray StretchedRows(quint16 ySrc) {
    QByteArray out;
    const auto u16 = [&out](quint16 v) {
        out.append(char(v & 0xFF)).append(char(v >> 8));
    };
    const auto u32 = [&](quint32 v) {
        u16(quint16(v & 0xFFFF));
        u16(quint16(v >> 16));
    };
    // Placeable header: the box 0..40 at 96 units an inch, then its checksum.
    u32(0x9AC6CDD7u);
    const quint16 words[] = {0, 0, 0, 40, 40, 96, 0, 0};
    quint16 checksum = 0xCDD7 ^ 0x9AC6;
    for (const quint16 w : words) {
        u16(w);
        checksum ^= w;
    }
    u16(checksum);
    // Metafile header, 64 words in all, the longest record 42.
    for (const quint16 w : {quint16(1), quint16(9), quint16(0x0300)}) {
        u16(w);
    }
    u32(64);
    u16(0);
    u32(42);
    u16(0);
    // SETWINDOWORG (0, 0), SETWINDOWEXT 40 × 40.
    u32(5), u16(0x020B), u16(0), u16(0);
    u32(5), u16(0x020C), u16(40), u16(40);
    // STRETCHDIB: SRCCOPY, RGB colours, source 1 × 2 from (0, ySrc), target
    // 40 × 40 at (0, 0); then the bitmap, bottom-up.
    u32(42), u16(0x0F43), u32(0x00CC0020u), u16(0);
    for (const quint16 w : {quint16(2), quint16(1), ySrc, quint16(0), quint16(40), quint16(40),
                            quint16(0), quint16(0)}) {
        u16(w);
    }
    u32(40), u32(1), u32(4), u16(1), u16(24), u32(0), u32(16), u32(0), u32(0), u32(0), u32(0);
    for (const char* bgr : {"\x00\xFF\xFF", "\xFF\x00\x00", "\x00\xFF\x00", "\x00\x00\xFF"}) {
        out.append(bgr, 3).append('\0');  // yellow, blue, green, red from the bottom
    }
    u32(3), u16(0);  // end of file
    return out;
}

TEST(WmfRendererTest, AStretchedBitmapTakesItsSourceRowsFromTheBottom) {
    // A bottom-up bitmap's source rows count from its bottom row: ySrc 0 is
    // blue and yellow, ySrc 2 red and green.
    struct Row {
        quint16 ySrc;
        QColor top, bottom;
    };
    for (const Row& row : {Row{0, Qt::blue, Qt::yellow}, Row{2, Qt::red, Qt::green}}) {
        const ImageLoadResult drawn = RenderWmf(StretchedRows(row.ySrc), 15.0, kPixels);
        ASSERT_TRUE(drawn.picture.has_value()) << drawn.failure->Reason().toStdString();
        const QImage& image = drawn.picture->image;
        ASSERT_EQ(image.size(), QSize(40, 40));
        EXPECT_EQ(image.pixelColor(20, 10), row.top) << row.ySrc;
        EXPECT_EQ(image.pixelColor(20, 30), row.bottom) << row.ySrc;
    }
}

}  // namespace
}  // namespace vardesca
