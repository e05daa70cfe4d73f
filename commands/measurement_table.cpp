// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/measurement_table.h"

#include <xlsxwriter.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <charconv>
#include <utility>

#include "commands/safe_file.h"
#include "picture/system_name.h"
#include "text/ui_text.h"

namespace vardesca {

namespace {

QString Field(const QString& text, QChar separator, bool quoteAlways = false) {
    const bool quote = quoteAlways || text.contains(separator) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!quote) {
        return text;
    }
    QString doubled = text;
    doubled.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

// A text cell a spreadsheet would take for a formula (a photo named
// "=HYPERLINK(…).jpg") is shown as text: led by an apostrophe and quoted, as
// OWASP advises for CSV files. Numbers are ours and never need it. The record,
// which the program reads back, leads a name that itself begins with an
// apostrophe with one more, so that taking the first off is always right.
QString TextField(const QString& text, QChar separator, TableForm form) {
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    const bool guard =
        !text.isEmpty() && (kFormulaStarts.contains(text.front()) ||
                            (form == kRecordForm && text.front() == QLatin1Char('\'')));
    if (!guard) {
        return Field(text, separator);
    }
    return Field(QLatin1Char('\'') + text, separator, true);
}

// A cell's text in the CSV: the photo's name as the system gives it (a name
// that is not UTF-8 keeps its own bytes, so that the cell still names the
// file), numbers with the column's decimals and the user's separator. In the
// record a reference's length is the one typed, every digit of it, for the
// scale to be worked out again exactly.
QByteArray CsvCell(const TableRow& row, const TableColumn& column, QChar separator, bool comma,
                   TableForm form) {
    if (const auto* text = std::get_if<QString TableRow::*>(&column.field)) {
        return ToSystemName(TextField(row.*(*text), separator, form));
    }
    // Numbers never hold a separator, a quote or a line end: written as they
    // are, straight from the digits (a table of thousands of rows is composed
    // at every measurement for the folder's record).
    char digits[512];
    std::to_chars_result written{digits, std::errc()};
    if (const auto* integer = std::get_if<int TableRow::*>(&column.field)) {
        written = std::to_chars(digits, digits + sizeof digits, row.*(*integer));
    } else {
        const auto field = std::get<double TableRow::*>(column.field);
        const double value = row.*field;
        if (form == kRecordForm && field == &TableRow::length &&
            row.kind == QLatin1String(record_kind::kReference)) {
            written = std::to_chars(digits, digits + sizeof digits, static_cast<float>(value));
        } else {
            // Qt's rounding, as the table always had it (a tie goes up:
            // 0.0625 is "0.063"), not to_chars' (to even).
            const QByteArray fixed = QByteArray::number(value, 'f', column.decimals);
            written.ptr =
                std::copy(fixed.begin(),
                          fixed.begin() + std::min<qsizetype>(fixed.size(), sizeof digits), digits);
        }
        if (comma) {
            std::replace(digits, written.ptr, '.', ',');
        }
    }
    if (written.ec != std::errc()) {
        return QByteArray("0");
    }
    return QByteArray(digits, written.ptr - digits);
}

QChar SeparatorFor(QChar decimalSeparator) {
    return decimalSeparator == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
}

}  // namespace

QByteArray CsvHeader(TableForm form, QChar decimalSeparator) {
    const QChar separator = SeparatorFor(decimalSeparator);
    QByteArray csv;
    for (const TableColumn& column : TableColumns()) {
        if (!In(column, form)) {
            continue;
        }
        if (!csv.isEmpty()) {
            csv += separator.toLatin1();
        }
        csv += Field(UiText(column.header), separator).toUtf8();
    }
    return csv + "\r\n";
}

QByteArray CsvLine(const TableRow& row, TableForm form, QChar decimalSeparator) {
    const bool comma = decimalSeparator == QLatin1Char(',');
    const QChar separator = SeparatorFor(decimalSeparator);
    QByteArray csv;
    bool first = true;
    for (const TableColumn& column : TableColumns()) {
        if (!In(column, form)) {
            continue;
        }
        if (!std::exchange(first, false)) {
            csv += separator.toLatin1();
        }
        csv += CsvCell(row, column, separator, comma, form);
    }
    return csv + "\r\n";
}

QByteArray TableCsv(const std::vector<TableRow>& rows, QChar decimalSeparator) {
    QByteArray csv = CsvHeader(kTableForm, decimalSeparator);
    for (const TableRow& row : rows) {
        csv += CsvLine(row, kTableForm, decimalSeparator);
    }
    return csv;
}

std::optional<QByteArray> TableXlsx(const std::vector<TableRow>& rows) {
    // The library writes to a file: a folder of our own (mode 0700) holds it
    // and its scratch files until its bytes are read back and written safely
    // where the user asked.
    const QTemporaryDir scratch;
    if (!scratch.isValid()) {
        return std::nullopt;
    }
    const QString path = scratch.filePath(QStringLiteral("tabella.xlsx"));
    const QByteArray pathBytes = QFile::encodeName(path);
    QByteArray scratchBytes = QFile::encodeName(scratch.path());
    lxw_workbook_options options{};
    options.tmpdir = scratchBytes.data();
    lxw_workbook* book = workbook_new_opt(pathBytes.constData(), &options);
    if (book == nullptr) {
        return std::nullopt;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, UiText(table_text::kSheetName).toUtf8());
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);
    // Each column's decimals, as the CSV shows them: "0.00", "0.000" …
    std::vector<lxw_format*> formats;
    for (const TableColumn& c : TableColumns()) {
        if (!In(c, kTableForm)) {
            continue;
        }
        lxw_format* format = workbook_add_format(book);
        const std::string pattern =
            c.decimals > 0 ? "0." + std::string(static_cast<std::size_t>(c.decimals), '0') : "0";
        format_set_num_format(format, pattern.c_str());
        formats.push_back(format);
    }

    // A column is as wide as its header, and the photo's as its longest name.
    std::vector<double> widths;
    lxw_col_t column = 0;
    for (const TableColumn& c : TableColumns()) {
        if (!In(c, kTableForm)) {
            continue;
        }
        const QString text = UiText(c.header);
        worksheet_write_string(sheet, 0, column++, text.toUtf8().constData(), bold);
        widths.push_back(std::max(8.0, static_cast<double>(text.size()) * 1.1 + 2));
    }
    lxw_row_t row = 1;
    for (const TableRow& r : rows) {
        column = 0;
        for (const TableColumn& c : TableColumns()) {
            if (!In(c, kTableForm)) {
                continue;
            }
            if (const auto* text = std::get_if<QString TableRow::*>(&c.field)) {
                const QString& value = r.*(*text);
                worksheet_write_string(sheet, row, column, value.toUtf8().constData(), nullptr);
                widths[column] =
                    std::max(widths[column], static_cast<double>(value.size()) * 1.1 + 2);
            } else if (const auto* integer = std::get_if<int TableRow::*>(&c.field)) {
                worksheet_write_number(sheet, row, column, r.*(*integer), nullptr);
            } else {
                worksheet_write_number(sheet, row, column, r.*std::get<double TableRow::*>(c.field),
                                       formats[column]);
            }
            ++column;
        }
        ++row;
    }
    for (lxw_col_t c = 0; c < widths.size(); ++c) {
        worksheet_set_column(sheet, c, c, widths[c], nullptr);
    }
    worksheet_freeze_panes(sheet, 1, 0);
    if (workbook_close(book) != LXW_NO_ERROR) {
        return std::nullopt;
    }
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return written.readAll();
}

void MeasurementTableExport::Save(const std::vector<TableRow>& rows, QChar decimalSeparator,
                                  const QString& photoPath) {
    if (rows.empty()) {
        dialogs_.ShowBox(QString(), UiText(table_text::kEmpty), WindowDialogs::Buttons::Ok);
        return;
    }
    // In the photo's folder, where the survey's files are; under the name last
    // chosen, if any.
    const QString name = lastName_.isEmpty() ? UiText(table_text::kDefaultName) : lastName_;
    const std::optional<QString> chosen =
        dialogs_.SaveFileAs(QFileInfo(photoPath).dir().filePath(name),
                            {UiText(table_text::kCsvFilter), UiText(table_text::kXlsxFilter)});
    if (!chosen) {
        return;
    }
    lastName_ = QFileInfo(*chosen).fileName();
    QByteArray bytes;
    if (chosen->endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        std::optional<QByteArray> workbook = TableXlsx(rows);
        if (!workbook) {
            dialogs_.ShowBox(
                QString(),
                UiText(table_text::kSaveFailed).arg(*chosen, UiText(table_text::kWorkbookFailed)),
                WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
            return;
        }
        bytes = std::move(*workbook);
    } else {
        bytes = TableCsv(rows, decimalSeparator);
    }
    if (const auto failure = WriteFileSafely(*chosen, bytes)) {
        dialogs_.ShowBox(QString(), UiText(table_text::kSaveFailed).arg(*chosen, failure->Reason()),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

}  // namespace vardesca
