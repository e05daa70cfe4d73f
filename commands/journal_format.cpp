// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/journal_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace vardesca {

namespace {

std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

void Escape(std::string_view text, std::string& out) {
    for (const char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c; break;
        }
    }
}

// The fields of a payload; false for an escape the writer never makes.
bool SplitPayload(std::string_view payload, JournalRecord& record) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        const char c = payload[i];
        if (c == '\t') {
            parts.emplace_back();
        } else if (c == '\\') {
            if (++i >= payload.size()) {
                return false;
            }
            switch (payload[i]) {
                case '\\': parts.back() += '\\'; break;
                case 't': parts.back() += '\t'; break;
                case 'n': parts.back() += '\n'; break;
                case 'r': parts.back() += '\r'; break;
                default: return false;
            }
        } else {
            parts.back() += c;
        }
    }
    record.kind = std::move(parts.front());
    record.fields.assign(std::make_move_iterator(parts.begin() + 1),
                         std::make_move_iterator(parts.end()));
    return !record.kind.empty();
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = MakeCrcTable();
    std::uint32_t c = 0xFFFFFFFFU;
    for (const char b : bytes) {
        c = table[(c ^ static_cast<unsigned char>(b)) & 0xFFU] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFU;
}

std::string EncodeRecord(const JournalRecord& record) {
    std::string payload;
    Escape(record.kind, payload);
    for (const std::string& field : record.fields) {
        payload += '\t';
        Escape(field, payload);
    }
    char head[32];
    std::snprintf(head, sizeof head, "%zu %08x ", payload.size(),
                  static_cast<unsigned>(Crc32(payload)));
    return head + payload + '\n';
}

JournalReading ReadJournal(std::string_view bytes) {
    JournalReading reading;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) {
            break;  // the last record, cut short: ignored
        }
        const std::string_view line = bytes.substr(at, end - at);
        // "<length> <crc> <payload>"
        std::size_t length = 0;
        const auto [afterLength, lengthError] =
            std::from_chars(line.data(), line.data() + line.size(), length);
        const std::size_t lengthDigits = static_cast<std::size_t>(afterLength - line.data());
        // Only as the writer writes it: no leading zero, lower-case hex, so
        // that a whole record is exactly the bytes its encoding gives.
        bool whole = lengthError == std::errc() && lengthDigits > 0 && line[0] != '0' &&
                     line.size() >= lengthDigits + 11 && line[lengthDigits] == ' ' &&
                     line[lengthDigits + 9] == ' ' &&
                     line.size() - lengthDigits - 10 == length;
        JournalRecord record;
        if (whole) {
            std::uint32_t crc = 0;
            const char* crcStart = line.data() + lengthDigits + 1;
            const auto [afterCrc, crcError] = std::from_chars(crcStart, crcStart + 8, crc, 16);
            const std::string_view payload = line.substr(lengthDigits + 10);
            const bool lowerHex = std::all_of(crcStart, crcStart + 8, [](char c) {
                return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
            });
            whole = lowerHex && crcError == std::errc() && afterCrc == crcStart + 8 &&
                    Crc32(payload) == crc && SplitPayload(payload, record);
        }
        if (!whole) {
            reading.damaged = true;
            break;
        }
        reading.records.push_back(std::move(record));
        at = end + 1;
        reading.wholeBytes = at;
    }
    return reading;
}

}  // namespace vardesca
