// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <optional>
#include <vector>

#include "commands/table_columns.h"
#include "dialogs/window_dialogs.h"

namespace vardesca {

// Every measurement of the session, in the order taken. It follows the
// measuring, not the results box: an undone measurement leaves it and a redone
// one comes back, while the user's edits of the box leave it alone.
class MeasurementTable {
  public:
    void Add(TableRow row) { rows_.push_back(std::move(row)); }
    // Undo only ever takes back the newest measurement.
    void RemoveLast() {
        if (!rows_.empty()) {
            rows_.pop_back();
        }
    }
    // A row changed in place (a moved point): the rows keep their order.
    void Replace(std::size_t index, TableRow row) {
        if (index < rows_.size()) {
            rows_[index] = std::move(row);
        }
    }
    void Clear() { rows_.clear(); }
    [[nodiscard]] const std::vector<TableRow>& Rows() const { return rows_; }

  private:
    std::vector<TableRow> rows_;
};

// The table as CSV (RFC 4180: a header row, CR LF line ends, a field quoted
// when it holds the separator, a quote or a line end). With a decimal comma,
// as under Italian settings, fields are separated by ";" as spreadsheets there
// expect; otherwise by "," with a decimal point.
[[nodiscard]] QByteArray TableCsv(const std::vector<TableRow>& rows, QChar decimalSeparator);
// The header line and one row's line (CR LF included) of `form`'s columns,
// with the same conventions.
[[nodiscard]] QByteArray CsvHeader(TableForm form, QChar decimalSeparator);
[[nodiscard]] QByteArray CsvLine(const TableRow& row, TableForm form, QChar decimalSeparator);

// The table as a spreadsheet workbook (.xlsx, written by libxlsxwriter): the
// same header in bold, frozen above the rows, numbers as numbers (shown with
// the line's two decimals and the points' three), columns wide enough for
// their header. Nothing when the workbook could not be made.
[[nodiscard]] std::optional<QByteArray> TableXlsx(const std::vector<TableRow>& rows);

// Ctrl+T: the table saved through the save dialog, offered as "misure.csv" in
// the photo's folder, written beside the target and renamed over it when whole.
// A name ending in .xlsx (any case) gets the workbook, any other the CSV.
class MeasurementTableExport {
  public:
    explicit MeasurementTableExport(WindowDialogs& dialogs) : dialogs_(dialogs) {}

    void Save(const std::vector<TableRow>& rows, QChar decimalSeparator, const QString& photoPath);

  private:
    WindowDialogs& dialogs_;
    QString lastName_;
};

namespace table_text {
inline constexpr const char* kDefaultName = QT_TRANSLATE_NOOP("Vardesca", "misure.csv");
inline constexpr const char* kEmpty = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Nessuna misura da salvare: la tabella raccoglie le misure prese da quando il programma è "
    "stato avviato o da \"Resetta misurazioni\".");
inline constexpr const char* kSaveFailed =
    QT_TRANSLATE_NOOP("Vardesca", "Impossibile salvare la tabella delle misure\n\n%1\n\n%2.");
inline constexpr const char* kCsvFilter = QT_TRANSLATE_NOOP("Vardesca", "Tabella CSV (*.csv)");
inline constexpr const char* kXlsxFilter =
    QT_TRANSLATE_NOOP("Vardesca", "Foglio di calcolo Excel (*.xlsx)");
inline constexpr const char* kSheetName = QT_TRANSLATE_NOOP("Vardesca", "misure");
inline constexpr const char* kWorkbookFailed =
    QT_TRANSLATE_NOOP("Vardesca", "il foglio di calcolo non si è potuto comporre");
}  // namespace table_text

}  // namespace vardesca
