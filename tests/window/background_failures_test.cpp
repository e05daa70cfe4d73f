// SPDX-License-Identifier: GPL-3.0-or-later
// Out of memory where the program works beside the window (the JPEG's bands,
// the next photo decoded ahead, the annotated save, the reduced copies) ends as
// it would on the window's own thread: the photo still opens, the same Italian
// box is said, everything shown and measured stays; never the end of the
// program.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>

#include "picture/jpeg_decoder.h"
#include "picture/worker_threads.h"
#include "tests/support/failing_allocation.h"
#include "tests/support/form1_fixture.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

QByteArray NoiseJpeg(int width, int height) {
    QImage noise(width, height, QImage::Format_RGB32);
    std::uint32_t seed = 7;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(noise.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525U + 1013904223U;
            row[x] = 0xFF000000U | (seed >> 8);
        }
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    noise.save(&buffer, "JPEG", 95);
    return jpeg;
}

class BackgroundFailureTest : public testing::Form1Fixture {
  protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
};

TEST_F(BackgroundFailureTest, BandsOutOfMemoryGiveTheSamePicture) {
    const QByteArray jpeg = NoiseJpeg(1200, 900);
    const auto* data = reinterpret_cast<const uchar*>(jpeg.constData());
    const JpegDecode alone = DecodeJpegInBands(data, jpeg.size(), 1 << 30, 1, JpegBands::Fastest);
    ASSERT_EQ(alone.outcome, JpegDecode::Outcome::Decoded);
    JpegDecode banded;
    {
        testing::FailingAllocationsOffThisThread failing;
        banded = DecodeJpegInBands(data, jpeg.size(), 1 << 30, 3, JpegBands::Fastest);
    }
    ASSERT_EQ(banded.outcome, JpegDecode::Outcome::Decoded);
    EXPECT_EQ(banded.bands, alone.bands);  // read from the top, on this thread
    EXPECT_FALSE(banded.damaged);
    EXPECT_EQ(banded.image, alone.image);
}

// The next photo decoded ahead, in bands of its own, runs out of memory: the
// window reads it itself when it is asked for, and says nothing.
TEST_F(BackgroundFailureTest, APrefetchOutOfMemoryLeavesTheWindowToReadThePhoto) {
    const QString one = Write(QStringLiteral("IMG_1.jpg"), NoiseJpeg(600, 400));
    Write(QStringLiteral("IMG_2.jpg"), NoiseJpeg(1200, 900));
    {
        testing::FailingAllocationsOffThisThread failing;
        Open(one);
        window.Actions().Perform(UserAction::NextPhoto);
    }
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("IMG_2.jpg")));
    EXPECT_EQ(window.picPicture->Picture().width(), 1200);
    EXPECT_TRUE(dialogs.Messages().empty());
}

// The annotated save runs out of memory on its thread: the box the window's
// own save gives, the old file and the measurements kept, and measuring goes on.
TEST_F(BackgroundFailureTest, ASaveOutOfMemoryIsSaidAndKeepsEverything) {
    const QString one = Write(QStringLiteral("IMG_1.jpg"), NoiseJpeg(600, 400));
    Open(one);
    window.Inizia_Click();
    dialogs.inputs = {"2", "1"};
    for (const QPointF p : {QPointF(10, 10), QPointF(110, 10), QPointF(10, 20), QPointF(60, 20),
                            QPointF(100, 100), QPointF(200, 100)}) {
        window.picPicture_MouseDown(static_cast<float>(p.x() * 15), static_cast<float>(p.y() * 15));
    }
    const std::string text = window.Text1->GetText();
    const QString target = Write(QStringLiteral("IMG_1-misure.png"), "il file di ieri");
    dialogs.shown.clear();
    dialogs.files = {target};
    {
        testing::FailingAllocationsOffThisThread failing;
        window.Actions().Perform(UserAction::SaveAnnotatedPhoto);
        window.Exports().Annotated().WaitUntilDone();
    }
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(
        messages[0].text.startsWith(QStringLiteral("Impossibile salvare l'immagine annotata")));
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("memoria insufficiente")));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "il file di ieri");
    EXPECT_EQ(window.Text1->GetText(), text);
    EXPECT_EQ(window.picPicture->MarkCount() > 0, true);
    window.picPicture_MouseDown(100 * 15, 150 * 15);
    window.picPicture_MouseDown(300 * 15, 150 * 15);
    EXPECT_EQ(window.Desk().Table().Rows().size(), 2u);
}

// A reduced copy that cannot be made is not tried again and again (a thread
// and a repaint after another while the window is idle), only after a zoom
// change, when memory may have been freed.
TEST_F(BackgroundFailureTest, AReducedCopyOutOfMemoryIsNotRetriedUntilTheZoomChanges) {
    const QString big = Write(QStringLiteral("IMG_1.jpg"), NoiseJpeg(3000, 2000));
    Open(big);
    ImageSurface& surface = *window.picPicture;
    {
        testing::FailingAllocationsOffThisThread failing;
        window.Viewport().Fit();
        for (int i = 0; i < 200; ++i) {
            surface.repaint();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        EXPECT_LE(surface.ReductionsStarted(), 1);
        EXPECT_EQ(surface.ReducedCopies(), 0u);
    }
    // Memory back, a zoom step: made now.
    window.Viewport().ZoomOutStep();
    for (int i = 0; i < 2000 && surface.ReducedCopies() == 0; ++i) {
        surface.repaint();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_GT(surface.ReducedCopies(), 0u);
    EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
}  // namespace vardesca

namespace vardesca {
namespace {

// No thread to be had at all (a process at its limit): every piece of work
// that runs beside the window runs on it, or is done without, and none fails
// for it. The photo opens, the next is read when asked, the zoom's copies
// are made, the annotated PNG is saved whole and measuring carries on.
class NoThreadTest : public BackgroundFailureTest {
  protected:
    void SetUp() override {
        BackgroundFailureTest::SetUp();
        RefuseThreadsForTests(true);
    }
    void TearDown() override { RefuseThreadsForTests(false); }
};

TEST_F(NoThreadTest, EveryJobIsDoneOnTheWindowsThread) {
    const QString one = Write(QStringLiteral("IMG_1.jpg"), NoiseJpeg(900, 600));
    const QString two = Write(QStringLiteral("IMG_2.jpg"), NoiseJpeg(300, 200));
    Open(one);
    ASSERT_EQ(window.picPicture->Picture().size(), QSize(900, 600));
    // The next photo is not decoded here and now, which would double the
    // wait for this one: it is read when it is asked for.
    EXPECT_EQ(window.Photos().Prefetch().Path(), two);
    EXPECT_FALSE(window.Photos().Prefetch().Finished());
    window.Viewport().Fit();
    window.picContainer->repaint();
    window.Viewport().NaturalSize();

    window.Inizia_Click();
    dialogs.inputs = {"2", "1"};
    for (const QPointF p : {QPointF(10, 10), QPointF(110, 10), QPointF(10, 20), QPointF(60, 20),
                            QPointF(100, 100), QPointF(200, 100)}) {
        window.picPicture_MouseDown(static_cast<float>(p.x() * 15), static_cast<float>(p.y() * 15));
    }
    ASSERT_EQ(window.Desk().Table().Rows().size(), 1u);
    const QString target = dir.filePath(QStringLiteral("IMG_1-misure.png"));
    dialogs.shown.clear();
    dialogs.files = {target};
    window.Actions().Perform(UserAction::SaveAnnotatedPhoto);
    EXPECT_FALSE(window.Exports().Annotated().Saving());  // done before the call returned
    EXPECT_TRUE(dialogs.Messages().empty());
    QImage saved(target);
    ASSERT_EQ(saved.size(), QSize(900, 600));
    EXPECT_NE(saved.convertToFormat(QImage::Format_RGB32), window.picPicture->Picture());  // marked

    window.Actions().Perform(UserAction::NextPhoto);
    EXPECT_EQ(window.picPicture->Picture().size(), QSize(300, 200));
    EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
}  // namespace vardesca
