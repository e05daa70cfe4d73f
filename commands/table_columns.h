// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <span>
#include <variant>

namespace vardesca {

// One measurement as the table records it: where it came from and what gave
// its length, so that a number in a spreadsheet can be traced back to the
// photo and checked.
struct TableRow {
    QString photo;                                  // the photo's file name
    int number = 0;                                 // as its result line numbers it
    double length = 0.0;                            // cm, rounded to hundredths as the line has it
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;  // photo pixels, fractions kept
    double scale = 0.0;                             // px/cm
    double reference1 = 0.0, reference2 = 0.0;      // each reference's own px/cm
    // The folder's measurement record has a row for each reference too: what
    // the row is (record_kind's words), and the photo as it was measured, so
    // that a photo changed since is noticed. For a reference, `length` is the
    // length typed and `number` 1 or 2.
    QString kind{};
    int photoWidth = 0, photoHeight = 0;  // pixels, upright
    QString photoTime{};                  // modified, ISO 8601 UTC to the millisecond
    int selected = 0;  // the point selected on the photo: 1 its first, 2 its second, 0 neither
    // Not a column: the photo's whole path, when the row was measured in this
    // session (a journal's rows have none), which tells the photo from one of
    // the same name in another folder.
    QString path{};
};

// Where a column appears: the session's table (the CSV and the workbook of
// Ctrl+T, and the journal's row record), the folder's measurement record, or
// both.
enum TableForm : unsigned { kTableForm = 1U, kRecordForm = 2U };

// One column of the table, as every form of it writes it: the CSV file, the
// workbook, the session journal's row record and the folder's measurement
// record all walk this one list, so a
// new column is one more entry in TableColumns (and its field in TableRow), and
// none of them can disagree about the order.
struct TableColumn {
    const char* header;  // marked for translation; the Italian is the CSV's header
    std::variant<QString TableRow::*, int TableRow::*, double TableRow::*> field;
    int decimals;  // in the CSV and the workbook; the journal keeps every digit
    // The journal's format version that first carried it: a row record of an
    // older journal has only the columns of its version, and the rest stay 0.
    int sinceJournal;
    unsigned forms = kTableForm;
};

// Whether `column` is one of `form`'s.
[[nodiscard]] inline bool In(const TableColumn& column, TableForm form) {
    return (column.forms & form) != 0;
}

[[nodiscard]] std::span<const TableColumn> TableColumns();
// The record's words for what a row is: a format's words, the same in every
// language, as a journal's kinds are.
namespace record_kind {
inline constexpr const char* kReference = "riferimento";
inline constexpr const char* kMeasurement = "misura";
}  // namespace record_kind

}  // namespace vardesca
