// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QTest>

#include "commands/safe_file.h"
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
        QString why;
        journal = SessionJournal::Create(Folder(), why);
        ASSERT_TRUE(journal) << why.toStdString();
        window.UseJournal(journal.get());
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
    // The session so far, killed: the journal's file as it stands.
    JournalReading Killed() {
        window.UseJournal(nullptr);
        journal.reset();
        QFile file(journalPath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return ReadJournal(file.readAll().toStdString());
    }
    // Everything a recovery must give back.
    static std::string StateOf(Form1& w) {
        const auto& e = w.Engine();
        return w.Text1->GetText() + "|" + w.windowTitle().toStdString() + "|" +
               std::to_string(w.picPicture->MarkCount()) + "|" +
               std::to_string(w.picPicture->LabelCount()) + "|" + std::to_string(e.azione()) +
               "|" + std::to_string(e.punti()) + "|" + std::to_string(e.n()) + "|" +
               std::to_string(e.k()) + "|" + std::to_string(e.CanUndo()) +
               std::to_string(e.CanRedo()) + "|" +
               TableCsv(w.Table().Rows(), QLatin1Char(',')).toStdString();
    }

    QString one, two;
    std::unique_ptr<SessionJournal> journal;
    QString journalPath;
};

TEST_F(Form1JournalTest, AKilledSessionComesBackAsItWasDownToTheNextLine) {
    journalPath = journal->Path();
    Open(one);
    QTest::keyClicks(window.Text1, "rilievo 7");  // typed before anything else
    Calibrate({"2", "1"});
    Click(window, 100, 100);
    Click(window, 200, 100);
    Click(window, 100, 150);
    Click(window, 300, 150);
    window.UndoClick();
    window.RedoClick();
    window.UndoClick();  // the second measurement stays undone, ready to redo
    QTest::keyClicks(window.Text1, " nota");
    window.GoToNeighbour(1);
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
    ASSERT_TRUE(window.Engine().HasPendingPoint());
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
    again.RedoClick();  // nothing left to redo after a new click, in either
    EXPECT_EQ(StateOf(again), StateOf(window));
}

TEST_F(Form1JournalTest, APhotoChangedSinceGivesBackTheTextAndTheTableOnly) {
    journalPath = journal->Path();
    Open(one);
    Calibrate({"2", "1"});
    Click(window, 100, 100);
    Click(window, 200, 100);
    window.GoToNeighbour(1);
    Calibrate({"2", "1"});
    Click(window, 100, 100);
    Click(window, 250, 100);
    QTest::keyClicks(window.Text1, "fine");
    window.FlushTextForTests();
    const std::string text = window.Text1->GetText();
    const QByteArray table = TableCsv(window.Table().Rows(), QLatin1Char(','));
    ASSERT_EQ(window.Table().Rows().size(), 2u);

    Make(QStringLiteral("IMG_2.png"), Qt::blue);  // rewritten after the session
    {
        QFile rewritten(two);
        ASSERT_TRUE(rewritten.open(QIODevice::ReadWrite));
        ASSERT_TRUE(rewritten.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                          QFileDevice::FileModificationTime));
    }
    const JournalReading reading = Killed();
    testing::ScriptedWindowDialogs otherDialogs;
    Form1 again(otherDialogs, locale);
    again.RecoverSession(reading);
    EXPECT_EQ(again.Text1->GetText(), text);
    EXPECT_EQ(TableCsv(again.Table().Rows(), QLatin1Char(',')), table);
    // As at start but for what was recovered.
    EXPECT_TRUE(again.picPicture->Picture().isNull());
    EXPECT_EQ(again.windowTitle(), QStringLiteral("Vardesca"));
    EXPECT_FALSE(again.Inizia->isEnabled());
    ASSERT_EQ(otherDialogs.Messages().size(), 1u);
    EXPECT_TRUE(otherDialogs.Messages()[0].text.contains(two));
    EXPECT_TRUE(otherDialogs.Messages()[0].text.contains(QStringLiteral("soltanto il testo")));
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
    EXPECT_TRUE(dialogs.Messages()[0].text.startsWith(QStringLiteral("Impossibile scrivere il registro")));
}

TEST(PlanRecoveryTest, AConfirmedResettaBeforeTheLastPhotoEmptiesTheTableAndACancelledOneDoesNot) {
    const JournalRecord a = journal_record::Row({QStringLiteral("a.jpg"), 1, 2, 0, 0, 1, 1, 1, 1, 1});
    const JournalRecord b = journal_record::Row({QStringLiteral("b.jpg"), 1, 3, 0, 0, 1, 1, 1, 1, 1});
    const JournalRecord photo = journal_record::Picture(QStringLiteral("/c.jpg"), 10, 20);
    const auto plan = [&](const char* answer) {
        return PlanRecovery({a, journal_record::Action("resetta"), {"answer", {answer}}, b,
                             journal_record::Text("x"), photo, journal_record::Click(1.5f, 2)});
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
