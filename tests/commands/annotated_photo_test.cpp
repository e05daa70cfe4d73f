// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/annotated_photo.h"
#include "commands/safe_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "commands/png_writer.h"
#include "tests/support/scripted_window_dialogs.h"
#include "view/mark_overlay.h"

namespace vardesca {
namespace {

QImage Grey(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(128, 128, 128));
    return image;
}

TEST(AnnotatedPictureTest, MarksAndLabelsAtThePhotosOwnPixelsAndTheShownPictureClean) {
    const QImage photo = Grey({400, 300});
    MarkOverlay overlay;
    overlay.AddLine({100, 200}, {300, 200}, QColor(0, 255, 0), 0.5);
    overlay.AddLabel({100, 200}, {300, 200}, QStringLiteral("1"), QColor(0, 255, 0), 1, 0.5);
    const QImage out = AnnotatedPicture(photo, overlay);
    ASSERT_EQ(out.size(), QSize(400, 300));
    EXPECT_EQ(out.pixelColor(200, 200), QColor(0, 255, 0));
    EXPECT_EQ(out.pixelColor(200, 250), QColor(128, 128, 128));
    // The number is burnt in above the line's middle.
    int inked = 0;
    for (int y = 170; y < 199; ++y) {
        for (int x = 190; x < 211; ++x) {
            inked += out.pixelColor(x, y) != QColor(128, 128, 128) ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 10);
    EXPECT_EQ(photo.pixelColor(200, 200), QColor(128, 128, 128));
}

TEST(AnnotatedPictureTest, OnALargePhotoCirclesCrossesAndLinesGrowTogether) {
    // 3000 pixels on the short side: everything three times its screen size.
    const QImage photo = Grey({4000, 3000});
    MarkOverlay overlay;
    overlay.AddCircle({1000, 1000}, 4, Qt::red, 1.0);
    overlay.AddLine({992, 1000}, {1008, 1000}, Qt::red, 1.0);  // an arm of its cross
    overlay.AddLine({2000, 500}, {2400, 500}, Qt::green, 1.0);
    const QImage out = AnnotatedPicture(photo, overlay);
    // The circle's radius is 12, not 4.
    EXPECT_EQ(out.pixelColor(1000, 988), QColor(255, 0, 0));
    EXPECT_EQ(out.pixelColor(1000, 996), QColor(128, 128, 128));
    // The arm reaches 24 pixels from the point, not 8.
    EXPECT_EQ(out.pixelColor(1022, 1000), QColor(255, 0, 0));
    // The line is three pixels wide and stays between its own ends.
    for (const int y : {499, 500, 501}) {
        EXPECT_EQ(out.pixelColor(2200, y), QColor(0, 255, 0)) << y;
    }
    EXPECT_EQ(out.pixelColor(2200, 504), QColor(128, 128, 128));
    EXPECT_EQ(out.pixelColor(2410, 500), QColor(128, 128, 128));
}

class AnnotatedSaveTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    testing::ScriptedWindowDialogs dialogs;
    AnnotatedPhotoExport exporter{dialogs};
    QImage photo = Grey({400, 300});
    MarkOverlay overlay;
};

TEST_F(AnnotatedSaveTest, TheTypeFollowsTheExtensionAndTheNameIsOfferedBesideThePhoto) {
    dialogs.files.push_back(dir.filePath(QStringLiteral("annotata.JPG")));
    exporter.Save(photo, overlay, dir.filePath(QStringLiteral("foto.jpg")));
    exporter.WaitUntilDone();
    ASSERT_EQ(dialogs.shown.back().kind, testing::ScriptedWindowDialogs::Shown::Save);
    EXPECT_EQ(dialogs.shown.back().text, dir.filePath(QStringLiteral("foto-misure.jpg")));
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("annotata.JPG")), "JPEG").size(), QSize(400, 300));
    EXPECT_EQ(AnnotatedName(QStringLiteral("/a/b.c/pesce.tar.jpg")),
              QStringLiteral("/a/b.c/pesce.tar-misure.jpg"));
}

TEST_F(AnnotatedSaveTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    const QString target = dir.filePath(QStringLiteral("vecchia.png"));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("il file di ieri");
    }
    QFile::setPermissions(target, QFileDevice::ReadOwner);
    dialogs.files.push_back(target);
    exporter.Save(photo, overlay, dir.filePath(QStringLiteral("foto.jpg")));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.startsWith("Impossibile salvare l'immagine annotata"));
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(target));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "il file di ieri");

    // A name the program cannot tell the type of.
    dialogs.shown.clear();
    dialogs.files.push_back(dir.filePath(QStringLiteral("senza-tipo.tif")));
    exporter.Save(photo, overlay, dir.filePath(QStringLiteral("foto.jpg")));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(".png, .jpg o .jpeg"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("senza-tipo.tif"))));

    // No photo: said, and no dialog.
    dialogs.shown.clear();
    exporter.Save(QImage(), overlay, QString());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.startsWith("Nessuna immagine da salvare"));
}

TEST_F(AnnotatedSaveTest, AFolderThatCannotBeWrittenIsSaidBeforeAnyEncoding) {
    // A large photo, so that encoding first would take seconds.
    const QImage large = Grey({6000, 4000});
    const QString folder = dir.filePath(QStringLiteral("chiusa"));
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const QString target = folder + QStringLiteral("/foto-misure.png");
    // As an ordinary user: root writes into any folder.
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(99);
        }
        dialogs.files.push_back(target);
        QElapsedTimer clock;
        clock.start();
        exporter.Save(large, overlay, dir.filePath(QStringLiteral("foto.jpg")));
        const bool said = dialogs.Messages().size() == 1 &&
                          dialogs.Messages()[0].text.contains(QStringLiteral("cartella"));
        // Encoding 24 megapixels as PNG takes seconds; the refusal, nothing.
        _exit(said ? (clock.elapsed() < 500 ? 0 : 2) : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(QFile::encodeName(folder).constData(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A picture no encoder can shrink much: every pixel different from the last.
QImage Noise(QSize size, QImage::Format format) {
    QImage image(size, format);
    quint32 seed = 2026;
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int a = format == QImage::Format_RGB32 ? 255 : int(seed >> 24) | (x % 3 == 0 ? 255 : 0);
            const QRgb straight = qRgba(int(seed >> 8) & 0xFF, (x + y) & 0xFF, int(seed >> 16) & 0xFF, a);
            row[x] = format == QImage::Format_ARGB32_Premultiplied ? qPremultiply(straight) : straight;
        }
    }
    return image;
}

QImage ReadPng(const std::vector<QByteArray>& pieces) {
    QByteArray file;
    for (const QByteArray& piece : pieces)
        file += piece;
    return QImage::fromData(file, "PNG");
}

// Bands deflated side by side must join into one stream any reader takes, with
// every pixel as it was, whatever the split, size or alpha.
TEST(PngWriterTest, EveryReaderGetsThePixelsBackWhateverTheBands) {
    struct Case {
        QSize size;
        QImage::Format format;
    } cases[] = {{{333, 251}, QImage::Format_RGB32},
                 {{64, 1}, QImage::Format_RGB32},
                 {{120, 97}, QImage::Format_ARGB32},
                 {{120, 97}, QImage::Format_ARGB32_Premultiplied}};
    for (const Case& c : cases) {
        QImage image = Noise(c.size, c.format);
        image.setDotsPerMeterX(7874);
        image.setDotsPerMeterY(3937);
        // What a reader gives back: straight alpha, or none.
        const QImage expected = image.convertToFormat(
            c.format == QImage::Format_RGB32 ? QImage::Format_RGB32 : QImage::Format_ARGB32);
        for (const int bands : {1, 2, 3, 8}) {
            // The progress window's figure: every row counted once encoded.
            EncodingProgress progress;
            const QImage back = ReadPng(EncodePng(image, bands, &progress));
            EXPECT_EQ(progress.rowsDone.load(), c.size.height()) << bands;
            ASSERT_FALSE(back.isNull()) << c.size.width() << " " << bands;
            EXPECT_EQ(back.convertToFormat(expected.format()), expected)
                << c.size.width() << "x" << c.size.height() << " in " << bands << " bands";
            EXPECT_EQ(back.hasAlphaChannel(), c.format != QImage::Format_RGB32);
            EXPECT_EQ(back.dotsPerMeterX(), 7874);
            EXPECT_EQ(back.dotsPerMeterY(), 3937);
        }
    }
}

// A long save runs beside the window: after the delay a progress window with
// its text; Annulla stops it, the old file stays as it was, no temporary is
// left, nothing is said. Left to run, the file reads back as the annotated
// picture.
TEST_F(AnnotatedSaveTest, AnnullaInTheProgressWindowLeavesTheOldFileAndNoTemporary) {
    const QImage large = Noise({3000, 2000}, QImage::Format_RGB32);
    overlay.AddLine({100, 200}, {2900, 1800}, QColor(0, 255, 0), 1.0);
    // A label in a font of the window's: the saving thread draws it in a font
    // of its own, to the same pixels.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    overlay.SetFont(font);
    overlay.AddLabel({100, 200}, {2900, 1800}, QStringLiteral("12,5 cm"), QColor(255, 0, 0), 1, 1.0);
    const QString target = dir.filePath(QStringLiteral("foto-misure.png"));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("il file di ieri");
    }
    exporter.SetProgressDelay(0);
    dialogs.cancelAtPercent = 0;
    dialogs.files.push_back(target);
    exporter.Save(large, overlay, dir.filePath(QStringLiteral("foto.jpg")));
    EXPECT_TRUE(exporter.Saving());  // Save returned with the work under way
    exporter.WaitUntilDone();
    EXPECT_EQ(dialogs.progressOpen, 0);  // the progress window went with the save
    ASSERT_EQ(dialogs.shown.back().kind, testing::ScriptedWindowDialogs::Shown::Progress);
    EXPECT_EQ(dialogs.shown.back().text, QStringLiteral("Salvataggio dell'immagine annotata…"));
    EXPECT_TRUE(dialogs.Messages().empty());
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "il file di ieri");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("foto-misure.png")});

    // Not cancelled: the same pixels as the annotated picture, read by Qt.
    dialogs.cancelAtPercent = -1;
    dialogs.files.push_back(target);
    exporter.Save(large, overlay, dir.filePath(QStringLiteral("foto.jpg")));
    exporter.WaitUntilDone();
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.lastPercent >= 0, true);
    const QImage saved(target, "PNG");
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), AnnotatedPicture(large, overlay));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// Annulla pressed while the finished file is being synced (seconds, for a
// large photo) is honoured: the old file stays. Pressed once the file has
// replaced the old one, a box says that the save is complete.
TEST_F(AnnotatedSaveTest, AnnullaIsHonouredUntilTheRenameAndSaidAfterIt) {
    const QString target = dir.filePath(QStringLiteral("foto-misure.jpg"));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("il file di ieri");
    }
    for (const SafeFile::CommitStep step : {SafeFile::CommitStep::Synced, SafeFile::CommitStep::Renamed}) {
        SafeFile::SetCommitHookForTests([step](SafeFile::CommitStep now, std::atomic<bool>& stop) {
            if (now == step) {
                stop = true;  // Annulla, just then
            }
        });
        dialogs.shown.clear();
        dialogs.files.push_back(target);
        exporter.Save(photo, overlay, dir.filePath(QStringLiteral("foto.jpg")));
        exporter.WaitUntilDone();
        SafeFile::SetCommitHookForTests({});
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        if (step == SafeFile::CommitStep::Synced) {
            EXPECT_EQ(content, "il file di ieri");
            EXPECT_TRUE(dialogs.Messages().empty());
        } else {
            EXPECT_TRUE(content.startsWith("\xff\xd8"));
            ASSERT_EQ(dialogs.Messages().size(), 1u);
            EXPECT_TRUE(dialogs.Messages()[0].text.startsWith(
                QStringLiteral("Il salvataggio era già completo quando è stato premuto Annulla")));
            EXPECT_TRUE(dialogs.Messages()[0].text.contains(target));
        }
    }
}

// The window may close while a save runs (the program is told to end): the
// thread is stopped and waited for, and leaves no temporary behind.
TEST_F(AnnotatedSaveTest, AnExportDestroyedMidSaveLeavesNoTemporary) {
    const QImage large = Noise({3000, 2000}, QImage::Format_RGB32);
    {
        AnnotatedPhotoExport early(dialogs);
        dialogs.files.push_back(dir.filePath(QStringLiteral("foto-misure.png")));
        early.Save(large, overlay, dir.filePath(QStringLiteral("foto.jpg")));
        ASSERT_TRUE(early.Saving());
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

}  // namespace
}  // namespace vardesca
