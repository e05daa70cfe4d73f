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
};

// One column of the table, as every form of it writes it: the CSV file, the
// workbook and the session journal's row record all walk this one list, so a
// new column is one more entry in TableColumns (and its field in TableRow), and
// none of them can disagree about the order.
struct TableColumn {
    const char* header;  // marked for translation; the Italian is the CSV's header
    std::variant<QString TableRow::*, int TableRow::*, double TableRow::*> field;
    int decimals;  // in the CSV and the workbook; the journal keeps every digit
    // The journal's format version that first carried it: a row record of an
    // older journal has only the columns of its version, and the rest stay 0.
    int sinceJournal;
};

[[nodiscard]] std::span<const TableColumn> TableColumns();

}  // namespace vardesca
