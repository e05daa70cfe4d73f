// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "session/journal_format.h"
#include "session/journal_records.h"
#include "session/session_journal.h"
#include "tests/support/sync_watch.h"

namespace vardesca {
namespace {

std::vector<JournalRecord> Sample() {
    return {{"vardesca-journal", {"1"}},
            {"picture", {"/foto/IMG 1\t\\n.jpg", "123", "1733600000123"}},
            {"text", {"1\t2,5\r\nnota è \\ fine\r\n"}},
            {"click", {"1500", "-0.25"}},
            {"reply", {""}},
            {"undo", {}}};
}

std::string Encoded(const std::vector<JournalRecord>& records) {
    std::string bytes;
    for (const JournalRecord& r : records) {
        bytes += EncodeRecord(r);
    }
    return bytes;
}

TEST(JournalFormatTest, RecordsComeBackExactlyOneReadableLineEach) {
    const std::string bytes = Encoded(Sample());
    const JournalReading reading = ReadJournal(bytes);
    EXPECT_EQ(reading.records, Sample());
    EXPECT_FALSE(reading.damaged);
    EXPECT_EQ(reading.wholeBytes, bytes.size());
    // One line a record, the text's own breaks escaped.
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 6);
    EXPECT_NE(bytes.find("text\t1\\t2,5\\r\\nnota è \\\\ fine\\r\\n\n"), std::string::npos);
    EXPECT_EQ(EncodeRecord({"undo", {}}), "4 " + [] {
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32("undo")));
        return std::string(crc);
    }() + " undo\n");
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926U);  // the CRC-32 check value
}

TEST(JournalFormatTest, ARecordCutAtAnyByteIsIgnoredAndIsNotDamage) {
    const std::string whole = Encoded(Sample());
    const std::string last = EncodeRecord(Sample().back());
    const std::size_t start = whole.size() - last.size();
    for (std::size_t cut = start; cut < whole.size(); ++cut) {
        const JournalReading reading = ReadJournal(std::string_view(whole).substr(0, cut));
        ASSERT_EQ(reading.records.size(), 5u) << cut;
        EXPECT_EQ(reading.wholeBytes, start);
        EXPECT_FALSE(reading.damaged) << cut;
    }
    EXPECT_TRUE(ReadJournal("garbage\n").damaged);
    EXPECT_TRUE(ReadJournal("99999999999999999999999 00000000 x\n").damaged);
    EXPECT_TRUE(ReadJournal(std::string("\0\0\0\n", 4)).damaged);
}

// Every bit of a small journal flipped in turn, the file read in small pieces:
// each record whose bytes the flip missed comes back, in order; the one it hit
// is one gap on its own line (a line break flipped costs nothing).
TEST(JournalFormatTest, EveryBitFlippedCostsOnlyTheRecordItHit) {
    const std::vector<JournalRecord> sample = Sample();
    const std::string whole = Encoded(sample);
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < whole.size(); at = whole.find('\n', at) + 1) {
        starts.push_back(at);
    }
    starts.push_back(whole.size());
    for (std::size_t at = 0; at < whole.size(); ++at) {
        const auto hit = static_cast<std::size_t>(
            std::upper_bound(starts.begin(), starts.end(), at) - starts.begin() - 1);
        const bool lineBreak = at + 1 == starts[hit + 1];
        for (int bit = 0; bit < 8; ++bit) {
            std::string flipped = whole;
            flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
            JournalReader reader;
            for (std::size_t p = 0; p < flipped.size(); p += 7) {
                reader.Feed(std::string_view(flipped).substr(p, 7));
            }
            const JournalReading reading = reader.Finish();
            const bool lastLineBreak = lineBreak && hit + 1 == sample.size();
            ASSERT_EQ(reading.damaged, !lastLineBreak) << at << ":" << bit;
            std::vector<JournalRecord> expected = sample;
            if (!lineBreak) {
                expected.erase(expected.begin() + static_cast<long>(hit));
                ASSERT_EQ(reading.gaps.size(), 1u) << at << ":" << bit;
                EXPECT_EQ(reading.gaps[0].line, hit + 1);
                EXPECT_EQ(reading.gaps[0].before, hit);
            } else if (hit + 1 == sample.size()) {
                expected.pop_back();  // the last line, no longer ended: cut short
            }
            EXPECT_EQ(reading.records, expected) << at << ":" << bit;
        }
    }
    // A damaged line's payload still says what it held, where it can be read.
    std::string payloadHit = whole;
    payloadHit[whole.find("IMG")] = 'X';
    const JournalReading reading = ReadJournal(payloadHit);
    ASSERT_EQ(reading.gaps.size(), 1u);
    EXPECT_EQ(reading.gaps[0].likelyKind, "picture");
}

// Each kind has its own word on the disk and comes back as itself; a row
// comes back with every digit, and a row of another version's width is not
// taken for one of this version's.
TEST(JournalRecordsTest, KindsAndRowsComeBackAsThemselves) {
    std::set<std::string_view> words;
    for (int k = 0; k <= static_cast<int>(RecordKind::Reply); ++k) {
        const auto kind = static_cast<RecordKind>(k);
        ASSERT_FALSE(KindName(kind).empty());
        EXPECT_TRUE(words.insert(KindName(kind)).second) << KindName(kind);
        EXPECT_EQ(KindOf(KindName(kind)), kind);
    }
    EXPECT_EQ(KindOf("Undo"), std::nullopt);
    EXPECT_EQ(JournalHeader(), EncodeRecord({"vardesca-journal", {"1"}}));

    const TableRow row{QStringLiteral("IMG \"7\"\t.jpg"), 12, 12.35, 0.1, 1e-7, 3000.125,
                       2.5, 41.333333333333336, 40.1, 42.7};
    const JournalRecord record = journal_record::Row(row);
    const std::optional<TableRow> back = RowOf(ReadJournal(EncodeRecord(record)).records.at(0),
                                               kJournalVersion);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->photo, row.photo);
    EXPECT_EQ(back->number, row.number);
    for (const auto field : {&TableRow::length, &TableRow::x0, &TableRow::y0, &TableRow::x1,
                             &TableRow::y1, &TableRow::scale, &TableRow::reference1,
                             &TableRow::reference2}) {
        EXPECT_EQ((*back).*field, row.*field);
    }
    JournalRecord wider = record;
    wider.fields.push_back("1");
    EXPECT_FALSE(RowOf(wider, kJournalVersion));
    JournalRecord garbled = record;
    garbled.fields[3] = "1,5";
    EXPECT_FALSE(RowOf(garbled, kJournalVersion));
}

TEST(JournalFormatTest, OnlyAFileThatBeginsAsAJournalIsTakenForOne) {
    const std::string& header = JournalHeader();
    EXPECT_TRUE(LooksLikeJournal(header + "rest"));
    EXPECT_TRUE(LooksLikeJournal(header.substr(0, 5)));  // cut short while written
    std::string oneOff = header;
    oneOff[3] = 'x';
    EXPECT_TRUE(LooksLikeJournal(oneOff));
    oneOff[4] = 'x';
    EXPECT_FALSE(LooksLikeJournal(oneOff));
    EXPECT_FALSE(LooksLikeJournal(std::string(header.size(), '\0')));
    EXPECT_FALSE(LooksLikeJournal("[General]\nfinestra=1\n"));
}

class JournalFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Folder() const { return dir.filePath(QStringLiteral("stato/vardesca")); }
    QTemporaryDir dir;
};

TEST_F(JournalFileTest, AJournalLeftIsFoundUnlessItsCopyStillRunsAndSetAsideIsNotOfferedAgain) {
    Outcome why;
    auto journal = SessionJournal::Create(Folder(), why);
    ASSERT_TRUE(journal) << (why ? why->italian : "");
    ASSERT_TRUE(journal->Append(JournalRecord{"click", {"1", "2"}}));
    // This copy still runs (its lock is held): left alone.
    EXPECT_FALSE(LeftJournal::Find(Folder()));
    const QString path = journal->Path();
    journal.reset();  // killed: the file stays, the lock goes

    auto left = LeftJournal::Find(Folder());
    ASSERT_TRUE(left);
    EXPECT_EQ(left->Path(), path);
    EXPECT_EQ(left->Reading().records.back(), (JournalRecord{"click", {"1", "2"}}));
    // Another copy starting meanwhile does not take it too.
    EXPECT_FALSE(LeftJournal::Find(Folder()));
    const QString aside = left->SetAside();
    left.reset();
    EXPECT_TRUE(QFileInfo(aside).fileName().startsWith(QStringLiteral("messo-da-parte-")));
    EXPECT_TRUE(QFile::exists(aside));
    EXPECT_FALSE(LeftJournal::Find(Folder()));

    // A copy that ended before anything was done leaves nothing to offer.
    journal = SessionJournal::Create(Folder(), why);
    ASSERT_TRUE(journal);
    const QString empty = journal->Path();
    journal.reset();
    EXPECT_FALSE(LeftJournal::Find(Folder()));
    EXPECT_FALSE(QFile::exists(empty));

    // The normal end removes the file.
    journal = SessionJournal::Create(Folder(), why);
    ASSERT_TRUE(journal->Append(JournalRecord{"undo", {}}));
    journal->Finish();
    EXPECT_FALSE(QFile::exists(journal->Path()));
    EXPECT_EQ(QDir(Folder()).entryList(QDir::Files).size(), 1);  // the one set aside
}

TEST_F(JournalFileTest, AFolderThatCannotBeMadeIsSaidInItalian) {
    QFile blocker(dir.filePath(QStringLiteral("stato")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder goes
    Outcome why;
    EXPECT_FALSE(SessionJournal::Create(Folder(), why));
    EXPECT_TRUE(why.has_value());
}

// A click never waits for the disk: records are written at once (a kill loses
// nothing) and synced on the journal's own thread, several to a sync when the
// disk is slow; a sync that fails is said at the next record.
// With the disk's own sync, as the program runs: every record written is
// synced (a record left in the page cache is lost to a power cut).
TEST_F(JournalFileTest, EveryRecordIsSyncedToTheDisk) {
    SessionJournal::SetSyncForTests({});
    Outcome why;
    auto journal = SessionJournal::Create(Folder(), why);
    ASSERT_TRUE(journal) << (why ? why->italian : "");
    const QByteArray path = QFile::encodeName(journal->Path());
    for (int i = 0; i < 3; ++i) {
        testing::ForgetSyncs();
        ASSERT_TRUE(journal->Append(JournalRecord{"click", {std::to_string(i), "2"}}));
        ASSERT_TRUE(journal->WaitUntilSynced());
        EXPECT_TRUE(testing::Synced(path.constData())) << i;
    }
}

TEST_F(JournalFileTest, RecordsAreWrittenAtOnceAndSyncedOnTheJournalsThread) {
    const std::thread::id window = std::this_thread::get_id();
    std::mutex mutex;
    std::condition_variable released;
    bool hold = true;
    int syncs = 0;
    int onWindowThread = 0;
    SessionJournal::SetSyncForTests([&](int) {
        std::unique_lock<std::mutex> lock(mutex);
        ++syncs;
        onWindowThread += std::this_thread::get_id() == window ? 1 : 0;
        // A disk that takes its time: held until the test lets it go (at most
        // a minute, so that a journal that waited here fails rather than hangs).
        released.wait_for(lock, std::chrono::seconds(60), [&] { return !hold; });
        return 0;
    });
    Outcome why;
    auto journal = SessionJournal::Create(Folder(), why);
    ASSERT_TRUE(journal) << (why ? why->italian : "");
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(journal->Append(JournalRecord{"click", {std::to_string(i), "2"}}));
    }
    {
        // All written while the first sync is still held.
        QFile file(journal->Path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(ReadJournal(file.readAll().toStdString()).records.size(), 21u);
        const std::lock_guard<std::mutex> lock(mutex);
        EXPECT_LE(syncs, 1);
        hold = false;
    }
    released.notify_all();
    journal->WaitUntilSynced();
    {
        const std::lock_guard<std::mutex> lock(mutex);
        EXPECT_GE(syncs, 1);
        EXPECT_LE(syncs, 3);  // the 20 records after the header took one or two syncs
        EXPECT_EQ(onWindowThread, 0);
    }

    // A sync that fails: the next record says so, and nothing more is written.
    SessionJournal::SetSyncForTests([](int) {
        errno = EIO;
        return -1;
    });
    ASSERT_TRUE(journal->Append(JournalRecord{"undo", {}}));
    journal->WaitUntilSynced();
    errno = 0;
    EXPECT_FALSE(journal->Append(JournalRecord{"redo", {}}));
    EXPECT_EQ(errno, EIO);
    EXPECT_TRUE(journal->Broken());
    SessionJournal::SetSyncForTests({});
}

// A planted link at the journal's own name, or in place of its folder, never
// leads the session into another file.
TEST_F(JournalFileTest, LinksAtTheJournalsNameOrFolderAreNeverFollowed) {
    Outcome why;
    ASSERT_TRUE(SessionJournal::Create(Folder(), why));  // the folder exists
    const QString victim = dir.filePath(QStringLiteral("altro.txt"));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("da non toccare");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(victim).constData(), 0644), 0);
    const QString mine = QDir(Folder()).filePath(QStringLiteral("sessione-%1.journal").arg(::getpid()));
    QFile::remove(mine);
    ASSERT_TRUE(QFile::link(victim, mine));
    auto journal = SessionJournal::Create(Folder(), why);
    ASSERT_TRUE(journal) << (why ? why->italian : "");
    EXPECT_NE(journal->Path(), mine);
    ASSERT_TRUE(journal->Append(JournalRecord{"click", {"1", "2"}}));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("da non toccare"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(journal->Path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    journal->Finish();
    EXPECT_TRUE(QFileInfo(mine).isSymLink());  // not ours to remove

    // The folder itself a link: refused, with the reason, and nothing written
    // where it points.
    const QString elsewhere = dir.filePath(QStringLiteral("altrove"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString linked = dir.filePath(QStringLiteral("stato/collegata"));
    ASSERT_TRUE(QFile::link(elsewhere, linked));
    EXPECT_FALSE(SessionJournal::Create(linked, why));
    EXPECT_EQ(why ? why->Reason() : QString(), QStringLiteral("la cartella è un collegamento simbolico"));
    EXPECT_FALSE(LeftJournal::Find(linked));
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files).isEmpty());
}

TEST_F(JournalFileTest, AFolderOthersMayWriteOrThatIsNotOursIsRefused) {
    Outcome why;
    ASSERT_TRUE(QDir().mkpath(Folder()));
    const QByteArray folder = QFile::encodeName(Folder());
    ASSERT_EQ(::chmod(folder.constData(), 0777), 0);
    EXPECT_FALSE(SessionJournal::Create(Folder(), why));
    EXPECT_EQ(why ? why->Reason() : QString(), QStringLiteral("la cartella è scrivibile anche da altri utenti"));
    ASSERT_EQ(::chmod(folder.constData(), 0755), 0);
    EXPECT_TRUE(SessionJournal::Create(Folder(), why));
    if (::geteuid() == 0) {  // only root can give a folder away
        ASSERT_EQ(::chown(folder.constData(), 65534, 65534), 0);
        EXPECT_FALSE(SessionJournal::Create(Folder(), why));
        EXPECT_EQ(why ? why->Reason() : QString(), QStringLiteral("la cartella appartiene a un altro utente"));
    }
    // A new folder, and any missing above it, is the user's alone.
    const QString fresh = dir.filePath(QStringLiteral("nuova/stato/vardesca"));
    ASSERT_TRUE(SessionJournal::Create(fresh, why));
    for (const QString& made : {fresh, dir.filePath(QStringLiteral("nuova"))}) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << made.toStdString();
    }
}

// What is not a journal, or is larger than any, is set aside unread: never
// offered, never removed.
TEST_F(JournalFileTest, AFileThatIsNotAJournalIsSetAsideWithoutBeingRead) {
    ASSERT_TRUE(QDir().mkpath(Folder()));
    const QString zeros = QDir(Folder()).filePath(QStringLiteral("sessione-1.journal"));
    const QString huge = QDir(Folder()).filePath(QStringLiteral("sessione-2.journal"));
    {
        QFile file(zeros);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1 << 20, '\0'));
        QFile big(huge);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(JournalHeader().c_str());
        ASSERT_TRUE(big.resize(600LL * 1024 * 1024));  // sparse: no disk taken
    }
    EXPECT_FALSE(LeftJournal::Find(Folder()));
    EXPECT_FALSE(QFile::exists(zeros));
    EXPECT_FALSE(QFile::exists(huge));
    const QStringList kept = QDir(Folder()).entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 2);
    for (const QString& name : kept) {
        EXPECT_TRUE(name.startsWith(QStringLiteral("messo-da-parte-"))) << name.toStdString();
    }
    EXPECT_FALSE(LeftJournal::Find(Folder()));
}

}  // namespace
}  // namespace vardesca
