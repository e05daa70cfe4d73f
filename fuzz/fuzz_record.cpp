// SPDX-License-Identifier: GPL-3.0-or-later
// The folder's measurement record read from arbitrary bytes: a record damaged
// anyhow, or any file under its name, must never crash the opening of a
// photo. A reading with a problem takes no row; one without gives rows that
// the program writes back, in either convention, to a record that reads the
// same and writes the same bytes again.
#include <cstdint>
#include <cstdlib>

#include "session/measure_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const vardesca::RecordReading reading = vardesca::ReadRecord(bytes);
    if (reading.problem) {
        if (!reading.rows.empty()) {
            std::abort();
        }
        return 0;
    }
    for (const QChar decimal : {QLatin1Char(','), QLatin1Char('.')}) {
        const QByteArray written = vardesca::RecordCsv(reading.rows, decimal);
        const vardesca::RecordReading again = vardesca::ReadRecord(written);
        if (again.problem || again.rows.size() != reading.rows.size() ||
            vardesca::RecordCsv(again.rows, decimal) != written) {
            std::abort();
        }
    }
    return 0;
}
