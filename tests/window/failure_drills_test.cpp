// SPDX-License-Identifier: GPL-3.0-or-later
// Things going wrong while the user works: each time the message is Italian and
// names the trouble, and the window, the picture, the measuring state and the
// results text are exactly as they were.
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>
#include <string>

#include "engine/measure_engine.h"
#include "tests/support/scripted_window_dialogs.h"
#include "text/qt_locale_numbers.h"
#include "window/form1.h"

namespace vardesca {
namespace {

class FailureDrillTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString MakePicture(const QString& name, int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    void Open(Form1& window, const QString& path) {
        dialogs.files.push_back(path);
        window.cmdOpen_Click();
    }

    void Calibrate(Form1& window, std::deque<QString> replies) {
        window.Inizia_Click();
        dialogs.inputs = std::move(replies);
        // The references disagree (750 and 600 twips a cm): the scale is kept.
        dialogs.answers.push_back(WindowDialogs::Answer::No);
        for (const auto& [x, y] : {std::pair{0.f, 0.f}, {1500.f, 0.f}, {0.f, 0.f}, {0.f, 1800.f}}) {
            window.picPicture_MouseDown(x, y);
        }
    }

    // Snapshot of everything a failure must leave alone.
    struct State {
        QString title;
        std::string text;
        std::int16_t azione, punti, n;
        float k;
        std::size_t marks;
        QSize picture;
        bool operator==(const State&) const = default;
    };
    static State Snapshot(Form1& w) {
        return {w.windowTitle(),           w.Text1->GetText(),    w.Desk().Engine().azione(),
                w.Desk().Engine().punti(), w.Desk().Engine().n(), w.Desk().Engine().k(),
                w.picPicture->MarkCount(), w.picPicture->size()};
    }

    QTemporaryDir dir;
    testing::ScriptedWindowDialogs dialogs;
};

TEST_F(FailureDrillTest, FileReplacedByGarbageOrAFifoBetweenLoads) {
    const QtLocaleNumbers italian(QLocale(QLocale::Italian, QLocale::Italy));
    Form1 window(dialogs, italian);
    const QString path = MakePicture(QStringLiteral("foto.bmp"), 400, 300);
    Open(window, path);
    Calibrate(window, {"2", "3"});
    window.picPicture_MouseDown(10, 10);  // halfway through a measurement
    window.Text1->SetText("1\t2,22\r\nnota");
    const State before = Snapshot(window);

    {
        QFile garbage(path);
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
        garbage.write(QByteArray("BM") + QByteArray(60, '\xff'));
    }
    const QString fifo = dir.filePath(QStringLiteral("coda.bmp"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& bad : {path, fifo, dir.path()}) {
        dialogs.shown.clear();
        Open(window, bad);
        ASSERT_EQ(dialogs.Messages().size(), 1u);
        EXPECT_TRUE(dialogs.Messages()[0].text.startsWith("Impossibile aprire l'immagine"));
        EXPECT_TRUE(dialogs.Messages()[0].text.contains(bad));
        EXPECT_EQ(Snapshot(window), before) << bad.toStdString();
    }
    // The measurement in progress still completes.
    window.picPicture_MouseDown(10, 1360);
    EXPECT_EQ(window.Text1->GetText(), "1\t2,22\r\nnota1\t2\r\n");
}

struct ReplyCase {
    const char* lang;
    std::deque<QString> replies;
    int refusals;
    float k;
};

// Named by its language, so that a test's name is the same in every build.
void PrintTo(const ReplyCase& c, std::ostream* out) {
    *out << c.lang;
}

class ReplyDrillTest : public FailureDrillTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyDrillTest, UnusableRepliesAreAskedAgain) {
    const ReplyCase& c = GetParam();
    const QtLocaleNumbers locale{QLocale(QString::fromLatin1(c.lang))};
    Form1 window(dialogs, locale);
    Open(window, MakePicture(QStringLiteral("foto.bmp"), 400, 300));
    window.Text1->SetText("dati");
    Calibrate(window, c.replies);
    int refusals = 0;
    for (const auto& m : dialogs.Messages()) {
        if (m.text.startsWith("Valore non valido"))
            ++refusals;
    }
    EXPECT_EQ(refusals, c.refusals);
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    EXPECT_FLOAT_EQ(window.Desk().Engine().k(), c.k);
    EXPECT_EQ(window.Text1->GetText(), "dati");
    EXPECT_EQ(dialogs.unexpected, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyDrillTest,
    ::testing::Values(
        // 1500 twips for 2,5 cm = 600; 1800 twips for 2.5 cm = 720; mean 660.
        ReplyCase{"it_IT", {"1e39", "nan", "-0", " 2,5 ", "2,5,5", "2.5"}, 4, 660},
        // In English "2,5" is no number at all, never 25.
        ReplyCase{"en_US", {"1e39", " 2,5 ", "nan", "2.5", "-0", "2,5,5", "2.5"}, 5, 660}),
    [](const ::testing::TestParamInfo<ReplyCase>& param) { return std::string(param.param.lang); });

TEST_F(FailureDrillTest, TheMeasurementAfterTheLastOneIsRefusedAndNothingIsLost) {
    const QtLocaleNumbers italian(QLocale(QLocale::Italian, QLocale::Italy));
    Form1 window(dialogs, italian);
    Open(window, MakePicture(QStringLiteral("foto.bmp"), 400, 300));
    Calibrate(window, {"2", "3"});
    for (int i = 0; i < MeasureEngine::kMaxResults; ++i) {
        window.picPicture_MouseDown(0, 0);
        window.picPicture_MouseDown(675, 0);
    }
    const std::string all = window.Text1->GetText();
    ASSERT_EQ(window.Desk().Engine().n(), 32767);
    EXPECT_TRUE(all.ends_with("32766\t1\r\n32767\t1\r\n"));
    dialogs.shown.clear();
    window.picPicture_MouseDown(0, 0);
    window.picPicture_MouseDown(675, 0);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains("32767"));
    EXPECT_TRUE(dialogs.Messages()[0].text.contains("Resetta misurazioni"));
    EXPECT_EQ(window.Text1->GetText(), all);
    EXPECT_EQ(window.Desk().Engine().n(), 32767);
    EXPECT_EQ(window.Desk().Engine().punti(), 0);
}

}  // namespace
}  // namespace vardesca
