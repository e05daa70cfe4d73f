// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/measure_record.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "picture/system_name.h"
#include "tests/support/as_nobody.h"
#include "tests/support/csv_reader.h"
#include "tests/support/file_bytes.h"

namespace vardesca {
namespace {

using testing::ReadAll;

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TableRow Reference(const QString& photo, int number, double typed) {
    TableRow row;
    row.photo = photo;
    row.kind = QLatin1String(record_kind::kReference);
    row.number = number;
    row.length = typed;
    row.x0 = 10;
    row.y0 = 20.125;
    row.x1 = 110.5;
    row.y1 = 20;
    row.scale = 45.678;
    row.photoWidth = 4000;
    row.photoHeight = 3000;
    row.photoTime = QStringLiteral("2026-12-01T10:00:00.250Z");
    return row;
}

TableRow Fish(const QString& photo, int number, double length = 12.35) {
    TableRow row = Reference(photo, 1, length);
    row.kind = QLatin1String(record_kind::kMeasurement);
    row.number = number;
    row.selected = number == 2 ? 2 : 0;
    return row;
}

void ExpectSameRows(const std::vector<TableRow>& read, const std::vector<TableRow>& written) {
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i].photo, written[i].photo);
        EXPECT_EQ(read[i].kind, written[i].kind);
        EXPECT_EQ(read[i].number, written[i].number);
        // A typed length is the float the calibration took.
        EXPECT_EQ(static_cast<float>(read[i].length), static_cast<float>(written[i].length));
        EXPECT_EQ(read[i].x0, written[i].x0);
        EXPECT_EQ(read[i].y0, written[i].y0);
        EXPECT_EQ(read[i].scale, written[i].scale);
        EXPECT_EQ(read[i].photoWidth, written[i].photoWidth);
        EXPECT_EQ(read[i].photoTime, written[i].photoTime);
        EXPECT_EQ(read[i].selected, written[i].selected);
    }
}

// What a spreadsheet reads and what the program reads back: RFC 4180 to the
// letter in both conventions, a first line naming the format, every line as
// wide as the header, and every row back as written, a typed length to its
// last digit and names a spreadsheet would take for formulas included.
TEST(MeasureRecordTest, TheRecordReadsBackStrictlyInBothConventions) {
    const std::vector<TableRow> rows = {
        Reference(QStringLiteral("trota; \"grande\",\r\nbis.jpg"), 1, static_cast<float>(2.1)),
        Reference(QStringLiteral("=SOMMA(A1).jpg"), 2, static_cast<float>(0.3)),
        Fish(QStringLiteral("'apostrofo.jpg"), 1),
        Fish(QStringLiteral("IMG_0137.JPG"), 2, 31.4),
    };
    for (const QChar decimal : {QLatin1Char(','), QLatin1Char('.')}) {
        SCOPED_TRACE(decimal.toLatin1());
        const QByteArray bytes = RecordCsv(rows, decimal);
        const QChar separator = decimal == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
        const auto lines = testing::ReadCsv(QString::fromUtf8(bytes), separator);
        ASSERT_TRUE(lines.has_value());
        ASSERT_EQ(lines->size(), rows.size() + 2);
        EXPECT_EQ((*lines)[0],
                  (QStringList{QStringLiteral("vardesca-misure"), QStringLiteral("1")}));
        for (std::size_t i = 2; i < lines->size(); ++i) {
            EXPECT_EQ((*lines)[i].size(), (*lines)[1].size()) << i;
        }
        EXPECT_EQ((*lines)[2][3], decimal == QLatin1Char(',') ? "2,1" : "2.1") << "as typed";
        EXPECT_EQ((*lines)[5][3], decimal == QLatin1Char(',') ? "31,40" : "31.40");
        EXPECT_EQ((*lines)[3][0], "'=SOMMA(A1).jpg");

        const RecordReading reading = ReadRecord(bytes);
        ASSERT_FALSE(reading.problem);
        ExpectSameRows(reading.rows, rows);
    }
    // A name that is not UTF-8 keeps its bytes, and so still names the file.
    const QString odd = FromSystemName(QByteArray("trota-\xff.jpg"));
    const RecordReading reading = ReadRecord(RecordCsv({Fish(odd, 1)}, QLatin1Char('.')));
    ASSERT_EQ(reading.rows.size(), 1U);
    EXPECT_EQ(ToSystemName(reading.rows[0].photo), QByteArray("trota-\xff.jpg"));
}

// Anything the program did not write is a problem, and none of its rows is
// taken: a damaged record is never rewritten with part of it.
TEST(MeasureRecordTest, AnythingElseIsAProblemWithNoRows) {
    const QByteArray good = RecordCsv({Fish(QStringLiteral("a.jpg"), 1)}, QLatin1Char('.'));
    const auto withRow = [&](const QByteArray& row) { return good + row; };
    const QByteArray header = good.left(good.indexOf("\r\n", good.indexOf("\r\n") + 2) + 2);
    const QByteArray row = good.mid(header.size());
    const auto replaced = [&](const char* from, const char* to) {
        return header + QByteArray(row).replace(from, to);
    };
    const std::vector<std::pair<QByteArray, RecordProblem>> cases = {
        {"", RecordProblem::Foreign},
        {"foto,numero\r\na.jpg,1\r\n", RecordProblem::Foreign},
        {"vardesca-misure", RecordProblem::Foreign},
        {good.left(good.size() - 2), RecordProblem::Damaged},              // cut short
        {good.left(good.size() - 9), RecordProblem::Damaged},              // cut in a row
        {QByteArray(good).replace("\r\n", "\n"), RecordProblem::Damaged},  // bare line ends
        {withRow("\"a.jpg,misura\r\n"), RecordProblem::Damaged},           // an open quote
        {withRow("a\"b.jpg\r\n"), RecordProblem::Damaged},                 // a quote inside
        {withRow("\r\n"), RecordProblem::Damaged},                         // an empty line
        {replaced(",misura,", ",pesce,"), RecordProblem::Damaged},
        {replaced(",misura,1,", ",riferimento,3,"), RecordProblem::Damaged},
        {replaced(",misura,1,", ",misura,0,"), RecordProblem::Damaged},
        {replaced(",12.35,", ",nan,"), RecordProblem::Damaged},
        {replaced(",12.35,", ",1e999,"), RecordProblem::Damaged},
        {replaced(",12.35,", ",12,35,"), RecordProblem::Damaged},  // one cell too many
        {replaced(",12.35,", ",,"), RecordProblem::Damaged},
        {replaced(",4000,", ",-1,"), RecordProblem::Damaged},
        {QByteArray(good).replace("vardesca-misure,1", "vardesca-misure,x"),
         RecordProblem::Damaged},
        {QByteArray(good).replace("vardesca-misure,1", "vardesca-misure,2"), RecordProblem::Newer},
    };
    for (const auto& [bytes, problem] : cases) {
        SCOPED_TRACE(bytes.toStdString());
        const RecordReading reading = ReadRecord(bytes);
        EXPECT_EQ(reading.problem, problem);
        EXPECT_TRUE(reading.rows.empty());
    }
    EXPECT_FALSE(ReadRecord(header).problem) << "a record of no rows is a record";
}

class FolderRecordTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    [[nodiscard]] RecordPlace Place() const {
        return {dir.filePath(QString::fromUtf8(kRecordFileName)), true, QString()};
    }
    [[nodiscard]] std::vector<TableRow> Read() const { return ReadFolderRecord(Place()).rows; }
    QTemporaryDir dir;
};

// Two copies of the program, each writing its own photo's rows: every write
// reads the record again, so neither loses the other's rows, and a photo's
// rows keep their place among the others.
TEST_F(FolderRecordTest, EachWriteReplacesOnlyItsOwnPhotosRows) {
    const QString a = QStringLiteral("a.jpg");
    const QString b = QStringLiteral("b.jpg");
    ASSERT_FALSE(
        ReplacePhotoRows(Place(), a, {Reference(a, 1, 2), Fish(a, 1)}, QLatin1Char(',')).failure);
    ASSERT_FALSE(
        ReplacePhotoRows(Place(), b, {Reference(b, 1, 2), Fish(b, 1), Fish(b, 2)}, QLatin1Char('.'))
            .failure);
    ASSERT_FALSE(ReplacePhotoRows(Place(), a, {Fish(a, 7)}, QLatin1Char(',')).failure);
    const std::vector<TableRow> rows = Read();
    ASSERT_EQ(rows.size(), 4U);
    EXPECT_EQ(rows[0].number, 7);
    EXPECT_EQ(rows[1].photo, b);
    EXPECT_EQ(rows[3].number, 2);
    EXPECT_TRUE(ReadAll(Place().path).startsWith("vardesca-misure;1\r\n")) << "the last writer's";

    ASSERT_FALSE(ReplacePhotoRows(Place(), b, {}, QLatin1Char(',')).failure);
    ASSERT_EQ(Read().size(), 1U);
    // No rows for a photo the record does not have: nothing written at all.
    const QString other = dir.filePath(QStringLiteral("altra"));
    ASSERT_TRUE(QDir().mkdir(other));
    const RecordPlace none{QDir(other).filePath(QString::fromUtf8(kRecordFileName)), true, {}};
    ASSERT_FALSE(ReplacePhotoRows(none, a, {}, QLatin1Char(',')).failure);
    EXPECT_FALSE(QFile::exists(none.path));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QString::fromUtf8(kRecordFileName)})
        << "no temporary left beside it";
}

// A record that cannot be read is renamed aside whole, never written over,
// and a new one begins; a link in its place is not followed.
TEST_F(FolderRecordTest, ARecordThatCannotBeReadIsSetAsideWhole) {
    const QByteArray damaged = "vardesca-misure;1\r\nfoto;tipo\r\n\"rotto";
    ASSERT_TRUE(WriteAll(Place().path, damaged));
    const FolderRecord first = ReplacePhotoRows(
        Place(), QStringLiteral("a.jpg"), {Fish(QStringLiteral("a.jpg"), 1)}, QLatin1Char(','));
    ASSERT_EQ(first.problem, RecordProblem::Damaged);
    EXPECT_TRUE(
        first.setAsideAs.endsWith(QStringLiteral("misure-vardesca (messo da parte 1).csv")));
    EXPECT_EQ(ReadAll(first.setAsideAs), damaged);
    EXPECT_EQ(Read().size(), 1U);

    // A link to the user's own file: renamed aside, the file left alone.
    const QString precious = dir.filePath(QStringLiteral("tesi.txt"));
    ASSERT_TRUE(WriteAll(precious, "capitolo 1"));
    ASSERT_TRUE(QFile::remove(Place().path));
    ASSERT_TRUE(QFile::link(precious, Place().path));
    const FolderRecord read = ReadFolderRecord(Place());
    EXPECT_EQ(read.problem, RecordProblem::Foreign);
    EXPECT_TRUE(read.setAsideAs.endsWith(QStringLiteral("(messo da parte 2).csv")));
    EXPECT_EQ(ReadAll(precious), "capitolo 1");
    EXPECT_FALSE(QFile::exists(Place().path));

    // A newer version's record is kept for it, not read.
    ASSERT_TRUE(WriteAll(Place().path, "vardesca-misure;2\r\n"));
    EXPECT_EQ(ReadFolderRecord(Place()).problem, RecordProblem::Newer);
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("misure-vardesca (messo da parte 3).csv"))),
              "vardesca-misure;2\r\n");
}

// A folder the user cannot write (a camera's card, a share): the record goes
// to the data folder, named after the folder, and starts from the folder's
// own record, which stays as it is.
TEST_F(FolderRecordTest, AFolderThatCannotBeWrittenKeepsItsRecordInTheDataFolder) {
    const QString photos = dir.filePath(QStringLiteral("DCIM/100CANON"));
    const QString data = dir.filePath(QStringLiteral("dati"));
    ASSERT_TRUE(QDir().mkpath(photos));
    ASSERT_TRUE(QDir().mkpath(data));
    const QString own = QDir(photos).filePath(QString::fromUtf8(kRecordFileName));
    const QByteArray seed = RecordCsv({Fish(QStringLiteral("b.jpg"), 1)}, QLatin1Char(','));
    ASSERT_TRUE(WriteAll(own, seed));
    ASSERT_EQ(::chmod(QFile::encodeName(photos).constData(), 0555), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(data).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    const int result = testing::AsNobody([&] {
        const RecordPlace place = RecordPlaceFor(photos);
        if (place.inFolder || !place.path.startsWith(data + QStringLiteral("/vardesca/")) ||
            !place.path.contains(QStringLiteral("DCIM_100CANON-")) || place.seed != own) {
            return 1;
        }
        if (ReplacePhotoRows(place, QStringLiteral("a.jpg"), {Fish(QStringLiteral("a.jpg"), 1)},
                             QLatin1Char(','))
                .failure) {
            return 2;
        }
        return ReadFolderRecord(place).rows.size() == 2 ? 0 : 3;
    });
    ::chmod(QFile::encodeName(photos).constData(), 0755);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadAll(own), seed);
    EXPECT_NE(FallbackRecordPath(photos), FallbackRecordPath(photos + QStringLiteral("_")))
        << "two folders never share one";
}

}  // namespace
}  // namespace vardesca
