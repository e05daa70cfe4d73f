// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>

#include "tests/support/folder_fixture.h"

#include "picture/image_source.h"
#include "picture/picture_names.h"

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

class FolderTest : public testing::FolderFixture {};

TEST_F(FolderTest, OnlyPicturesCountAndTheEndsHaveNoNeighbour) {
    for (const char* name : {"IMG_10.JPG", "IMG_2.jpg", "IMG_9.tif", "note.txt", "IMG_3.jpg.bak",
                             "IMG_2-misure.jpg", "IMG_1.WEBP"}) {
        Make(QString::fromLatin1(name));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("IMG_5.jpg")));  // a folder
    EXPECT_EQ(PicturesInFolder(dir.path()),
              QStringList({"IMG_1.WEBP", "IMG_2.jpg", "IMG_9.tif", "IMG_10.JPG"}));

    // The folder read afresh each time, as a press finding it changed does.
    const auto NeighbourPicture = [this](const QString& path, int step) -> std::optional<QString> {
        const auto name =
            NeighbourIn(PicturesInFolder(dir.path()), QFileInfo(path).fileName(), step);
        return name ? std::optional<QString>(dir.filePath(*name)) : std::nullopt;
    };
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

}  // namespace
}  // namespace vardesca
