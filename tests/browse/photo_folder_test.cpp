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

#include "tests/support/folder_fixture.h"

#include "browse/photo_folder.h"
#include "browse/picture_prefetch.h"
#include "picture/image_source.h"
#include "picture/picture_names.h"

namespace vardesca {
namespace {

class BrowseTest : public testing::FolderFixture {};

// The keys walk the folder's order both ways, decoding ahead the way the
// user goes; the folder is listed only when something in it changed, and a
// file added or renamed there is met at the very next press.
TEST_F(BrowseTest, TheFolderIsListedOnlyWhenItChangedAndAheadIsTheWayTheUserGoes) {
    for (const char* name : {"IMG_1.png", "IMG_2.png", "IMG_3.png", "IMG_4.png"}) {
        Make(QString::fromLatin1(name));
    }
    const auto path = [this](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const ImageSource source(15.0);
    PhotoFolder folder(source);
    folder.Shown(path("IMG_2.png"));
    EXPECT_EQ(folder.Prefetch().Path(), path("IMG_3.png"));
    EXPECT_EQ(folder.Listings(), 1);
    EXPECT_EQ(folder.Step(1), path("IMG_3.png"));
    folder.Shown(path("IMG_3.png"));
    EXPECT_EQ(folder.Listings(), 1);  // unchanged: not listed again
    EXPECT_EQ(folder.Prefetch().Path(), path("IMG_4.png"));

    // Going back, the photo before is the one decoded ahead.
    EXPECT_EQ(folder.Step(-1), path("IMG_2.png"));
    EXPECT_FALSE(folder.Take(path("IMG_2.png")));  // the one ahead was the other way
    folder.Shown(path("IMG_2.png"));
    EXPECT_EQ(folder.Prefetch().Path(), path("IMG_1.png"));
    EXPECT_EQ(folder.Listings(), 1);

    // A photo copied in meanwhile, and one renamed: met at the next press.
    Make(QStringLiteral("IMG_1b.png"));
    EXPECT_EQ(folder.Step(-1), path("IMG_1b.png"));
    EXPECT_EQ(folder.Listings(), 2);
    ASSERT_TRUE(QFile::rename(path("IMG_1.png"), path("IMG_0.png")));
    EXPECT_EQ(folder.Step(-1), path("IMG_0.png"));
    EXPECT_EQ(folder.Listings(), 3);
    EXPECT_FALSE(folder.Step(-1));  // the first: nothing before it, the place kept
    EXPECT_EQ(folder.Step(1), path("IMG_1b.png"));

    folder.Forget();
    EXPECT_FALSE(folder.Step(1));
    EXPECT_TRUE(folder.Prefetch().Path().isEmpty());
}

// Another program rewriting the next photo while it is decoded ahead (an
// editor saving: the file cut short, then written again) never ends the
// program: the decode gives a picture, or a failure to say.
TEST_F(BrowseTest, APhotoRewrittenWhileDecodedAheadNeverEndsTheProgram) {
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

TEST_F(BrowseTest, APrefetchedPictureIsGivenOnlyForItsUnchangedFile) {
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
