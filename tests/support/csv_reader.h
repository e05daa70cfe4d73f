// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace vardesca::testing {

// A strict RFC 4180 reader: records end in CR LF, a quoted field may hold the
// separator, CR, LF and doubled quotes; a quote inside an unquoted field, a
// lone CR or LF, or a missing last CR LF is an error (nothing returned).
inline std::optional<std::vector<QStringList>> ReadCsv(const QString& text, QChar separator) {
    std::vector<QStringList> records;
    QStringList record;
    QString field;
    qsizetype i = 0;
    const auto at = [&text](qsizetype k) { return k < text.size() ? text[k] : QChar(); };
    while (i < text.size()) {
        if (at(i) == QLatin1Char('"')) {
            ++i;
            while (true) {
                if (i >= text.size()) {
                    return std::nullopt;  // an unclosed quote
                }
                if (at(i) == QLatin1Char('"')) {
                    if (at(i + 1) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += at(i++);
            }
        } else {
            while (i < text.size() && at(i) != separator && at(i) != QLatin1Char('\r') &&
                   at(i) != QLatin1Char('\n')) {
                if (at(i) == QLatin1Char('"')) {
                    return std::nullopt;
                }
                field += at(i++);
            }
        }
        record.push_back(field);
        field.clear();
        if (at(i) == separator) {
            ++i;
            continue;
        }
        if (at(i) != QLatin1Char('\r') || at(i + 1) != QLatin1Char('\n')) {
            return std::nullopt;
        }
        i += 2;
        records.push_back(record);
        record.clear();
    }
    if (!record.isEmpty()) {
        return std::nullopt;
    }
    return records;
}

}  // namespace vardesca::testing
