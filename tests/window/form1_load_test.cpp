// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "tests/support/form1_fixture.h"
#include "text/qt_locale_numbers.h"
#include "window/app_text.h"
#include "window/form1.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

class Form1LoadTest : public testing::Form1Fixture {
  protected:
    // A picture of w × h pixels, saved as PNG.
    QString MakePicture(const QString& name, int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(qRgb(200, 220, 240));
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    // Calibrates with k = 675 twips a cm, clicking at the given surface twips.
    void Calibrate() {
        window.Inizia_Click();
        dialogs.inputs = {"2", "3"};
        for (const auto& [x, y] : {std::pair{0.f, 0.f}, {1500.f, 0.f}, {0.f, 0.f}, {0.f, 1800.f}}) {
            window.picPicture_MouseDown(x, y);
        }
        ASSERT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    }

    // The caption once Calibrate() has run: 675 twips a cm is 45 pixels a cm; the
    // references gave 750 and 600, each 11,1 % from their mean.
    static QString CalibratedCaption(const QString& path) {
        return QStringLiteral("Vardesca [%1] — 45,00 px/cm, riferimenti ±11,1 %").arg(path);
    }

    int ViewportWidth() const { return window.picContainer->width() * 15; }
};

TEST_F(Form1LoadTest, FirstLoadShowsThePictureAndClearsTheInstructions) {
    const QString path = MakePicture(QStringLiteral("pesce.png"), 200, 100);
    Open(path);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Apri");
    // Today's five kinds first and as they were, then the other kinds Qt reads.
    const QStringList filters = dialogs.shown[0].filters;
    ASSERT_EQ(filters.size(), 6);
    EXPECT_EQ(filters.mid(0, 5), QStringList({"jpg (*.jpg *.jpeg)", "gif (*.gif)", "bmp (*.bmp)",
                                              "ico (*.ico)", "wmf (*.wmf)"}));
    EXPECT_TRUE(filters[5].contains("*.png") && filters[5].contains("*.webp"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardesca [%1]").arg(path));
    EXPECT_EQ(window.Text1->GetText(), "");
    EXPECT_EQ(window.picPicture->size(), QSize(200, 100));
    EXPECT_EQ(window.picPicture->pos(), QPoint(0, 0));
    EXPECT_EQ(window.picPicture->WidthTwips(), 3000);
    EXPECT_TRUE(window.Inizia->isEnabled());
    EXPECT_FALSE(window.Resetta->isEnabled());
    // Smaller than the viewport: both bars off, Max = w − W (negative).
    EXPECT_FALSE(window.HScroll1->isEnabled());
    EXPECT_EQ(window.Viewport().HRange().max, 3000 - ViewportWidth());
    EXPECT_FALSE(window.VScroll1->isEnabled());
}

TEST_F(Form1LoadTest, OnlyTheExactStartupWordsAreCleared) {
    const QString path = MakePicture(QStringLiteral("a.png"), 10, 10);
    for (const char* text : {"le misure prese", " Le misure", "Le misur"}) {
        window.Text1->SetText(text);
        Open(path);
        EXPECT_EQ(window.Text1->GetText(), text);
    }
    window.Text1->SetText("Le misure mie");
    Open(path);
    EXPECT_EQ(window.Text1->GetText(), "");
}

TEST_F(Form1LoadTest, ScrollBarsFollowTheViewportAtLoadTime) {
    const int vw = window.picContainer->width();
    const int vh = window.picContainer->height();
    // Exactly as wide as the viewport: off, Max 0. One pixel wider: on.
    Open(MakePicture(QStringLiteral("uguale.png"), vw, vh + 1));
    EXPECT_FALSE(window.HScroll1->isEnabled());
    EXPECT_EQ(window.Viewport().HRange().max, 0);
    EXPECT_TRUE(window.VScroll1->isEnabled());
    EXPECT_EQ(window.Viewport().VRange().max, 15);
    EXPECT_EQ(window.VScroll1->maximum(), 15);

    // A 48-megapixel-wide picture: the range is not cut at 16 bits.
    Open(MakePicture(QStringLiteral("larga.png"), 8000, 20));
    EXPECT_TRUE(window.HScroll1->isEnabled());
    EXPECT_EQ(window.HScroll1->maximum(), 8000 * 15 - vw * 15);
}

TEST_F(Form1LoadTest, ScrollingMovesThePictureAndMeasurementsStayTrue) {
    Open(MakePicture(QStringLiteral("grande.png"), 2000, 1500));
    Calibrate();
    window.Text1->SetText("");
    window.picPicture_MouseDown(0, 0);
    window.HScroll1->setValue(3000);
    EXPECT_EQ(window.picPicture->LeftTwips(), -3000);
    EXPECT_EQ(window.picPicture->pos().x(), -200);
    window.VScroll1->setValue(1500);
    EXPECT_EQ(window.picPicture->TopTwips(), -1500);
    EXPECT_EQ(window.picPicture->LeftTwips(), -3000);  // vertical never moves Left
    // A real click on the scrolled surface still lands in picture coordinates.
    QTest::mouseClick(window.picPicture, Qt::LeftButton, {}, QPoint(60, 80));
    EXPECT_EQ(window.Text1->GetText(), "1\t2,22\r\n");

    // A drag follows the thumb.
    window.HScroll1->setSliderDown(true);
    window.HScroll1->setSliderPosition(4000);
    EXPECT_EQ(window.picPicture->LeftTwips(), -4000);
    window.HScroll1->setSliderDown(false);
}

TEST_F(Form1LoadTest, NewLoadPutsThePictureAtTheCornerAndKeepsTheThumbs) {
    Open(MakePicture(QStringLiteral("grande.png"), 2000, 1500));
    window.HScroll1->setValue(3000);
    Open(MakePicture(QStringLiteral("altra.png"), 2000, 1500));
    EXPECT_EQ(window.picPicture->LeftTwips(), 0);
    EXPECT_EQ(window.HScroll1->value(), 3000);
    window.HScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(window.picPicture->LeftTwips(), -3500);
}

TEST_F(Form1LoadTest, LoadingEndsCalibrationAndMeasuringButKeepsResults) {
    Open(MakePicture(QStringLiteral("uno.png"), 300, 300));
    Calibrate();
    window.picPicture_MouseDown(0, 0);
    window.picPicture_MouseDown(900, 1200);
    window.picPicture_MouseDown(10, 10);  // half a pair
    Open(MakePicture(QStringLiteral("due.png"), 300, 300));
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Idle);
    EXPECT_EQ(window.Desk().Engine().punti(), 0);
    EXPECT_EQ(window.Desk().Engine().n(), 0);
    EXPECT_TRUE(window.Inizia->isEnabled());
    EXPECT_EQ(window.Text1->GetText(), "1\t2,22\r\n");
    EXPECT_EQ(window.picPicture->MarkCount(), 0u);
}

TEST_F(Form1LoadTest, CancelledOpenDialogChangesNothing) {
    const QString path = MakePicture(QStringLiteral("uno.png"), 300, 300);
    Open(path);
    Calibrate();
    const std::size_t marks = window.picPicture->MarkCount();
    dialogs.files.push_back(QString());  // cancelled
    window.cmdOpen_Click();
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    EXPECT_EQ(window.picPicture->MarkCount(), marks);
    EXPECT_EQ(window.windowTitle(), CalibratedCaption(path));
}

TEST_F(Form1LoadTest, AFileThatIsNotAPictureIsReportedAndNothingIsLost) {
    const QString good = MakePicture(QStringLiteral("uno.png"), 2000, 1500);
    Open(good);
    Calibrate();
    window.Text1->SetText("1\t2,22\r\nnota");
    window.HScroll1->setValue(500);
    const std::size_t marks = window.picPicture->MarkCount();
    const ScrollRange h = window.Viewport().HRange();

    QFile text(dir.filePath(QStringLiteral("finta.jpg")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("non sono una foto");
    text.close();
    for (const QString& bad :
         {text.fileName(), dir.filePath(QStringLiteral("manca.jpg")), dir.path(),
          QStringLiteral(VARDESCA_TESTDATA "/bad/jpg-sof-65535x65535.jpg")}) {
        dialogs.shown.clear();
        Open(bad);
        ASSERT_EQ(dialogs.Messages().size(), 1u) << bad.toStdString();
        EXPECT_TRUE(dialogs.Messages()[0].text.startsWith("Impossibile aprire l'immagine"));
        EXPECT_TRUE(dialogs.Messages()[0].text.contains(bad));
        EXPECT_EQ(window.windowTitle(), CalibratedCaption(good));
        EXPECT_EQ(window.Text1->GetText(), "1\t2,22\r\nnota");
        EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
        EXPECT_EQ(window.picPicture->MarkCount(), marks);
        EXPECT_EQ(window.picPicture->size(), QSize(2000, 1500));
        EXPECT_EQ(window.Viewport().HRange(), h);
        EXPECT_EQ(window.HScroll1->value(), 500);
    }
}

// "vardesca FOTO", a file manager's "Apri con" and a drop open a photo as the
// button does, with no dialog; a bad one is said the same way.
TEST_F(Form1LoadTest, APhotoNamedFromOutsideOpensAsFromTheDialog) {
    const QString good = MakePicture(QStringLiteral("uno.png"), 300, 200);
    QDir::setCurrent(dir.path());
    window.OpenPicture(QStringLiteral("uno.png"));  // relative, as typed in a terminal
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardesca [%1]").arg(good));
    EXPECT_EQ(window.Text1->GetText(), "");  // the instructions cleared, as at a first load
    window.OpenPicture(dir.filePath(QStringLiteral("manca.jpg")));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.startsWith("Impossibile aprire l'immagine"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardesca [%1]").arg(good));

    // Dropped on the window: a local file opens; a web address is not taken.
    const QString other = MakePicture(QStringLiteral("due.png"), 400, 300);
    const auto drop = [this](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &enter);
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &dropped);
        return enter.isAccepted();
    };
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/foto.jpg"))}));
    EXPECT_EQ(window.picPicture->size(), QSize(300, 200));
    EXPECT_TRUE(drop({QUrl::fromLocalFile(other)}));
    EXPECT_EQ(window.picPicture->size(), QSize(400, 300));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardesca [%1]").arg(other));
    // A web address first and a photo of the disk after it: the photo opens.
    EXPECT_TRUE(
        drop({QUrl(QStringLiteral("https://example.org/foto.jpg")), QUrl::fromLocalFile(good)}));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardesca [%1]").arg(good));
}

// Where a GIF, a PNG or an icon is transparent, the photo shows white, as on
// a sheet of paper; on screen and in the loupe alike.
TEST_F(Form1LoadTest, TransparentPartsShowWhite) {
    QImage clear(60, 40, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    clear.setPixel(0, 0, qRgba(200, 0, 0, 255));
    const QString png = dir.filePath(QStringLiteral("chiara.png"));
    ASSERT_TRUE(clear.save(png, "PNG"));
    for (const QString& path :
         {png, QStringLiteral(VARDESCA_TESTDATA "/good/gif-transparent-200x150.gif"),
          QStringLiteral(VARDESCA_TESTDATA "/good/ico-multisize-3-32bpp.ico")}) {
        Open(path);
        const QImage& picture = window.picPicture->Picture();
        ASSERT_TRUE(picture.hasAlphaChannel()) << path.toStdString();
        QPoint see(-1, -1);
        for (int y = 0; y < picture.height() && see.x() < 0; ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (qAlpha(picture.pixel(x, y)) == 0) {
                    see = QPoint(x, y);
                    break;
                }
            }
        }
        ASSERT_GE(see.x(), 0) << path.toStdString();
        const QImage shown = window.picPicture->grab().toImage();
        EXPECT_EQ(shown.pixelColor(see), QColor(Qt::white)) << path.toStdString();
        QImage loupe(8, 8, QImage::Format_RGB32);
        loupe.fill(Qt::black);
        QPainter painter(&loupe);
        painter.translate(-see.x(), -see.y());
        window.picPicture->RenderArea(painter, QRectF(see, QSizeF(8, 8)), 1.0);
        painter.end();
        EXPECT_EQ(loupe.pixelColor(0, 0), QColor(Qt::white)) << path.toStdString();
    }
}

TEST_F(Form1LoadTest, ADamagedPictureOpensWithAWarningAndCanBeMeasured) {
    const QString path = QStringLiteral(VARDESCA_TESTDATA "/bad/bmp-truncated-half.bmp");
    Open(path);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    const auto warning = dialogs.Messages()[0];
    EXPECT_TRUE(
        warning.text.startsWith("L'immagine è danneggiata o incompleta: una parte può mancare"));
    EXPECT_TRUE(warning.text.contains(path));
    EXPECT_TRUE(warning.text.contains("più corto di quanto dichiara"));
    EXPECT_EQ(warning.icon, WindowDialogs::Icon::Warning);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardesca [%1]").arg(path));
    Calibrate();
    window.Text1->SetText("");
    window.picPicture_MouseDown(0, 0);
    window.picPicture_MouseDown(675, 0);
    EXPECT_EQ(window.Text1->GetText(), "1\t1\r\n");
    // A sound picture says nothing.
    dialogs.shown.clear();
    Open(QStringLiteral(VARDESCA_TESTDATA "/good/bmp-rgb24.bmp"));
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(Form1LoadTest, ResetAnsweredCancelChangesNothing) {
    Open(MakePicture(QStringLiteral("uno.png"), 300, 300));
    Calibrate();
    window.Text1->SetText("1\t2\r\n");
    dialogs.shown.clear();
    dialogs.answers = {Answer::Cancel};
    window.Resetta_Click();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "Vuoi veramente resettare?");
    EXPECT_EQ(dialogs.Messages()[0].title, "Attenzione");
    EXPECT_EQ(dialogs.Messages()[0].buttons, WindowDialogs::Buttons::OkCancel);
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    EXPECT_EQ(window.picPicture->MarkCount(), 7u * 2);
}

TEST_F(Form1LoadTest, ResetBringsTheCleanPictureBackEvenIfTheFileIsGone) {
    const QString path = MakePicture(QStringLiteral("uno.png"), 300, 300);
    Open(path);
    Calibrate();
    window.picPicture_MouseDown(0, 0);
    window.picPicture_MouseDown(900, 1200);
    ASSERT_TRUE(QFile::remove(path));
    dialogs.answers = {Answer::Ok};
    window.Resetta_Click();
    EXPECT_EQ(window.Text1->GetText(), "");
    EXPECT_EQ(window.picPicture->MarkCount(), 0u);
    EXPECT_EQ(window.picPicture->size(), QSize(300, 300));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardesca [%1]").arg(path));
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Idle);
    EXPECT_TRUE(window.Inizia->isEnabled());
    EXPECT_FALSE(window.Resetta->isEnabled());
}

}  // namespace
}  // namespace vardesca
