// SPDX-License-Identifier: GPL-3.0-or-later
// A photo decoded in bands on several threads must be, bit for bit, the photo
// decoded from the top on one: same pixels, same damage, same failures.
#include "picture/jpeg_decoder.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <atomic>
#include <QFile>
#include <cstring>
#include <vector>

#include "picture/image_source.h"
#include "picture/worker_threads.h"
#include "tests/support/corpus.h"
#include "tests/support/exif_jpeg.h"

extern "C" {
#include <jpeglib.h>
}

namespace vardesca {
namespace {

using testing::CorpusFiles;

JpegDecode Decode(const QByteArray& file, int threads, JpegBands bands = JpegBands::Fastest) {
    return DecodeJpegInBands(reinterpret_cast<const uchar*>(file.constData()), file.size(),
                             ImageSource::kDefaultMaxPixels, threads, bands);
}

// Where two decodes of `what` differ, said in words; empty when they do not.
std::string Difference(const JpegDecode& one, const JpegDecode& many) {
    if (one.outcome != many.outcome)
        return "outcome";
    if (one.damaged != many.damaged)
        return "damage";
    if (one.image.size() != many.image.size() || one.image.format() != many.image.format())
        return "size";
    for (int y = 0; y < one.image.height(); ++y) {
        if (std::memcmp(one.image.constScanLine(y), many.image.constScanLine(y),
                        std::size_t(one.image.width()) * 4) != 0)
            return "row " + std::to_string(y);
    }
    return {};
}

// A photo-like picture (smooth colour with sharp edges, so that subsampled
// colour is upsampled differently at every row) encoded by libjpeg itself, for
// the settings Qt's writer does not give: restart markers and subsampling.
struct Encoding {
    int width, height;
    int hSamp, vSamp;       // the luma's sampling factors (1 1: no subsampling)
    bool grey = false;
    int restartRows = 0;     // a restart marker every that many rows of blocks
    int restartMcus = 0;     // or every that many blocks
};

QByteArray EncodeWithLibjpeg(const Encoding& e) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = JDIMENSION(e.width);
    cinfo.image_height = JDIMENSION(e.height);
    cinfo.input_components = e.grey ? 1 : 3;
    cinfo.in_color_space = e.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (!e.grey) {
        cinfo.comp_info[0].h_samp_factor = e.hSamp;
        cinfo.comp_info[0].v_samp_factor = e.vSamp;
    }
    cinfo.restart_in_rows = e.restartRows;
    cinfo.restart_interval = JDIMENSION(e.restartMcus);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(e.width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < e.width; ++x) {
            const bool edge = ((x / 13) + (y / 11)) % 2 == 0;
            JSAMPLE* p = row.data() + std::size_t(x) * (e.grey ? 1 : 3);
            p[0] = JSAMPLE((x * 7 + y * 3 + (edge ? 90 : 0)) & 0xFF);
            if (!e.grey) {
                p[1] = JSAMPLE((y * 5 + (edge ? 0 : 120)) & 0xFF);
                p[2] = JSAMPLE((x * y / 7) & 0xFF);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray file(reinterpret_cast<const char*>(out), qsizetype(outSize));
    std::free(out);
    return file;
}

// The same file with an EXIF orientation, right after the start mark.
QByteArray WithOrientation(const QByteArray& jpeg, int orientation) {
    const QByteArray body = testing::ExifBody(std::uint16_t(orientation));
    const auto length = std::uint16_t(body.size() + 2);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append(body);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

TEST(JpegBandsTest, EveryCorpusPhotoAsFromOneThread) {
    int split = 0;
    int compared = 0;
    for (const QString& folder : {QStringLiteral("good"), QStringLiteral("questionable"),
                                  QStringLiteral("bad")}) {
        for (const QString& path : CorpusFiles(folder)) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray file = f.readAll();
            const JpegDecode one = Decode(file, 1);
            if (one.outcome == JpegDecode::Outcome::NotMine && !path.endsWith(QStringLiteral(".jpg")))
                continue;
            ++compared;
            for (const JpegBands bands : {JpegBands::Fastest, JpegBands::Skipping}) {
                for (const int threads : {2, 3, 8}) {
                    const JpegDecode many = Decode(file, threads, bands);
                    EXPECT_EQ(Difference(one, many), "")
                        << path.toStdString() << " on " << threads << " threads";
                    split += many.bands > 1 ? 1 : 0;
                }
            }
        }
    }
    EXPECT_GE(compared, 30);
    // The sound baseline photos really went through bands (the damaged ones
    // go back to one thread, and the test above says they look the same).
    EXPECT_GE(split, 40);
}

TEST(JpegBandsTest, RestartMarkersSubsamplingAndEveryOrientation) {
    const Encoding encodings[] = {
        {517, 403, 2, 2, false, 1, 0},  // 4:2:0, a marker every row of blocks
        {640, 480, 2, 1, false, 2, 0},  // 4:2:2, every second row
        {333, 250, 1, 1, false, 1, 0},  // 4:4:4, odd sizes
        {300, 301, 1, 1, true, 1, 0},   // grey
        {517, 403, 2, 2, false, 0, 7},  // intervals falling on every seventh row
        {517, 403, 2, 2, false, 0, 0},  // no markers: the bands skip
    };
    for (const Encoding& e : encodings) {
        const QByteArray plain = EncodeWithLibjpeg(e);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const QByteArray file = WithOrientation(plain, orientation);
            const JpegDecode one = Decode(file, 1);
            ASSERT_EQ(one.outcome, JpegDecode::Outcome::Decoded);
            ASSERT_FALSE(one.damaged);
            for (const int threads : {2, 3, 5, 8}) {
                const JpegDecode many = Decode(file, threads);
                EXPECT_EQ(Difference(one, many), "")
                    << e.width << "x" << e.height << " restart rows " << e.restartRows
                    << " orientation " << orientation << " threads " << threads;
                EXPECT_GT(many.bands, 1) << e.width << "x" << e.height << " " << threads;
                EXPECT_EQ(many.atRestartMarkers, e.restartRows + e.restartMcus > 0) << e.width << "x" << e.height;
            }
        }
    }
}

// A restart band's decoder is told where the picture ends and sees the markers
// renumbered; a wrong height or number would show as a warning, and the photo
// would go back to one thread without a word. These must stay split.
TEST(JpegBandsTest, RestartBandsDoNotFallBackOnSoundPhotos) {
    const QByteArray file = EncodeWithLibjpeg({1024, 1000, 2, 2, false, 1, 0});
    for (const int threads : {2, 4, 8}) {
        const JpegDecode many = Decode(file, threads);
        EXPECT_EQ(many.bands, threads);
        EXPECT_TRUE(many.atRestartMarkers);
    }
}

// Damage inside one band, a cut in the last, a marker lost: the damage is said
// and the picture is the one the single thread shows.
TEST(JpegBandsTest, DamageInABandIsTheSameDamage) {
    const QByteArray sound = EncodeWithLibjpeg({640, 480, 2, 2, false, 1, 0});
    const auto rst = [&](int n) {  // the position of the n-th restart marker
        qsizetype at = 0;
        for (int i = 0; i <= n; ++i) {
            at = sound.indexOf(QByteArray::fromHex("ffd" + QByteArray::number(i % 8)), at + 1);
        }
        return at;
    };
    QByteArray garbled = sound;
    for (qsizetype i = rst(10) + 40; i < rst(10) + 80; ++i)
        garbled[i] = char(0x5A);
    QByteArray lostMarker = sound;
    lostMarker[rst(20) + 1] = char(0x00);
    const QByteArray cut = sound.left(sound.size() * 9 / 10);
    const QByteArray noEnd = sound.left(sound.size() - 2);
    for (const QByteArray& file : {garbled, lostMarker, cut, noEnd}) {
        const JpegDecode one = Decode(file, 1);
        ASSERT_TRUE(one.damaged);
        for (const int threads : {2, 3, 8}) {
            for (const JpegBands bands : {JpegBands::Fastest, JpegBands::Skipping}) {
                EXPECT_EQ(Difference(one, Decode(file, threads, bands)), "") << threads;
            }
        }
    }
}

// A restart interval holding a few bytes beyond its blocks: decoded from the
// top the photo is called damaged. Counted at one restart and said only at a
// later marker, the bytes were once missed by a band that ended between the
// two, and the same photo was called whole in bands (found by fuzzing).
TEST(JpegBandsTest, BytesBeyondARestartIntervalAreDamageInBandsToo) {
    const QByteArray sound = EncodeWithLibjpeg({100, 100, 1, 1, false, 1, 0});
    std::vector<qsizetype> markers;
    for (qsizetype at = sound.indexOf(QByteArray::fromHex("ffd0")); at > 0;) {
        markers.push_back(at);
        at = sound.indexOf(char(0xFF), at + 2);
        while (at > 0 && (uchar(sound[at + 1]) < 0xD0 || uchar(sound[at + 1]) > 0xD7))
            at = at + 1 < sound.size() ? sound.indexOf(char(0xFF), at + 1) : -1;
    }
    ASSERT_EQ(markers.size(), 12u);  // one after every row of blocks but the last
    for (const qsizetype marker : markers) {
        const QByteArray file =
            sound.left(marker) + QByteArray("\x12\x34\x56\x78\x9a", 5) + sound.mid(marker);
        const JpegDecode one = Decode(file, 1);
        EXPECT_TRUE(one.damaged) << marker;
        for (const int threads : {2, 3, 4}) {
            EXPECT_EQ(Difference(one, Decode(file, threads)), "") << marker << " in " << threads;
        }
    }
}

// VARDESCA_THREADS=1 is the single-thread path the others are compared with;
// anything but a count leaves the machine's cores, at most eight.
// A photo decoded ahead that the user went away from: once told to stop, the
// decode gives nothing, on one thread or in bands, and lets go of its memory
// (the sanitizer build's leak check holds it to that).
TEST(JpegBandsTest, AStoppedDecodeGivesNothing) {
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(Qt::darkYellow);
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(photo.save(&buffer, "JPEG", 90));
    const auto* data = reinterpret_cast<const uchar*>(file.constData());
    for (const int threads : {1, 4}) {
        std::atomic<bool> stop{false};
        EXPECT_EQ(DecodeJpegInBands(data, file.size(), 1 << 24, threads, JpegBands::Fastest, &stop)
                      .outcome,
                  JpegDecode::Outcome::Decoded);
        stop = true;
        const JpegDecode stopped =
            DecodeJpegInBands(data, file.size(), 1 << 24, threads, JpegBands::Fastest, &stop);
        EXPECT_EQ(stopped.outcome, JpegDecode::Outcome::Stopped) << threads;
        EXPECT_TRUE(stopped.image.isNull());
    }
}

TEST(JpegBandsTest, VardescaThreadsSetsTheSplit) {
    const QByteArray large = EncodeWithLibjpeg({1600, 1200, 2, 2, false, 1, 0});
    ASSERT_GE(large.size(), 256 * 1024);
    const QByteArray old = qgetenv("VARDESCA_THREADS");
    const auto decodeWith = [&](const char* threads) {
        qputenv("VARDESCA_THREADS", threads);
        return DecodeJpeg(reinterpret_cast<const uchar*>(large.constData()), large.size(),
                          ImageSource::kDefaultMaxPixels);
    };
    EXPECT_EQ(decodeWith("1").bands, 1);
    EXPECT_EQ(decodeWith("3").bands, 3);
    EXPECT_EQ(decodeWith("3").image, decodeWith("1").image);
    qputenv("VARDESCA_THREADS", "99");
    EXPECT_EQ(WorkerThreads(), 8);
    qputenv("VARDESCA_THREADS", "zero");
    EXPECT_GE(WorkerThreads(), 1);
    EXPECT_LE(WorkerThreads(), 8);
    if (old.isNull())
        qunsetenv("VARDESCA_THREADS");
    else
        qputenv("VARDESCA_THREADS", old);
}

}  // namespace
}  // namespace vardesca
