// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/measurement_table.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "commands/safe_file.h"
#include "picture/system_name.h"
#include "picture/ui_text.h"

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
        dialogs_.SaveFile(QFileInfo(photoPath).dir().filePath(name));
    if (!chosen) {
        return;
    }
    lastName_ = QFileInfo(*chosen).fileName();
    if (const auto failure = WriteFileSafely(*chosen, TableCsv(rows, decimalSeparator))) {
        dialogs_.ShowBox(QString(), UiText(table_text::kSaveFailed).arg(*chosen, failure->reason),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

}  // namespace vardesca
