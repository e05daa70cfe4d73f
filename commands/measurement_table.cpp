// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/measurement_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <xlsxwriter.h>

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
// OWASP advises for CSV files. Numbers are ours and never need it.
QString TextField(const QString& text, QChar separator) {
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    if (text.isEmpty() || !kFormulaStarts.contains(text.front())) {
        return Field(text, separator);
    }
    return Field(QLatin1Char('\'') + text, separator, true);
}

}  // namespace

QByteArray TableCsv(const std::vector<TableRow>& rows, QChar decimalSeparator) {
    const bool comma = decimalSeparator == QLatin1Char(',');
    const QChar separator = comma ? QLatin1Char(';') : QLatin1Char(',');
    const auto number = [comma](double value, int decimals) {
        QString text = QString::number(value, 'f', decimals);
        if (comma) {
            text.replace(QLatin1Char('.'), QLatin1Char(','));
        }
        return text;
    };
    const auto line = [separator](const QStringList& fields) {
        QStringList quoted;
        for (const QString& f : fields) {
            quoted.push_back(Field(f, separator));
        }
        return quoted.join(separator) + QLatin1String("\r\n");
    };

    QStringList header;
    for (const char* title : table_text::kHeader) {
        header.push_back(UiText(title));
    }
    QByteArray csv = line(header).toUtf8();
    // Three decimals keep a click's fraction of a pixel at any zoom the ladder
    // reaches; the length has the two of its result line.
    for (const TableRow& r : rows) {
        // The photo's name as the system gives it: a name that is not UTF-8
        // keeps its own bytes, so that the cell still names the file.
        csv += ToSystemName(TextField(r.photo, separator));
        csv += separator.toLatin1();
        csv += line({QString::number(r.number), number(r.length, 2), number(r.x0, 3),
                     number(r.y0, 3), number(r.x1, 3), number(r.y1, 3), number(r.scale, 3),
                     number(r.reference1, 3), number(r.reference2, 3)})
                   .toUtf8();
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
    lxw_format* hundredths = workbook_add_format(book);
    format_set_num_format(hundredths, "0.00");
    lxw_format* thousandths = workbook_add_format(book);
    format_set_num_format(thousandths, "0.000");

    // A column is as wide as its header, and the photo's as its longest name.
    std::vector<double> widths;
    lxw_col_t column = 0;
    for (const char* title : table_text::kHeader) {
        const QString text = UiText(title);
        worksheet_write_string(sheet, 0, column++, text.toUtf8().constData(), bold);
        widths.push_back(std::max(8.0, static_cast<double>(text.size()) * 1.1 + 2));
    }
    lxw_row_t row = 1;
    for (const TableRow& r : rows) {
        worksheet_write_string(sheet, row, 0, r.photo.toUtf8().constData(), nullptr);
        widths[0] = std::max(widths[0], static_cast<double>(r.photo.size()) * 1.1 + 2);
        worksheet_write_number(sheet, row, 1, r.number, nullptr);
        worksheet_write_number(sheet, row, 2, r.length, hundredths);
        column = 3;
        for (const double value :
             {r.x0, r.y0, r.x1, r.y1, r.scale, r.reference1, r.reference2}) {
            worksheet_write_number(sheet, row, column++, value, thousandths);
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
    const std::optional<QString> chosen = dialogs_.SaveFileAs(
        QFileInfo(photoPath).dir().filePath(name),
        {UiText(table_text::kCsvFilter), UiText(table_text::kXlsxFilter)});
    if (!chosen) {
        return;
    }
    lastName_ = QFileInfo(*chosen).fileName();
    QByteArray bytes;
    if (chosen->endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        std::optional<QByteArray> workbook = TableXlsx(rows);
        if (!workbook) {
            dialogs_.ShowBox(QString(),
                             UiText(table_text::kSaveFailed)
                                 .arg(*chosen, UiText(table_text::kWorkbookFailed)),
                             WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
            return;
        }
        bytes = std::move(*workbook);
    } else {
        bytes = TableCsv(rows, decimalSeparator);
    }
    if (const auto failure = WriteFileSafely(*chosen, bytes)) {
        dialogs_.ShowBox(QString(), UiText(table_text::kSaveFailed).arg(*chosen, failure->reason),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

}  // namespace vardesca
