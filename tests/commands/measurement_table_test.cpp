// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <QFile>
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

}  // namespace
}  // namespace vardesca
