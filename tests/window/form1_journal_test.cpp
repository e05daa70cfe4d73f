// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QBuffer>
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

#include "commands/measurement_table.h"
#include "commands/safe_file.h"
#include "picture/system_name.h"
#include "tests/support/form1_fixture.h"
#include "window/session_start.h"

namespace vardesca {
namespace {

using Answer = WindowDialogs::Answer;

// A session journaled in one window and recovered in another, as after a kill.
class Form1JournalTest : public testing::Form1Fixture {
  protected:
    void SetUp() override {
        Form1Fixture::SetUp();
        one = Make(QStringLiteral("IMG_1.png"), Qt::red);
        two = Make(QStringLiteral("IMG_2.png"), Qt::green);
        Outcome why;
        journal = SessionJournal::Create(Folder(), why);
        ASSERT_TRUE(journal) << (why ? why->italian : "");
        window.Session().Use(journal.get());
    }

    QString Folder() const { return dir.filePath(QStringLiteral("stato")); }
    QString Make(const QString& name, QColor colour) {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    static void Click(Form1& w, float x, float y) { w.picPicture_MouseDown(x * 15, y * 15); }
    void Calibrate(std::deque<QString> replies, float second = 60) {
        window.Inizia_Click();
        dialogs.inputs = std::move(replies);
        Click(window, 10, 10);
        Click(window, 110, 10);
        Click(window, 10, 20);
        Click(window, second, 20);
    }
    // Calibrated with 2 and 1 cm, then one fish from (100, 100) to (`tail`, 100).
    void CalibrateAndMeasure(float tail) {
        Calibrate({"2", "1"});
        Click(window, 100, 100);
        Click(window, tail, 100);
    }
    // The first photo opened with the journal's path kept, calibrated, and two
    // fish measured: 2 cm at row 100 and 4 cm at row 150.
    void OpenAndMeasureTwoFish() {
        journalPath = journal->Path();
        Open(one);
        CalibrateAndMeasure(200);
        Click(window, 100, 150);
        Click(window, 300, 150);
    }
    // Killed, then recovered where the photo cannot be trusted (changed since,
    // or no longer opening): the text and the table come back, the window is
    // as at start but for them, and the last of `boxes` boxes says so.
    void ExpectTextAndTableOnly(const std::string& text, const QByteArray& table,
                                const QString& photo, std::size_t boxes) {
        const JournalReading reading = Killed();
        testing::ScriptedWindowDialogs otherDialogs;
        Form1 again(otherDialogs, locale);
        again.RecoverSession(reading);
        EXPECT_EQ(again.Text1->GetText(), text);
        EXPECT_EQ(TableCsv(again.Desk().Table().Rows(), QLatin1Char(',')), table);
        EXPECT_TRUE(again.picPicture->Picture().isNull());
        EXPECT_EQ(again.windowTitle(), QStringLiteral("Vardesca"));
        EXPECT_FALSE(again.Inizia->isEnabled());
        ASSERT_EQ(otherDialogs.Messages().size(), boxes);
        EXPECT_TRUE(otherDialogs.Messages().back().text.contains(photo));
        EXPECT_TRUE(
            otherDialogs.Messages().back().text.contains(QStringLiteral("soltanto il testo")));
    }
    // The session so far, killed: the journal's file as it stands.
    JournalReading Killed() {
        window.Session().Use(nullptr);
        journal.reset();
        QFile file(journalPath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return ReadJournal(file.readAll().toStdString());
    }
    // Everything a recovery must give back.
    static std::string StateOf(Form1& w) {
        const auto& e = w.Desk().Engine();
        return w.Text1->GetText() + "|" + w.windowTitle().toStdString() + "|" +
               std::to_string(w.picPicture->MarkCount()) + "|" +
               std::to_string(w.picPicture->LabelCount()) + "|" + std::to_string(e.azione()) + "|" +
               std::to_string(e.punti()) + "|" + std::to_string(e.n()) + "|" +
               std::to_string(e.k()) + "|" + std::to_string(e.CanUndo()) +
               std::to_string(e.CanRedo()) + "|" +
               TableCsv(w.Desk().Table().Rows(), QLatin1Char(',')).toStdString();
    }

    QString one, two;
    std::unique_ptr<SessionJournal> journal;
    QString journalPath;
};

TEST_F(Form1JournalTest, AKilledSessionComesBackAsItWasDownToTheNextLine) {
    journalPath = journal->Path();
    Open(one);
    QTest::keyClicks(window.Text1, "rilievo 7");  // typed before anything else
    CalibrateAndMeasure(200);
    Click(window, 100, 150);
    Click(window, 300, 150);
    window.Actions().Perform(UserAction::Undo);
    window.Actions().Perform(UserAction::Redo);
    window.Actions().Perform(
        UserAction::Undo);  // the second measurement stays undone, ready to redo
    QTest::keyClicks(window.Text1, " nota");
    window.Actions().Perform(UserAction::NextPhoto);
    // References 3,9 % apart, a refused reply on the way: calibrated again
    // (Sì), then 2 % apart: kept.
    dialogs.answers = {Answer::Yes};
    Calibrate({"abc", "2", "1"}, 62);
    Calibrate({"2", "1"}, 61);
    Click(window, 50, 50);
    Click(window, 50, 250);
    QTest::keyClicks(window.Text1, " fine");  // typed, and at once a click
    dialogs.answers = {Answer::Cancel};
    window.Resetta_Click();  // thought better of
    Click(window, 70, 70);   // a first point waiting
    ASSERT_EQ(dialogs.unexpected, 0);
    ASSERT_TRUE(window.Desk().Engine().HasPendingPoint());
    const std::string before = StateOf(window);

    const JournalReading reading = Killed();
    EXPECT_FALSE(reading.damaged);
    testing::ScriptedWindowDialogs otherDialogs;
    Form1 again(otherDialogs, locale);
    again.show();
    again.RecoverSession(reading);
    EXPECT_EQ(StateOf(again), before);
    EXPECT_TRUE(otherDialogs.shown.empty());  // nothing asked, nothing said
    EXPECT_EQ(again.picPicture->Picture().pixel(0, 0), QColor(Qt::green).rgb());

    // And it goes on as the first would have.
    Click(window, 70, 170);
    Click(again, 70, 170);
    EXPECT_EQ(StateOf(again), StateOf(window));
    again.Actions().Perform(UserAction::Redo);  // nothing left to redo after a new click, in either
    EXPECT_EQ(StateOf(again), StateOf(window));
}

// Moves are journaled and replayed through the door: a session killed after
// a drag, nudges, an undo and a reference's move comes back to the byte; a
// drag still under way at the kill was never let go, and does not.
TEST_F(Form1JournalTest, MovesComeBackAfterAKillButADragUnderWayDoesNot) {
    OpenAndMeasureTwoFish();
    QWidget* surface = window.picPicture;
    QTest::mousePress(surface, Qt::LeftButton, {}, {200, 100});
    QTest::mouseMove(surface, {225, 100});
    QTest::mouseMove(surface, {250, 110});
    QTest::mouseRelease(surface, Qt::LeftButton, {}, {250, 110});
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(surface, Qt::Key_Up, Qt::ShiftModifier);
    window.Actions().Perform(UserAction::Undo);
    QTest::keyClick(surface, Qt::Key_Left, Qt::ShiftModifier);
    // The 1 cm reference stretched from 50 px to 53: 5,8 % apart, kept (No).
    dialogs.answers = {Answer::No};
    ActionArgs move;
    move.point = PointId{PointId::Pair::Reference, 1, 1};
    move.x = 63 * 15;
    move.y = 20 * 15;
    window.Actions().Perform(UserAction::MovePoint, move);
    ASSERT_EQ(dialogs.Messages().size(), 2u);  // Inizia's instructions, then the question
    EXPECT_TRUE(dialogs.Messages()[1].text.contains(QStringLiteral("5,8 %")));
    ASSERT_EQ(window.Text1->GetText(), "1\t2,9\r\n2\t3,88\r\n");
    const std::string before = StateOf(window);
    const PointId tail{PointId::Pair::Measurement, 1, 1};
    const PlacedPoint at = *window.Desk().Engine().PointAt(tail);

    QTest::mousePress(surface, Qt::LeftButton, {}, {300, 150});
    QTest::mouseMove(surface, {320, 150});
    QTest::mouseMove(surface, {340, 170});
    const JournalReading reading = Killed();
    // The drag given up in this window, which now stands as the recovered one must.
    QTest::keyClick(surface, Qt::Key_Escape);
    QTest::mouseRelease(surface, Qt::LeftButton, {}, {340, 170});
    testing::ScriptedWindowDialogs otherDialogs;
    Form1 again(otherDialogs, locale);
    again.RecoverSession(reading);
    EXPECT_EQ(StateOf(again), before);
    const PlacedPoint back = *again.Desk().Engine().PointAt(tail);
    EXPECT_EQ(back.x, at.x);
    EXPECT_EQ(back.y, at.y);
    // The undo history came back too, a run of nudges still one step: the
    // reference's move is the last step, then the nudge left, then the run.
    again.Actions().Perform(UserAction::Undo);
    EXPECT_EQ(again.Text1->GetText(), "1\t2,99\r\n2\t4\r\n");
    window.Actions().Perform(UserAction::Undo);
    for (int step = 0; step < 3; ++step) {
        SCOPED_TRACE(step);
        again.Actions().Perform(UserAction::Undo);
        window.Actions().Perform(UserAction::Undo);
        EXPECT_EQ(StateOf(again), StateOf(window));
    }
    EXPECT_EQ(otherDialogs.unexpected, 0);
}

// Three photos, so that a photo's rows are journaled once when it is left and
// never again when a later one is: the table comes back without a row twice.
TEST_F(Form1JournalTest, ASessionOverThreePhotosComesBackWithEachRowOnce) {
    journalPath = journal->Path();
    Make(QStringLiteral("IMG_3.png"), Qt::blue);
    Open(one);
    CalibrateAndMeasure(200);
    window.Actions().Perform(UserAction::NextPhoto);
    Calibrate({"2", "1"});
    Click(window, 50, 50);
    Click(window, 50, 250);
    window.Actions().Perform(UserAction::NextPhoto);
    Calibrate({"2", "1"});
    Click(window, 10, 200);
    Click(window, 390, 210);
    ASSERT_EQ(window.Desk().Table().Rows().size(), 3U);
    const std::string before = StateOf(window);

    testing::ScriptedWindowDialogs otherDialogs;
    Form1 again(otherDialogs, locale);
    again.show();
    again.RecoverSession(Killed());
    EXPECT_EQ(StateOf(again), before);
    EXPECT_TRUE(otherDialogs.shown.empty());
}

// A measurement journals its click, not the whole results text again: a day
// of measurements keeps the journal growing with the clicks, not with their
// square.
TEST_F(Form1JournalTest, AMeasurementJournalsItsClickNotTheWholeText) {
    journalPath = journal->Path();
    Open(one);
    Calibrate({"2", "1"});
    for (float y = 30; y < 90; y += 10) {
        Click(window, 10, y);
        Click(window, 300, y);
    }
    ASSERT_EQ(window.Desk().Table().Rows().size(), 6U);
    const JournalReading reading = Killed();
    const auto picture =
        std::find_if(reading.records.begin(), reading.records.end(),
                     [](const JournalRecord& r) { return Is(r, RecordKind::Picture); });
    ASSERT_NE(picture, reading.records.end());
    EXPECT_EQ(std::count_if(picture, reading.records.end(),
                            [](const JournalRecord& r) { return Is(r, RecordKind::Text); }),
              0);
    EXPECT_EQ(std::count_if(picture, reading.records.end(),
                            [](const JournalRecord& r) { return Is(r, RecordKind::Click); }),
              16);
}

// A journal this program wrote before its records had kinds, versions and
// columns of their own (three photos, replies refused and given, a reference
// redone, a reset thought better of, a photo name with a quote): what it held
// comes back to the byte, each earlier photo's rows once. Its photos are gone,
// so it comes back on a stand-in, as any journal whose photo has changed.
TEST_F(Form1JournalTest, AJournalWrittenByAnEarlierVersionComesBackToTheByte) {
    const auto fixture = [](const char* name) {
        QFile file(QStringLiteral(VARDESCA_SOURCE "/tests/session/fixtures/") +
                   QLatin1String(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        return file.readAll();
    };
    const JournalReading reading = ReadJournal(fixture("session-v1.journal").toStdString());
    ASSERT_FALSE(reading.damaged);
    EXPECT_EQ(VersionOf(reading), 1);
    testing::ScriptedWindowDialogs otherDialogs;
    Form1 again(otherDialogs, locale);
    again.show();
    again.RecoverSession(reading);
    EXPECT_EQ(QByteArray::fromStdString(again.Text1->GetText()), fixture("session-v1.text"));
    EXPECT_EQ(TableCsv(again.Desk().Table().Rows(), QLatin1Char(',')), fixture("session-v1.csv"));
    ASSERT_EQ(otherDialogs.shown.size(), 1U);  // the photo gone, said once
    EXPECT_TRUE(otherDialogs.shown[0].text.contains(QStringLiteral("IMG_3 \"blu\".png")));
}

// Notes typed without a pause are journaled within a second of the first
// keystroke, not only once the typing stops: a flush put off by every key
// would lose a whole evening of notes to a crash. No clock is read: a timer
// of ours, started after the first key with a longer delay than the
// journal's (and than a coarse timer's slack), fires after the journal's.
TEST_F(Form1JournalTest, NotesTypedWithoutAPauseAreJournaledWithinTheSecond) {
    journalPath = journal->Path();
    window.Text1->SetText("");
    window.Text1->setFocus();
    QTest::keyClick(window.Text1, Qt::Key_N);
    bool ours = false;
    QTimer::singleShot(1100, &window, [&ours] { ours = true; });
    while (!ours) {
        QTest::keyClick(window.Text1, Qt::Key_A);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    const JournalReading reading = Killed();
    const auto typed =
        std::find_if(reading.records.begin(), reading.records.end(), [](const JournalRecord& r) {
            const auto text = TextOf(r);
            return text && text->starts_with("na");
        });
    EXPECT_NE(typed, reading.records.end());
}

TEST_F(Form1JournalTest, APhotoChangedSinceGivesBackTheTextAndTheTableOnly) {
    journalPath = journal->Path();
    Open(one);
    CalibrateAndMeasure(200);
    window.Actions().Perform(UserAction::NextPhoto);
    CalibrateAndMeasure(250);
    // The tail nudged against the photo's right edge: a stand-in must not
    // keep the point within its own single pixel.
    ActionArgs tail;
    tail.point = PointId{PointId::Pair::Measurement, 1, 1};
    tail.x = 399 * 15;
    tail.y = 100 * 15;
    window.Actions().Perform(UserAction::MovePoint, tail);
    window.picPicture->setFocus();
    QTest::keyClick(window.picPicture, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(window.picPicture, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(window.Text1, "fine");
    window.Session().FlushText();
    const std::string text = window.Text1->GetText();
    ASSERT_NE(text.find("1\t6\r\n"), std::string::npos);
    const QByteArray table = TableCsv(window.Desk().Table().Rows(), QLatin1Char(','));
    ASSERT_EQ(window.Desk().Table().Rows().size(), 2u);

    Make(QStringLiteral("IMG_2.png"), Qt::blue);  // rewritten after the session
    {
        QFile rewritten(two);
        ASSERT_TRUE(rewritten.open(QIODevice::ReadWrite));
        ASSERT_TRUE(rewritten.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                          QFileDevice::FileModificationTime));
    }
    ExpectTextAndTableOnly(text, table, two, 1);
}

// Resetta empties the table; what is measured after it belongs to the photo
// and is journaled when the photo is left, like any other row.
TEST_F(Form1JournalTest, RowsMeasuredAfterResettaComeBackAfterACrash) {
    journalPath = journal->Path();
    Open(one);
    CalibrateAndMeasure(200);
    window.Actions().Perform(UserAction::NextPhoto);
    CalibrateAndMeasure(250);
    dialogs.answers = {Answer::Ok};
    window.Resetta_Click();
    ASSERT_TRUE(window.Desk().Table().Rows().empty());
    CalibrateAndMeasure(300);
    // The first photo comes back with its fish, and its row with it, which
    // the replay must give once.
    window.Actions().Perform(UserAction::PreviousPhoto);
    const QByteArray table = TableCsv(window.Desk().Table().Rows(), QLatin1Char(','));
    ASSERT_EQ(window.Desk().Table().Rows().size(), 2u);

    const JournalReading reading = Killed();
    testing::ScriptedWindowDialogs otherDialogs;
    Form1 again(otherDialogs, locale);
    again.RecoverSession(reading);
    EXPECT_EQ(TableCsv(again.Desk().Table().Rows(), QLatin1Char(',')), table);
}

// A photo with its size and time unchanged that no longer opens (its bytes
// overwritten): the text and the table come back, nothing is replayed on it.
TEST_F(Form1JournalTest, APhotoThatNoLongerOpensGivesBackTheTextAndTheTableOnly) {
    journalPath = journal->Path();
    Open(one);
    CalibrateAndMeasure(200);
    window.Session().FlushText();
    const std::string text = window.Text1->GetText();
    const QByteArray table = TableCsv(window.Desk().Table().Rows(), QLatin1Char(','));
    {
        QFile spoilt(one);
        const QDateTime modified = QFileInfo(one).lastModified();
        ASSERT_TRUE(spoilt.open(QIODevice::ReadWrite));
        const QByteArray zeros(static_cast<int>(spoilt.size()), '\0');
        ASSERT_EQ(spoilt.write(zeros), zeros.size());
        spoilt.close();
        ASSERT_TRUE(spoilt.open(QIODevice::ReadWrite));
        ASSERT_TRUE(spoilt.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    ExpectTextAndTableOnly(text, table, one, 1);
}

// Sì to the exit question ends the session: its journal goes, and the next
// start offers nothing to recover. No keeps both.
TEST_F(Form1JournalTest, ANormalEndTakesTheJournalAway) {
    journalPath = journal->Path();
    Open(one);
    bool quit = false;
    window.Session().SetQuit([&quit] { quit = true; });
    dialogs.answers = {Answer::No};
    window.Esci_Click();
    EXPECT_FALSE(quit);
    EXPECT_TRUE(QFile::exists(journalPath));
    dialogs.answers = {Answer::Yes};
    window.Esci_Click();
    EXPECT_TRUE(quit);
    EXPECT_FALSE(QFile::exists(journalPath));
}

TEST_F(Form1JournalTest, AJournalThatCannotBeWrittenIsSaidOnceAndMeasuringGoesOn) {
    Open(one);
    Calibrate({"2", "1"});
    IgnoreFileSizeSignal();
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit full = old;
    full.rlim_cur = static_cast<rlim_t>(QFileInfo(journal->Path()).size());  // a full disk
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    dialogs.shown.clear();
    Click(window, 100, 100);
    Click(window, 200, 100);
    Click(window, 100, 150);
    Click(window, 300, 150);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
    EXPECT_EQ(window.Text1->GetText(), "1\t2\r\n2\t4\r\n");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(
        dialogs.Messages()[0].text.startsWith(QStringLiteral("Impossibile scrivere il registro")));
}

// A name that is not UTF-8, as old cameras and FAT cards give: opened as the
// command line gives it, met by Ctrl+PgUp, measured, tabled with its own
// bytes, journaled and recovered, and remembered as the photos' folder.
TEST_F(Form1JournalTest, APhotoWhoseNameIsNotUtf8OpensWalksIsTabledAndComesBack) {
    journalPath = journal->Path();
    const QByteArray name("e\xff\xfe.png");
    const QByteArray full = QFile::encodeName(dir.path()) + '/' + name;
    {
        QByteArray png;
        QBuffer buffer(&png);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(&buffer, "PNG"));
        FILE* file = std::fopen(full.constData(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(png.constData(), 1, static_cast<std::size_t>(png.size()), file),
                  static_cast<std::size_t>(png.size()));
        std::fclose(file);
    }
    const QRgb blue = QColor(Qt::blue).rgb();
    window.OpenPicture(FromSystemName(full));
    ASSERT_FALSE(window.picPicture->Picture().isNull());
    EXPECT_EQ(window.picPicture->Picture().pixel(0, 0), blue);
    // "e…" comes before "IMG_1" in a file manager's order.
    Open(one);
    window.Actions().Perform(UserAction::PreviousPhoto);
    ASSERT_FALSE(window.picPicture->Picture().isNull());
    EXPECT_EQ(window.picPicture->Picture().pixel(0, 0), blue);
    EXPECT_TRUE(dialogs.Messages().empty());
    CalibrateAndMeasure(200);
    ASSERT_EQ(window.Desk().Table().Rows().size(), 1u);
    EXPECT_EQ(ToSystemName(window.Desk().Table().Rows()[0].photo), name);
    EXPECT_TRUE(TableCsv(window.Desk().Table().Rows(), QLatin1Char(','))
                    .contains("\r\n" + name + ";1;2,00;100,000;"));
    const std::string before = StateOf(window);

    const JournalReading reading = Killed();
    testing::ScriptedWindowDialogs otherDialogs;
    Form1 again(otherDialogs, locale);
    again.RecoverSession(reading);
    EXPECT_EQ(StateOf(again), before);
    EXPECT_FALSE(again.picPicture->Picture().isNull());
    EXPECT_TRUE(otherDialogs.shown.empty());

    const QByteArray folder = QFile::encodeName(dir.path()) + "/rilievo\xe8";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QString conf = dir.filePath(QStringLiteral("vardesca.conf"));
    RememberedSettings(conf).SetPhotoFolder(FromSystemName(folder));
    EXPECT_EQ(ToSystemName(RememberedSettings(conf).PhotoFolder()), folder);
}

// A journal left in a folder of its own and recovered there at a start, as
// the program does: Sì to the recovery question, then `replies`.
class RecoveryAtStartTest : public Form1JournalTest {
  protected:
    struct Start {
        testing::ScriptedWindowDialogs dialogs;
        Form1 window;
        std::unique_ptr<SessionJournal> journal;
        explicit Start(const LocaleNumbers& locale) : window(dialogs, locale) {}
    };
    QString Left() const { return dir.filePath(QStringLiteral("lasciato")); }
    std::unique_ptr<Start> StartWith(const std::string& bytes, std::deque<Answer> answers = {},
                                     std::deque<QString> inputs = {}) {
        QDir(Left()).removeRecursively();
        EXPECT_TRUE(QDir().mkpath(Left()));
        QFile file(QDir(Left()).filePath(QStringLiteral("sessione-1.journal")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.close();
        auto start = std::make_unique<Start>(locale);
        start->dialogs.answers = std::move(answers);
        start->dialogs.answers.push_front(Answer::Yes);
        start->dialogs.inputs = std::move(inputs);
        start->journal = StartJournal(start->window, start->dialogs, Left());
        return start;
    }
    // The new journal's bytes, as a kill would leave them.
    static std::string KilledAgain(Start& start) {
        start.window.Session().Use(nullptr);
        const QString path = start.journal->Path();
        start.journal.reset();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        std::string bytes = file.readAll().toStdString();
        file.close();
        QFile::remove(path);
        return bytes;
    }
    static std::string Bytes(const JournalReading& reading) {
        std::string bytes;
        for (const JournalRecord& r : reading.records) {
            bytes += EncodeRecord(r);
        }
        return bytes;
    }
    // Every file the folder holds, by content.
    QStringList Kept() const {
        QStringList contents;
        for (const QString& name : QDir(Left()).entryList(QDir::Files)) {
            QFile file(QDir(Left()).filePath(name));
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            contents.push_back(QString::fromLatin1(file.readAll().toHex()));
        }
        return contents;
    }
};

TEST_F(RecoveryAtStartTest, ADamagedPhotoRecordCostsItsReloadingNotTheMeasurementsAfterIt) {
    OpenAndMeasureTwoFish();
    QTest::keyClicks(window.Text1, " nota");
    window.Session().FlushText();
    const std::string text = window.Text1->GetText();
    std::string bytes = Bytes(Killed());
    // One bit of the photo's name, on the journal's third line.
    const std::size_t inName = bytes.find("IMG_1");
    ASSERT_EQ(std::count(bytes.begin(), bytes.begin() + static_cast<long>(inName), '\n'), 2);
    bytes[inName] = static_cast<char>(bytes[inName] ^ 0x04);

    auto start = StartWith(bytes);
    EXPECT_EQ(start->window.Text1->GetText(), text);
    ASSERT_EQ(start->window.Desk().Table().Rows().size(), 2u);
    EXPECT_EQ(start->window.Desk().Table().Rows()[1].length, 4.0);
    EXPECT_TRUE(start->window.picPicture->Picture().isNull());
    const auto messages = start->dialogs.Messages();
    ASSERT_EQ(messages.size(), 2u);  // the recovery question, then what the damage cost
    EXPECT_TRUE(messages[1].text.startsWith(QStringLiteral(
        "La riga 3 del registro della sessione è danneggiata: la foto non è stata ricaricata; "
        "testo e misure dopo di essa recuperati.")))
        << messages[1].text.toStdString();
    EXPECT_TRUE(messages[1].text.contains(QStringLiteral("messo-da-parte-")));
    // Never removed: kept as it was, beside the new journal.
    EXPECT_TRUE(Kept().contains(QString::fromLatin1(QByteArray::fromStdString(bytes).toHex())));

    // A second crash brings back the same, with nothing more to say.
    auto again = StartWith(KilledAgain(*start));
    EXPECT_EQ(again->window.Text1->GetText(), text);
    EXPECT_EQ(TableCsv(again->window.Desk().Table().Rows(), QLatin1Char(',')),
              TableCsv(start->window.Desk().Table().Rows(), QLatin1Char(',')));
    EXPECT_EQ(again->dialogs.Messages().size(), 1u);
}

// Every fifth byte of a short session's journal damaged in turn: the journal is
// never removed, the damage is said, and what came back comes back again
// after a second crash.
TEST_F(RecoveryAtStartTest, AnyDamagedByteLeavesTheJournalKeptAndTheDamageSaid) {
    journalPath = journal->Path();
    Open(one);
    CalibrateAndMeasure(200);
    const std::string whole = Bytes(Killed());
    for (std::size_t at = JournalHeader().size(); at + 1 < whole.size(); at += 5) {
        std::string bytes = whole;
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << (at % 8)));
        auto start = StartWith(bytes);
        EXPECT_TRUE(Kept().contains(QString::fromLatin1(QByteArray::fromStdString(bytes).toHex())))
            << at;
        const auto messages = start->dialogs.Messages();
        ASSERT_EQ(messages.size(), 2u) << at;
        EXPECT_TRUE(messages.back().text.contains(
            QStringLiteral("del registro della sessione è danneggiata")))
            << at;
        EXPECT_EQ(start->dialogs.unexpected, 0) << at;
        // What the user sees; with no photo to show, the engine's inner
        // scale is not part of it.
        const auto seen = [](Form1& w) {
            return w.picPicture->Picture().isNull()
                       ? w.Text1->GetText() + "|" +
                             TableCsv(w.Desk().Table().Rows(), QLatin1Char(',')).toStdString()
                       : StateOf(w);
        };
        const std::string state = seen(start->window);
        auto again = StartWith(KilledAgain(*start));
        EXPECT_EQ(seen(again->window), state) << at;
        EXPECT_EQ(again->dialogs.Messages().size(), 1u) << at;
    }
}

// The new journal cannot be made durable (a disk failing its syncs): the old
// one is not removed, so the session is still there to recover.
TEST_F(RecoveryAtStartTest, TheOldJournalStaysUntilTheNewOneIsOnTheDisk) {
    journalPath = journal->Path();
    Open(one);
    Calibrate({"2", "1"});
    const std::string bytes = Bytes(Killed());
    SessionJournal::SetSyncForTests([](int) {
        errno = EIO;
        return -1;
    });
    auto start = StartWith(bytes);
    SessionJournal::SetSyncForTests({});
    QFile old(QDir(Left()).filePath(QStringLiteral("sessione-1.journal")));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll().toStdString(), bytes);
    EXPECT_EQ(start->window.Desk().Engine().azione(),
              MeasureEngine::Measuring);  // recovered all the same
}

// Killed while the length of a reference was being asked: the recovery asks it
// again, on the photo, and journals the reply, so a second crash needs no
// asking.
TEST_F(RecoveryAtStartTest, ALengthPromptOpenAtTheKillIsAskedAgain) {
    journalPath = journal->Path();
    Open(one);
    window.Inizia_Click();
    dialogs.inputs = {"2"};
    Click(window, 10, 10);
    Click(window, 110, 10);
    const std::string before = StateOf(window);
    JournalReading reading = Killed();
    ASSERT_EQ(reading.records.back(), (JournalRecord{"reply", {"2"}}));
    reading.records.pop_back();  // the reply not yet given

    auto start = StartWith(Bytes(reading), {}, {"2"});
    EXPECT_EQ(StateOf(start->window), before);
    ASSERT_EQ(start->dialogs.shown.size(), 2u);  // the recovery question, then the length
    EXPECT_EQ(start->dialogs.shown[1].kind, testing::ScriptedWindowDialogs::Shown::Input);
    EXPECT_EQ(start->dialogs.unexpected, 0);
    auto again = StartWith(KilledAgain(*start));
    EXPECT_EQ(StateOf(again->window), before);
    EXPECT_EQ(again->dialogs.shown.size(), 1u);
}

TEST_F(RecoveryAtStartTest, AQuestionOpenAtTheKillIsAskedAgain) {
    journalPath = journal->Path();
    Open(one);
    dialogs.answers = {Answer::No};  // references 3,9 % apart: kept
    Calibrate({"2", "1"}, 62);
    const std::string before = StateOf(window);
    JournalReading reading = Killed();
    ASSERT_EQ(reading.records.back(), (JournalRecord{"answer", {"no"}}));
    reading.records.pop_back();

    auto start = StartWith(Bytes(reading), {Answer::No});
    EXPECT_EQ(StateOf(start->window), before);
    ASSERT_EQ(start->dialogs.shown.size(), 2u);
    EXPECT_EQ(start->dialogs.shown[1].buttons, WindowDialogs::Buttons::YesNo);
    EXPECT_EQ(start->dialogs.unexpected, 0);
    auto again = StartWith(KilledAgain(*start));
    EXPECT_EQ(StateOf(again->window), before);
    EXPECT_EQ(again->dialogs.shown.size(), 1u);
}

// The question open at the kill belongs to the photo; on a photo changed
// since, only the text and the table come back, and it is not asked of a
// stand-in.
TEST_F(RecoveryAtStartTest, AQuestionOpenAtTheKillIsNotAskedWhenThePhotoChanged) {
    journalPath = journal->Path();
    Open(one);
    dialogs.answers = {Answer::No};  // references 3,9 % apart
    Calibrate({"2", "1"}, 62);
    JournalReading reading = Killed();
    ASSERT_EQ(reading.records.back(), (JournalRecord{"answer", {"no"}}));
    reading.records.pop_back();
    Make(QStringLiteral("IMG_1.png"), Qt::blue);
    {
        QFile rewritten(one);
        ASSERT_TRUE(rewritten.open(QIODevice::ReadWrite));
        ASSERT_TRUE(rewritten.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                          QFileDevice::FileModificationTime));
    }
    auto start = StartWith(Bytes(reading));
    ASSERT_EQ(start->dialogs.shown.size(), 2u);  // the recovery question, then the photo's box
    EXPECT_EQ(start->dialogs.shown[1].buttons, WindowDialogs::Buttons::Ok);
    EXPECT_EQ(start->dialogs.unexpected, 0);
}

// Recovered, measured on, killed again, recovered again: the second journal
// holds the first's session and what followed, and nothing is called damaged.
// Answered No, a journal left is set aside with its bytes, never deleted.
TEST_F(RecoveryAtStartTest, ASecondKillComesBackWholeAndNoSetsTheJournalAside) {
    journalPath = journal->Path();
    Open(one);
    CalibrateAndMeasure(200);
    const std::string bytes = Bytes(Killed());

    auto start = StartWith(bytes);
    Click(start->window, 100, 150);
    Click(start->window, 300, 150);
    QTest::keyClicks(start->window.Text1, " nota");
    start->window.Session().FlushText();
    const std::string before = StateOf(start->window);
    auto again = StartWith(KilledAgain(*start));
    EXPECT_EQ(StateOf(again->window), before);
    ASSERT_EQ(again->dialogs.shown.size(), 1u);  // the question, and no damage said
    EXPECT_EQ(again->dialogs.unexpected, 0);

    // No: the journal left is kept, byte for byte, beside the new one.
    again->window.Session().Use(nullptr);
    again->journal.reset();
    QDir(Left()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(Left()));
    QFile left(QDir(Left()).filePath(QStringLiteral("sessione-1.journal")));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write(bytes.data(), static_cast<qint64>(bytes.size()));
    left.close();
    Start refused(locale);
    refused.dialogs.answers = {Answer::No};
    refused.journal = StartJournal(refused.window, refused.dialogs, Left());
    EXPECT_TRUE(refused.window.Desk().Table().Rows().empty());
    EXPECT_TRUE(Kept().contains(QString::fromLatin1(QByteArray::fromStdString(bytes).toHex())));
}

TEST(PlanRecoveryTest, ADamagedLineCostsWhatItHeld) {
    using Cost = RecoveryPlan::Cost;
    const std::vector<JournalRecord> records = {
        {"vardesca-journal", {"1"}},
        journal_record::Text("x"),
        journal_record::Picture(QStringLiteral("/c.jpg"), 10, 20),
        journal_record::Action(RecordKind::Inizia),
        journal_record::Click(1, 2),
        {"reply", {"2"}},
        journal_record::Click(3, 4),
        journal_record::Text("y"),
        journal_record::Click(5, 6)};
    const auto plan = [&](std::size_t lost, const char* kind) {
        JournalReading reading;
        reading.records = records;
        reading.records.erase(reading.records.begin() + static_cast<long>(lost));
        reading.damaged = true;
        reading.gaps.push_back({lost + 1, lost, kind});
        return PlanRecovery(reading);
    };
    // The photo's record: no photo, the steps on a stand-in.
    const RecoveryPlan picture = plan(2, "picture");
    EXPECT_TRUE(picture.pictureLost);
    EXPECT_FALSE(picture.picture);
    EXPECT_EQ(picture.steps.size(), 5u);
    ASSERT_EQ(picture.damage.size(), 1u);
    EXPECT_EQ(picture.damage[0].line, 3u);
    EXPECT_EQ(picture.damage[0].cost, Cost::PictureNotReloaded);
    // A click: nothing replayed after it but the text.
    const RecoveryPlan click = plan(6, "click");
    ASSERT_EQ(click.steps.size(), 3u);
    EXPECT_EQ(click.steps.back().action, journal_record::Text("y"));
    EXPECT_FALSE(click.lastStepComplete);
    EXPECT_EQ(click.damage[0].cost, Cost::StepsStopped);
    // A reply: the click it answered goes too.
    const RecoveryPlan reply = plan(5, "");
    EXPECT_EQ(reply.steps.size(), 3u);  // inizia, the click, then the text
    const RecoveryPlan replyKnown = plan(5, "reply");
    ASSERT_EQ(replyKnown.steps.size(), 2u);  // inizia, then the text
    EXPECT_EQ(replyKnown.steps[0].action, journal_record::Action(RecordKind::Inizia));
    // The text at the photo's loading: itself.
    const RecoveryPlan text = plan(1, "text");
    EXPECT_FALSE(text.startText);
    EXPECT_EQ(text.steps.size(), 5u);
    EXPECT_EQ(text.damage[0].cost, Cost::TextEdit);
    // What the plan hands to the new journal reads back as the same plan.
    for (const RecoveryPlan& p : {click, replyKnown, text}) {
        const RecoveryPlan back = PlanRecovery(ReadJournal(EncodePlan(p)));
        ASSERT_EQ(back.steps.size(), p.steps.size());
        EXPECT_EQ(back.picture.has_value(), p.picture.has_value());
        EXPECT_TRUE(back.damage.empty());
    }
}

TEST(PlanRecoveryTest, AConfirmedResettaBeforeTheLastPhotoEmptiesTheTableAndACancelledOneDoesNot) {
    const JournalRecord a =
        journal_record::Row({QStringLiteral("a.jpg"), 1, 2, 0, 0, 1, 1, 1, 1, 1});
    const JournalRecord b =
        journal_record::Row({QStringLiteral("b.jpg"), 1, 3, 0, 0, 1, 1, 1, 1, 1});
    const JournalRecord photo = journal_record::Picture(QStringLiteral("/c.jpg"), 10, 20);
    const auto plan = [&](const char* answer) {
        return PlanRecovery({a,
                             journal_record::Action(RecordKind::Resetta),
                             {"answer", {answer}},
                             b,
                             journal_record::Text("x"),
                             photo,
                             journal_record::Click(1.5f, 2)});
    };
    const RecoveryPlan confirmed = plan("ok");
    ASSERT_EQ(confirmed.rows.size(), 1u);
    EXPECT_EQ(confirmed.rows[0].photo, QStringLiteral("b.jpg"));
    EXPECT_EQ(plan("annulla").rows.size(), 2u);
    EXPECT_EQ(confirmed.startText, "x");
    ASSERT_EQ(confirmed.steps.size(), 1u);
    EXPECT_EQ(ClickOf(confirmed.steps[0].action), (std::pair{1.5f, 2.0f}));
}

}  // namespace
}  // namespace vardesca
