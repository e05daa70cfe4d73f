// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "commands/journal_format.h"
#include "commands/session_journal.h"

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

TEST(JournalFormatTest, ARecordCutAtAnyByteIsIgnoredAndADamagedOneStopsTheReading) {
    const std::string whole = Encoded(Sample());
    const std::string last = EncodeRecord(Sample().back());
    const std::size_t start = whole.size() - last.size();
    for (std::size_t cut = start; cut < whole.size(); ++cut) {
        const JournalReading reading = ReadJournal(std::string_view(whole).substr(0, cut));
        ASSERT_EQ(reading.records.size(), 5u) << cut;
        EXPECT_EQ(reading.wholeBytes, start);
        EXPECT_FALSE(reading.damaged) << cut;
    }
    // One byte changed inside the third record: the first two, and it is said.
    for (const std::size_t at : {start - 10, whole.find("text") + 2, whole.find("picture") - 3}) {
        std::string damaged = whole;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
        const JournalReading reading = ReadJournal(damaged);
        EXPECT_TRUE(reading.damaged) << at;
        EXPECT_LT(reading.records.size(), 6u);
        const std::vector<JournalRecord> sample = Sample();
        EXPECT_EQ(reading.records,
                  std::vector<JournalRecord>(sample.begin(),
                                             sample.begin() + static_cast<long>(reading.records.size())));
    }
    EXPECT_TRUE(ReadJournal("garbage\n").damaged);
    EXPECT_TRUE(ReadJournal("99999999999999999999999 00000000 x\n").damaged);
    EXPECT_TRUE(ReadJournal(std::string("\0\0\0\n", 4)).damaged);
}

class JournalFileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Folder() const { return dir.filePath(QStringLiteral("stato/vardesca")); }
    QTemporaryDir dir;
};

TEST_F(JournalFileTest, AJournalLeftIsFoundUnlessItsCopyStillRunsAndSetAsideIsNotOfferedAgain) {
    QString why;
    auto journal = SessionJournal::Create(Folder(), why);
    ASSERT_TRUE(journal) << why.toStdString();
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
    QString why;
    EXPECT_FALSE(SessionJournal::Create(Folder(), why));
    EXPECT_FALSE(why.isEmpty());
}

}  // namespace
}  // namespace vardesca
