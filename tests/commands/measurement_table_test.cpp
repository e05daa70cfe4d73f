// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "commands/measurement_table.h"
#include "tests/support/csv_reader.h"
#include "tests/support/scripted_window_dialogs.h"

namespace vardesca {
namespace {

using testing::ReadCsv;

std::vector<TableRow> SomeRows() {
    // A name with every character RFC 4180 quotes.
    return {{QStringLiteral("IMG_2.JPG"), 1, 12.35, 10.0, 20.5, 110.25, 20.0, 8.1, 8.0, 8.2},
            {QStringLiteral("trota; \"grande\",\r\nbis.jpg"), 2, 0.5, 0.0625, 1.0 / 3, 4, 5,
             45.678, 44.0, 47.356},
            // Only the separators, which alone call for quotes.
            {QStringLiteral("rilievo;2,3.jpg"), 3, 1, 0, 0, 0, 0, 1, 1, 1}};
}

TEST(MeasurementTableTest, ItalianSettingsGiveSemicolonsAndCommasThatReadBackExactly) {
    const auto rows = SomeRows();
    const QString csv = QString::fromUtf8(TableCsv(rows, QLatin1Char(',')));
    const auto records = ReadCsv(csv, QLatin1Char(';'));
    ASSERT_TRUE(records) << csv.toStdString();
    ASSERT_EQ(records->size(), 4u);
    EXPECT_EQ(records->at(3)[0], rows[2].photo);
    EXPECT_EQ(records->at(0).first(), QStringLiteral("foto"));
    EXPECT_EQ(records->at(0).size(), 10);
    EXPECT_EQ(records->at(1),
              QStringList({"IMG_2.JPG", "1", "12,35", "10,000", "20,500", "110,250", "20,000",
                           "8,100", "8,000", "8,200"}));
    // The awkward name comes back whole; the fraction of a pixel a zoomed click
    // gives is kept.
    EXPECT_EQ(records->at(2)[0], rows[1].photo);
    EXPECT_EQ(records->at(2)[2], QStringLiteral("0,50"));
    EXPECT_EQ(records->at(2)[3], QStringLiteral("0,063"));
    EXPECT_EQ(records->at(2)[4], QStringLiteral("0,333"));
}

TEST(MeasurementTableTest, ElsewhereCommasSeparateAndThePointIsDecimal) {
    const QString csv = QString::fromUtf8(TableCsv(SomeRows(), QLatin1Char('.')));
    const auto records = ReadCsv(csv, QLatin1Char(','));
    ASSERT_TRUE(records) << csv.toStdString();
    ASSERT_EQ(records->size(), 4u);
    EXPECT_EQ(records->at(3)[0], SomeRows()[2].photo);
    EXPECT_EQ(records->at(1)[2], QStringLiteral("12.35"));
    EXPECT_EQ(records->at(2)[7], QStringLiteral("45.678"));
    EXPECT_EQ(records->at(0).size(), 10);
    EXPECT_EQ(records->at(2)[0], SomeRows()[1].photo);
}

// A photo named like a formula is shown by a spreadsheet as text, and read
// back it is the name with an apostrophe before it; numbers, negative ones
// included, stay numbers.
TEST(MeasurementTableTest, NoNameCellStartsAFormula) {
    std::vector<TableRow> rows;
    for (const char* name : {"=HYPERLINK(\"http://x\",\"y\").jpg", "+1.jpg", "-2.jpg", "@SUM(A1).jpg",
                             "\tcmd.jpg", "\r=1.jpg", "a=b.jpg"}) {
        rows.push_back({QString::fromUtf8(name), 1, -1.5, -2, 0, 0, 0, 1, 1, 1});
    }
    for (const QChar decimal : {QLatin1Char(','), QLatin1Char('.')}) {
        const QByteArray csv = TableCsv(rows, decimal);
        const QChar separator = decimal == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
        const auto records = ReadCsv(QString::fromUtf8(csv), separator);
        ASSERT_TRUE(records) << csv.toStdString();
        ASSERT_EQ(records->size(), rows.size() + 1);
        for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
            EXPECT_EQ(records->at(i + 1)[0], QLatin1Char('\'') + rows[i].photo);
            // Quoted: the cell's first byte in the file is the quote.
            EXPECT_TRUE(csv.contains("\r\n\"'")) << i;
        }
        EXPECT_EQ(records->back()[0], QStringLiteral("a=b.jpg"));  // only a start counts
        const QString length = decimal == QLatin1Char(',') ? QStringLiteral("-1,50") : QStringLiteral("-1.50");
        EXPECT_EQ(records->at(1)[2], length);
    }
}

TEST(MeasurementTableTest, TheSaveOffersTheTableBesideThePhotoAndRefusesAnEmptyOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    testing::ScriptedWindowDialogs dialogs;
    MeasurementTableExport exporter(dialogs);
    const QString photo = dir.filePath(QStringLiteral("IMG_2.JPG"));

    exporter.Save({}, QLatin1Char(','), photo);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].text.startsWith(QStringLiteral("Nessuna misura")));

    const QString chosen = dir.filePath(QStringLiteral("rilievo.csv"));
    dialogs.files = {chosen};
    exporter.Save(SomeRows(), QLatin1Char(','), photo);
    EXPECT_EQ(dialogs.shown.back().text, dir.filePath(QStringLiteral("misure.csv")));
    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), TableCsv(SomeRows(), QLatin1Char(',')));

    // Next time the name chosen is offered again, in the folder of the photo shown.
    dialogs.files = {QString()};
    exporter.Save(SomeRows(), QLatin1Char(','), QStringLiteral("/altrove/IMG_9.JPG"));
    EXPECT_EQ(dialogs.shown.back().text, QStringLiteral("/altrove/rilievo.csv"));
    EXPECT_EQ(dialogs.Messages().size(), 1u);
}

// A workbook read back by a real reader (openpyxl): what it shows for each cell.
QJsonObject ReadWorkbook(const QByteArray& bytes) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("t.xlsx")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VARDESCA_SOURCE "/tests/commands/read_xlsx.py"), file.fileName()});
    EXPECT_TRUE(reader.waitForFinished(50000));
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

TEST(MeasurementTableTest, TheWorkbookHoldsNumbersABoldFrozenHeaderAndWideColumns) {
    std::vector<TableRow> rows = SomeRows();
    rows.push_back({QStringLiteral("=HYPERLINK(\"x\").jpg"), 4, 7.25, 1, 2, 3, 4, 5, 6, 7});
    const std::optional<QByteArray> bytes = TableXlsx(rows);
    ASSERT_TRUE(bytes);
    const QJsonObject book = ReadWorkbook(*bytes);
    EXPECT_EQ(book[QStringLiteral("sheet")].toString(), QStringLiteral("misure"));
    EXPECT_EQ(book[QStringLiteral("freeze")].toString(), QStringLiteral("A2"));
    const QJsonArray read = book[QStringLiteral("rows")].toArray();
    ASSERT_EQ(read.size(), 5);
    const QJsonArray header = read[0].toArray();
    ASSERT_EQ(header.size(), 10);
    EXPECT_EQ(header[0].toObject()[QStringLiteral("value")].toString(), QStringLiteral("foto"));
    EXPECT_EQ(header[2].toObject()[QStringLiteral("value")].toString(),
              QStringLiteral("lunghezza (cm)"));
    for (const QJsonValue cell : header) {
        EXPECT_TRUE(cell.toObject()[QStringLiteral("bold")].toBool());
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QJsonArray cells = read[static_cast<qsizetype>(i + 1)].toArray();
        const TableRow& r = rows[i];
        const auto cell = [&cells](int c) { return cells[c].toObject(); };
        // The name as text, even one a spreadsheet would take for a formula.
        EXPECT_EQ(cell(0)[QStringLiteral("type")].toString(), QStringLiteral("s"));
        EXPECT_EQ(cell(0)[QStringLiteral("value")].toString(), r.photo);
        EXPECT_FALSE(cell(1)[QStringLiteral("bold")].toBool());
        const double numbers[] = {static_cast<double>(r.number), r.length, r.x0, r.y0, r.x1,
                                  r.y1, r.scale, r.reference1, r.reference2};
        for (int c = 1; c < 10; ++c) {
            EXPECT_EQ(cell(c)[QStringLiteral("type")].toString(), QStringLiteral("n")) << c;
            EXPECT_DOUBLE_EQ(cell(c)[QStringLiteral("value")].toDouble(), numbers[c - 1]) << c;
        }
        EXPECT_EQ(cell(2)[QStringLiteral("format")].toString(), QStringLiteral("0.00"));
        EXPECT_EQ(cell(3)[QStringLiteral("format")].toString(), QStringLiteral("0.000"));
    }
    // Every header fits its column.
    const QJsonObject widths = book[QStringLiteral("widths")].toObject();
    EXPECT_GE(widths[QStringLiteral("J")].toDouble(), QStringLiteral("riferimento 2 (px/cm)").size());
    EXPECT_GE(widths[QStringLiteral("A")].toDouble(), rows[1].photo.size());
}

TEST(MeasurementTableTest, TheNamesExtensionChoosesTheWorkbookOrTheCsvUnderAnySettings) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    testing::ScriptedWindowDialogs dialogs;
    MeasurementTableExport exporter(dialogs);
    const QString photo = dir.filePath(QStringLiteral("IMG_2.JPG"));
    const auto saved = [&](const QString& name, QChar decimal) {
        dialogs.files = {dir.filePath(name)};
        exporter.Save(SomeRows(), decimal, photo);
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    };
    const QByteArray italian = saved(QStringLiteral("tabella.xlsx"), QLatin1Char(','));
    ASSERT_EQ(dialogs.offeredFilters.size(), 2);
    EXPECT_TRUE(dialogs.offeredFilters[0].endsWith(QStringLiteral("(*.csv)")));
    EXPECT_TRUE(dialogs.offeredFilters[1].endsWith(QStringLiteral("(*.xlsx)")));
    const QByteArray english = saved(QStringLiteral("TABELLA.XLSX"), QLatin1Char('.'));
    // A workbook either way, and the same numbers whatever the decimal sign.
    EXPECT_TRUE(italian.startsWith("PK\x03\x04"));
    EXPECT_TRUE(english.startsWith("PK\x03\x04"));
    const QJsonArray a = ReadWorkbook(italian)[QStringLiteral("rows")].toArray();
    const QJsonArray b = ReadWorkbook(english)[QStringLiteral("rows")].toArray();
    EXPECT_EQ(a, b);
    EXPECT_DOUBLE_EQ(a[1].toArray()[2].toObject()[QStringLiteral("value")].toDouble(), 12.35);
    // Any other name: the CSV as it was.
    EXPECT_EQ(saved(QStringLiteral("tabella.txt"), QLatin1Char(',')),
              TableCsv(SomeRows(), QLatin1Char(',')));
    EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
}  // namespace vardesca
