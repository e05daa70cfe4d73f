// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/table_columns.h"

#include <QtGlobal>

namespace vardesca {

std::span<const TableColumn> TableColumns() {
    // Three decimals keep a click's fraction of a pixel at any zoom the ladder
    // reaches; the length has the two of its result line.
    constexpr unsigned kBoth = kTableForm | kRecordForm;
    static const TableColumn columns[] = {
        {QT_TRANSLATE_NOOP("Vardesca", "foto"), &TableRow::photo, 0, 1, kBoth},
        {QT_TRANSLATE_NOOP("Vardesca", "tipo"), &TableRow::kind, 0, 1, kRecordForm},
        {QT_TRANSLATE_NOOP("Vardesca", "numero"), &TableRow::number, 0, 1, kBoth},
        {QT_TRANSLATE_NOOP("Vardesca", "lunghezza (cm)"), &TableRow::length, 2, 1, kBoth},
        {QT_TRANSLATE_NOOP("Vardesca", "x0 (px)"), &TableRow::x0, 3, 1, kBoth},
        {QT_TRANSLATE_NOOP("Vardesca", "y0 (px)"), &TableRow::y0, 3, 1, kBoth},
        {QT_TRANSLATE_NOOP("Vardesca", "x1 (px)"), &TableRow::x1, 3, 1, kBoth},
        {QT_TRANSLATE_NOOP("Vardesca", "y1 (px)"), &TableRow::y1, 3, 1, kBoth},
        {QT_TRANSLATE_NOOP("Vardesca", "scala (px/cm)"), &TableRow::scale, 3, 1, kBoth},
        {QT_TRANSLATE_NOOP("Vardesca", "riferimento 1 (px/cm)"), &TableRow::reference1, 3, 1},
        {QT_TRANSLATE_NOOP("Vardesca", "riferimento 2 (px/cm)"), &TableRow::reference2, 3, 1},
        {QT_TRANSLATE_NOOP("Vardesca", "larghezza foto (px)"), &TableRow::photoWidth, 0, 1,
         kRecordForm},
        {QT_TRANSLATE_NOOP("Vardesca", "altezza foto (px)"), &TableRow::photoHeight, 0, 1,
         kRecordForm},
        {QT_TRANSLATE_NOOP("Vardesca", "foto modificata (UTC)"), &TableRow::photoTime, 0, 1,
         kRecordForm},
        {QT_TRANSLATE_NOOP("Vardesca", "punto selezionato"), &TableRow::selected, 0, 1,
         kRecordForm},
    };
    return columns;
}

}  // namespace vardesca
