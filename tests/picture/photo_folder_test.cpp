// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>

#include "picture/image_source.h"
#include "picture/photo_folder.h"
#include "browse/picture_prefetch.h"

namespace vardesca {
namespace {

TEST(PhotoFolderTest, NamesComeInAFileManagersOrder) {
    QStringList names = {"img_10.jpg", "IMG_2.JPG", "img_1.jpg", "Foto 9.png", "foto 10.png",
                         "a.bmp",      "IMG_02.jpg", "img_2.jpg", "x99y2.gif", "x99y10.gif"};
    std::sort(names.begin(), names.end(), NaturalLess);
    const QStringList expected = {"a.bmp",     "Foto 9.png", "foto 10.png", "img_1.jpg",
                                  "IMG_02.jpg", "IMG_2.JPG", "img_2.jpg",  "img_10.jpg",
                                  "x99y2.gif", "x99y10.gif"};
    EXPECT_EQ(names, expected);
    // A strict order: nothing before itself, and no pair both ways.
    for (const QString& a : expected) {
        EXPECT_FALSE(NaturalLess(a, a)) << a.toStdString();
        for (const QString& b : expected) {
            EXPECT_FALSE(NaturalLess(a, b) && NaturalLess(b, a));
        }
    }
    // A number far past 64 bits still compares by its digits.
    EXPECT_TRUE(NaturalLess("p99999999999999999999999.jpg", "p100000000000000000000000.jpg"));
}

class FolderTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Make(const QString& name, QColor colour = Qt::darkGreen) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));  // the content's kind, whatever the name
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(FolderTest, OnlyPicturesCountAndTheEndsHaveNoNeighbour) {
    for (const char* name : {"IMG_10.JPG", "IMG_2.jpg", "IMG_9.tif", "note.txt", "IMG_3.jpg.bak",
                             "IMG_2-misure.jpg", "IMG_1.WEBP"}) {
        Make(QString::fromLatin1(name));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("IMG_5.jpg")));  // a folder
    EXPECT_EQ(PicturesInFolder(dir.path()),
              QStringList({"IMG_1.WEBP", "IMG_2.jpg", "IMG_9.tif", "IMG_10.JPG"}));

    const QString two = dir.filePath(QStringLiteral("IMG_2.jpg"));
    EXPECT_EQ(NeighbourPicture(two, 1), dir.filePath(QStringLiteral("IMG_9.tif")));
    EXPECT_EQ(NeighbourPicture(two, -1), dir.filePath(QStringLiteral("IMG_1.WEBP")));
    EXPECT_FALSE(NeighbourPicture(dir.filePath(QStringLiteral("IMG_10.JPG")), 1));
    EXPECT_FALSE(NeighbourPicture(dir.filePath(QStringLiteral("IMG_1.WEBP")), -1));

    // The photo shown was removed meanwhile: its name still says where it stood.
    ASSERT_TRUE(QFile::remove(two));
    EXPECT_EQ(NeighbourPicture(two, 1), dir.filePath(QStringLiteral("IMG_9.tif")));
    EXPECT_EQ(NeighbourPicture(two, -1), dir.filePath(QStringLiteral("IMG_1.WEBP")));
    // And one added meanwhile is met.
    Make(QStringLiteral("IMG_4.png"));
    EXPECT_EQ(NeighbourPicture(two, 1), dir.filePath(QStringLiteral("IMG_4.png")));
}

// Another program rewriting the next photo while it is decoded ahead (an
// editor saving: the file cut short, then written again) never ends the
// program: the decode gives a picture, or a failure to say.
TEST_F(FolderTest, APhotoRewrittenWhileDecodedAheadNeverEndsTheProgram) {
    QImage noise(3000, 2000, QImage::Format_RGB32);
    std::uint32_t seed = 1;
    for (int y = 0; y < noise.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525U + 1013904223U;
            row[x] = 0xFF000000U | (seed >> 8);
        }
    }
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        ASSERT_TRUE(noise.save(&buffer, "JPEG", 95));
    }
    ASSERT_GT(jpeg.size(), 512 * 1024);  // large enough to be decoded on every core
    const QString path = dir.filePath(QStringLiteral("IMG_2.jpg"));
    const ImageSource source(15.0);
    PicturePrefetch prefetch(source);
    for (int round = 0; round < 10; ++round) {
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(jpeg);
        }
        // Cut to a third the moment the decoder first reads the file.
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(path).constData(), IN_ACCESS), 0);
        prefetch.Start(path);
        pollfd read{watch, POLLIN, 0};
        if (::poll(&read, 1, 10000) == 1) {
            ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), jpeg.size() / 3), 0);
        }
        ::close(watch);
        if (const auto taken = prefetch.Take(path)) {
            EXPECT_TRUE(taken->picture || taken->failure) << round;
        }
    }
}

TEST_F(FolderTest, APrefetchedPictureIsGivenOnlyForItsUnchangedFile) {
    const ImageSource source(15.0);
    PicturePrefetch prefetch(source);
    const QString next = Make(QStringLiteral("IMG_2.png"), Qt::red);

    prefetch.Start(next);
    auto taken = prefetch.Take(next);
    ASSERT_TRUE(taken && taken->picture);
    EXPECT_EQ(taken->picture->image.pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_TRUE(prefetch.Path().isEmpty());  // nothing held once taken
    EXPECT_FALSE(prefetch.Take(next));

    // Asked for another file: nothing, and what was held goes.
    prefetch.Start(next);
    EXPECT_FALSE(prefetch.Take(Make(QStringLiteral("IMG_3.png"))));
    EXPECT_TRUE(prefetch.Path().isEmpty());

    // Changed on disk after it was decoded: not given, so the caller reads it
    // again. The new content is larger, so the size alone tells.
    prefetch.Start(next);
    {
        QImage bigger(80, 60, QImage::Format_RGB32);
        bigger.fill(Qt::blue);
        ASSERT_TRUE(bigger.save(next, "PNG"));
    }
    EXPECT_FALSE(prefetch.Take(next));

    // A damaged file is not given: the caller reads it and says why.
    const QString bad = dir.filePath(QStringLiteral("IMG_4.jpg"));
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\xff\xd8\xff\xe0 not really a photo");
    }
    prefetch.Start(bad);
    EXPECT_FALSE(prefetch.Take(bad));
    EXPECT_TRUE(prefetch.Path().isEmpty());
}

}  // namespace
}  // namespace vardesca
