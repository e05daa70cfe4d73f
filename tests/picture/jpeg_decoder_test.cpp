// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/jpeg_decoder.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "tests/support/corpus.h"
#include "tests/support/exif_jpeg.h"
#include "picture/image_source.h"

namespace vardesca {
namespace {

using testing::CorpusFiles;

const ImageSource kSource(15.0);

// The direct JPEG path must show what Qt's own reader shows, upright included.
TEST(JpegDecoderTest, SameImageAsQtsReader) {
    int compared = 0;
    for (const QString& path : CorpusFiles(QStringLiteral("good"))) {
        if (!path.endsWith(QStringLiteral(".jpg")))
            continue;
        QImageReader reader(path);
        reader.setAutoTransform(true);
        QImage expected = reader.read();
        ASSERT_FALSE(expected.isNull()) << path.toStdString() << reader.errorString().toStdString();
        expected.convertTo(QImage::Format_RGB32);
        const ImageLoadResult ours = kSource.Load(path);
        ASSERT_TRUE(ours.picture) << path.toStdString();
        const QImage& got = ours.picture->image;
        ASSERT_EQ(got.size(), expected.size()) << path.toStdString();
        int worst = 0;
        for (int y = 0; y < got.height(); ++y) {
            for (int x = 0; x < got.width(); ++x) {
                const QRgb a = got.pixel(x, y);
                const QRgb b = expected.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)),
                                  std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
            }
        }
        EXPECT_LE(worst, 2) << path.toStdString();
        ++compared;
    }
    EXPECT_GE(compared, 15);
}

TEST(JpegDecoderTest, EveryOrientationIsTurnedUpright) {
    // A 4 × 2 picture with a distinct colour in its stored top-left corner; for
    // each orientation, where that corner must end up.
    QImage stored(40, 20, QImage::Format_RGB32);
    stored.fill(Qt::white);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            stored.setPixel(x, y, qRgb(255, 0, 0));
    const struct {
        int orientation;
        QSize size;
        QPoint corner;
    } cases[] = {{1, {40, 20}, {2, 2}},   {2, {40, 20}, {37, 2}}, {3, {40, 20}, {37, 17}},
                 {4, {40, 20}, {2, 17}},  {5, {20, 40}, {2, 2}},  {6, {20, 40}, {17, 2}},
                 {7, {20, 40}, {17, 37}}, {8, {20, 40}, {2, 37}}};
    QTemporaryDir dir;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("o%1.jpg").arg(c.orientation));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(testing::JpegWithOrientation(stored, static_cast<quint16>(c.orientation)));
        file.close();
        const ImageLoadResult r = kSource.Load(path);
        ASSERT_TRUE(r.picture) << c.orientation;
        EXPECT_EQ(r.picture->image.size(), c.size) << c.orientation;
        EXPECT_GT(r.picture->image.pixelColor(c.corner).red(), 200) << c.orientation;
        EXPECT_LT(r.picture->image.pixelColor(c.corner).green(), 80) << c.orientation;
    }
}

// Where each scan of a JPEG ends: the first marker after its start-of-scan
// header that is neither a stuffed zero nor a restart marker.
std::vector<qsizetype> ScanEnds(const QByteArray& jpeg) {
    std::vector<qsizetype> ends;
    for (qsizetype i = 2; i + 3 < jpeg.size(); ++i) {
        if (uchar(jpeg[i]) != 0xFF || uchar(jpeg[i + 1]) != 0xDA) {
            continue;
        }
        qsizetype at = i + 2 + ((uchar(jpeg[i + 2]) << 8) | uchar(jpeg[i + 3]));
        while (at + 1 < jpeg.size() &&
               !(uchar(jpeg[at]) == 0xFF && uchar(jpeg[at + 1]) != 0x00 &&
                 (uchar(jpeg[at + 1]) < 0xD0 || uchar(jpeg[at + 1]) > 0xD7))) {
            ++at;
        }
        ends.push_back(at);
        i = at - 1;
    }
    return ends;
}

TEST(JpegDecoderTest, AProgressivePhotoMissingScansIsDamaged) {
    QImage image(96, 64, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x * 5 % 256, y * 7 % 256, (x * y) % 256));
        }
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(image));
    const std::vector<qsizetype> ends = ScanEnds(jpeg);
    ASSERT_GT(ends.size(), 3u) << "not progressive";
    // Cut after each scan and closed with an end mark, as a truncated copy might
    // be repaired: every one is damaged, the whole file is not.
    for (std::size_t scan = 0; scan < ends.size(); ++scan) {
        const QByteArray cut = jpeg.left(ends[scan]) + QByteArray("\xFF\xD9", 2);
        const JpegDecode decoded = DecodeJpeg(reinterpret_cast<const uchar*>(cut.constData()),
                                              cut.size(), 1 << 20);
        ASSERT_EQ(decoded.outcome, JpegDecode::Outcome::Decoded) << scan;
        EXPECT_EQ(decoded.damaged, scan + 1 < ends.size()) << "after scan " << scan + 1;
    }
}

}  // namespace
}  // namespace vardesca
