// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QDateTime>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <new>

#include "session/measure_record.h"
#include "tests/support/file_bytes.h"
#include "tests/support/form1_fixture.h"
#include "window/photo_record.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

using testing::ReadAll;

// The same marks and labels, where the record's three decimals of a pixel put
// them.
void ExpectSameMarks(const MarkOverlay& restored, const MarkOverlay& left) {
    const auto near = [](QPointF a, QPointF b) {
        return std::abs(a.x() - b.x()) < 1e-3 && std::abs(a.y() - b.y()) < 1e-3;
    };
    ASSERT_EQ(restored.Marks().size(), left.Marks().size());
    for (std::size_t i = 0; i < left.Marks().size(); ++i) {
        const MarkOverlay::Mark& r = restored.Marks()[i];
        const MarkOverlay::Mark& l = left.Marks()[i];
        EXPECT_TRUE(r.circle == l.circle && r.arm == l.arm && r.colour == l.colour &&
                    r.radius == l.radius && near(r.a, l.a) && near(r.b, l.b) &&
                    near(r.centre, l.centre))
            << "mark " << i;
    }
    ASSERT_EQ(restored.Labels().size(), left.Labels().size());
    for (std::size_t i = 0; i < left.Labels().size(); ++i) {
        const MarkOverlay::Label& r = restored.Labels()[i];
        const MarkOverlay::Label& l = left.Labels()[i];
        EXPECT_TRUE(r.text == l.text && r.key == l.key && r.colour == l.colour && near(r.a, l.a) &&
                    near(r.b, l.b))
            << "label " << i << " " << r.text.toStdString() << " " << l.text.toStdString();
    }
}

// A folder of three photos measured in one window; later windows, as new
// starts of the program, come back to them.
class Form1RecordTest : public testing::Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        for (int i = 1; i <= 3; ++i) {
            QImage image(400 + 10 * i, 300, QImage::Format_RGB32);
            image.fill(qRgb(40 * i, 128, 128));
            photos << dir.filePath(QStringLiteral("IMG_%1.png").arg(i));
            ASSERT_TRUE(image.save(photos.back(), "PNG"));
        }
        record = dir.filePath(QString::fromUtf8(kRecordFileName));
    }
    static void Click(Form1& w, QPointF p) {
        w.picPicture_MouseDown(static_cast<float>(p.x() * 15), static_cast<float>(p.y() * 15));
    }
    // References of 100 px for 2 cm and 50 px for 1 cm: 50 px a cm.
    static void Calibrate(Form1& w, testing::ScriptedWindowDialogs& d) {
        w.Inizia_Click();
        d.inputs = {"2", "1"};
        for (const QPointF p :
             {QPointF(10, 10), QPointF(110, 10), QPointF(10, 20), QPointF(60, 20)}) {
            Click(w, p);
        }
        ASSERT_EQ(w.Desk().Engine().azione(), MeasureEngine::Measuring);
    }
    static void Measure(Form1& w, QPointF a, QPointF b) {
        Click(w, a);
        Click(w, b);
    }
    static void Move(Form1& w, PointId point, QPointF to) {
        ActionArgs move;
        move.point = point;
        move.x = static_cast<float>(to.x() * 15);
        move.y = static_cast<float>(to.y() * 15);
        w.Actions().Perform(UserAction::MovePoint, move);
    }
    // The event loop turns, as it does between two clicks: the record is
    // written then.
    static void Settle(Form1& /*w*/) {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    [[nodiscard]] QStringList RecordLines() const {
        return QString::fromUtf8(ReadAll(record)).split(QStringLiteral("\r\n"));
    }

    QStringList photos;
    QString record;
};

// The session over three photos, then a new program that goes back to the
// second: the same marks and labels, the scale, the next number, the table's
// rows, the selected point; the box as the user has it, and nothing to undo.
TEST_F(Form1RecordTest, ANewProgramGoesBackToAMeasuredPhoto) {
    MarkOverlay shown;
    std::vector<TableRow> rowsOfTwo;
    for (int i = 0; i < 3; ++i) {
        Open(photos[i]);
        Calibrate(window, dialogs);
        Measure(window, {100.0, 100.0 + i}, {200.0 + 10 * i, 100.0});
        if (i == 1) {
            Measure(window, {50, 200}, {300, 250});
            Move(window, {PointId::Pair::Measurement, 1, 1}, {250, 110});
            shown = window.picPicture->Overlay();
            rowsOfTwo = window.Desk().Table().Rows();
            rowsOfTwo.erase(rowsOfTwo.begin());
        }
    }
    const std::string text = window.Text1->GetText();
    Settle(window);
    // Rows in another order (sorted in a spreadsheet) come back all the same.
    QStringList lines = RecordLines();
    std::reverse(lines.begin() + 2, lines.end() - 1);
    {
        QFile rewritten(record);
        ASSERT_TRUE(rewritten.open(QIODevice::WriteOnly | QIODevice::Truncate));
        rewritten.write(lines.join(QStringLiteral("\r\n")).toUtf8());
    }

    testing::ScriptedWindowDialogs otherDialogs;
    Form1 again(otherDialogs, locale);
    again.show();
    again.Text1->SetText("appunti\r\n");
    otherDialogs.files.push_back(photos[1]);
    again.cmdOpen_Click();
    const MeasureEngine& engine = again.Desk().Engine();
    EXPECT_EQ(again.windowTitle(),
              QStringLiteral("Vardesca [%1] — 50,00 px/cm, riferimenti ±0,0 %").arg(photos[1]));
    ExpectSameMarks(again.picPicture->Overlay(), shown);
    EXPECT_EQ(again.picPicture->LabelCount(), 4U);
    EXPECT_EQ(again.Text1->GetText(), "appunti\r\n");
    EXPECT_FALSE(engine.CanUndo());
    EXPECT_EQ(engine.LastPoint(), (PointId{PointId::Pair::Measurement, 1, 1}));
    const std::vector<TableRow>& rows = again.Desk().Table().Rows();
    ASSERT_EQ(rows.size(), 2U);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].number, rowsOfTwo[i].number);
        EXPECT_EQ(rows[i].length, rowsOfTwo[i].length);
        EXPECT_NEAR(rows[i].x1, rowsOfTwo[i].x1, 0.0005);
    }
    Measure(again, {20, 250}, {120, 250});
    EXPECT_EQ(again.Text1->GetText(), "appunti\r\n3\t2\r\n");
    for (const auto& box : otherDialogs.Messages()) {
        ADD_FAILURE() << box.title.toStdString() << ": " << box.text.toStdString();
    }
    EXPECT_EQ(otherDialogs.unexpected, 0);
    EXPECT_EQ(window.Text1->GetText(), text);
}

// A moved point rewrites its own row and nothing else; Resetta takes the
// photo's rows away and leaves the others.
TEST_F(Form1RecordTest, AMovedPointRewritesOnlyItsRowAndResettaTakesThePhotosRows) {
    Open(photos[0]);
    Calibrate(window, dialogs);
    Measure(window, {100, 100}, {200, 100});
    Open(photos[1]);
    Calibrate(window, dialogs);
    Measure(window, {100, 100}, {200, 100});
    Measure(window, {100, 150}, {150, 150});
    Settle(window);
    const QStringList before = RecordLines();
    ASSERT_EQ(before.size(), 2 + 3 + 4 + 1) << ReadAll(record).toStdString();

    Move(window, {PointId::Pair::Measurement, 2, 1}, {175, 150});
    Settle(window);
    const QStringList after = RecordLines();
    ASSERT_EQ(after.size(), before.size());
    int differing = 0;
    for (qsizetype i = 0; i < after.size(); ++i) {
        if (after[i] != before[i]) {
            ++differing;
            EXPECT_TRUE(after[i].startsWith(
                QStringLiteral("IMG_2.png;misura;2;1,50;100,000;150,000;175,000;")))
                << after[i].toStdString();
        }
    }
    EXPECT_EQ(differing, 1);

    dialogs.answers = {Answer::Ok};
    window.Resetta_Click();
    Settle(window);
    const QStringList reset = RecordLines();
    ASSERT_EQ(reset.size(), 2 + 3 + 1);
    EXPECT_TRUE(reset[2].startsWith(QStringLiteral("IMG_1.png;riferimento;1;2;")));
}

// Two windows measuring in one folder, each its own photo, one after the
// other: neither loses the other's rows.
TEST_F(Form1RecordTest, TwoWindowsInOneFolderKeepEachOthersRows) {
    testing::ScriptedWindowDialogs otherDialogs;
    Form1 other(otherDialogs, locale);
    Open(photos[0]);
    otherDialogs.files.push_back(photos[2]);
    other.cmdOpen_Click();
    Calibrate(window, dialogs);
    Calibrate(other, otherDialogs);
    for (int i = 0; i < 3; ++i) {
        Measure(window, {100, 100 + 10.0 * i}, {200, 100});
        Settle(window);
        Measure(other, {100, 100 + 10.0 * i}, {300, 100});
        Settle(other);
    }
    const QString lines = QString::fromUtf8(ReadAll(record));
    EXPECT_EQ(lines.count(QStringLiteral("IMG_1.png;misura;")), 3);
    EXPECT_EQ(lines.count(QStringLiteral("IMG_3.png;misura;")), 3);
    EXPECT_EQ(lines.count(QStringLiteral(";riferimento;")), 4);
}

// A folder that cannot be written: the record goes to the data folder, the
// caption says where once, and the photo comes back from it.
TEST_F(Form1RecordTest, AReadOnlyFolderKeepsItsRecordElsewhereAndSaysSoOnce) {
    const QString elsewhere = FallbackRecordPath(dir.path());
    const PhotoRecord::PlaceHook before =
        PhotoRecord::SetPlaceForTests([&](const QString& folder) -> std::optional<RecordPlace> {
            if (folder != dir.path()) {
                return std::nullopt;
            }
            return RecordPlace{elsewhere, false, record};
        });
    Open(photos[0]);
    Calibrate(window, dialogs);
    Settle(window);
    const QString note = QStringLiteral(" — misure registrate in %1").arg(elsewhere);
    EXPECT_TRUE(window.windowTitle().endsWith(note)) << window.windowTitle().toStdString();
    Measure(window, {100, 100}, {200, 100});
    Settle(window);
    EXPECT_TRUE(window.windowTitle().endsWith(note)) << "kept while the photo is shown";
    Open(photos[1]);
    Calibrate(window, dialogs);
    Settle(window);
    EXPECT_FALSE(window.windowTitle().contains(note)) << "said once";
    EXPECT_FALSE(QFile::exists(record));
    Open(photos[0]);
    EXPECT_EQ(window.Desk().Engine().n(), 1);
    EXPECT_EQ(ReadAll(elsewhere).count("IMG_1.png;"), 3);
    PhotoRecord::SetPlaceForTests(before);
}

// A photo changed since it was measured (cropped, rotated, saved again):
// asked first; No shows it bare and keeps its rows until it is measured
// again, Sì shows the measurements.
TEST_F(Form1RecordTest, AChangedPhotoIsAskedAboutFirst) {
    Open(photos[0]);
    Calibrate(window, dialogs);
    Measure(window, {100, 100}, {200, 100});
    Open(photos[1]);
    const QByteArray kept = ReadAll(record);
    {
        QFile photo(photos[0]);
        ASSERT_TRUE(photo.open(QIODevice::ReadWrite));
        ASSERT_TRUE(photo.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                      QFileDevice::FileModificationTime));
    }
    dialogs.shown.clear();
    dialogs.answers = {Answer::No};
    Open(photos[0]);
    ASSERT_EQ(dialogs.Messages().size(), 1U);
    EXPECT_EQ(dialogs.Messages()[0].title, QStringLiteral("Foto cambiata"));
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Idle);
    EXPECT_EQ(window.picPicture->MarkCount(), 0U);
    Open(photos[1]);
    EXPECT_EQ(ReadAll(record), kept) << "left as they were";

    dialogs.answers = {Answer::Yes};
    Open(photos[0]);
    EXPECT_EQ(window.Desk().Engine().n(), 1);
    EXPECT_EQ(window.Desk().Engine().azione(), MeasureEngine::Measuring);
    EXPECT_EQ(dialogs.unexpected, 0);
}

// A record that cannot be read is set aside with a box, never written over,
// and the photo measured anew starts a new one.
TEST_F(Form1RecordTest, ADamagedRecordIsSetAsideWithABox) {
    const QByteArray damaged = "vardesca-misure;1\r\n\"foto";
    {
        QFile file(record);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    Open(photos[0]);
    ASSERT_EQ(dialogs.Messages().size(), 1U);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QStringLiteral("messo da parte 1")));
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("misure-vardesca (messo da parte 1).csv"))),
              damaged);
    Calibrate(window, dialogs);
    Settle(window);
    EXPECT_TRUE(ReadAll(record).startsWith("vardesca-misure;1\r\n"));
    EXPECT_EQ(ReadRecord(ReadAll(record)).rows.size(), 2U);
}

// Out of memory while the record is written, from the event loop where no
// action's guard stands: a box says so, and the measuring and the box stay.
TEST_F(Form1RecordTest, OutOfMemoryWhileWritingTheRecordEndsAsABox) {
    Open(photos[0]);
    const PhotoRecord::PlaceHook before = PhotoRecord::SetPlaceForTests(
        [](const QString&) -> std::optional<RecordPlace> { throw std::bad_alloc(); });
    Calibrate(window, dialogs);
    Measure(window, {100, 100}, {200, 100});
    dialogs.shown.clear();
    Settle(window);
    PhotoRecord::SetPlaceForTests(before);
    ASSERT_EQ(dialogs.Messages().size(), 1U);
    EXPECT_TRUE(dialogs.Messages()[0].text.contains(QStringLiteral("memoria insufficiente")));
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n");
    EXPECT_EQ(window.Desk().Engine().n(), 1);
    Measure(window, {100, 150}, {150, 150});
    Settle(window);
    EXPECT_EQ(ReadRecord(ReadAll(record)).rows.size(), 4U) << "written again at the next change";
}

}  // namespace
}  // namespace vardesca
