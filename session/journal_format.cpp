// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/journal_format.h"

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

namespace {

// The record at the start of `text`, "<length> <crc> <payload>", and the bytes
// it takes (without a line break); 0 when there is none. The payload is found
// by its length, so a record whose line break was damaged is still read.
std::size_t RecordAt(std::string_view text, JournalRecord& record) {
    std::size_t length = 0;
    const auto [afterLength, lengthError] =
        std::from_chars(text.data(), text.data() + text.size(), length);
    const std::size_t digits = static_cast<std::size_t>(afterLength - text.data());
    // Only as the writer writes it: no leading zero, lower-case hex, so that a
    // whole record is exactly the bytes its encoding gives.
    if (lengthError != std::errc() || digits == 0 || text[0] == '0' ||
        text.size() < digits + 10 || text[digits] != ' ' || text[digits + 9] != ' ' ||
        length > text.size() - digits - 10) {
        return 0;
    }
    const char* crcStart = text.data() + digits + 1;
    const bool lowerHex = std::all_of(crcStart, crcStart + 8, [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
    std::uint32_t crc = 0;
    const auto [afterCrc, crcError] = std::from_chars(crcStart, crcStart + 8, crc, 16);
    const std::string_view payload = text.substr(digits + 10, length);
    if (!lowerHex || crcError != std::errc() || afterCrc != crcStart + 8 ||
        Crc32(payload) != crc || payload.find('\n') != std::string_view::npos ||
        !SplitPayload(payload, record)) {
        return 0;
    }
    return digits + 10 + length;
}

// The first word of what seems to be a damaged line's payload.
std::string LikelyKind(std::string_view line) {
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos) {
        return {};
    }
    const std::string_view payload = line.substr(second + 1);
    return std::string(payload.substr(0, std::min(payload.find('\t'), std::size_t{32})));
}

}  // namespace

void JournalReader::Gap(std::string_view line) {
    reading_.damaged = true;
    // The pieces of one record that a new line break split are one gap.
    if (lastWasGap_) {
        return;
    }
    lastWasGap_ = true;
    reading_.gaps.push_back({lines_, reading_.records.size(), LikelyKind(line)});
}

void JournalReader::Line(std::string_view line) {
    ++lines_;
    std::string_view rest = line;
    while (true) {
        JournalRecord record;
        const std::size_t taken = RecordAt(rest, record);
        if (taken == 0) {
            Gap(rest);
            return;
        }
        reading_.records.push_back(std::move(record));
        lastWasGap_ = false;
        if (taken == rest.size()) {
            return;
        }
        // Its line break was changed into another byte: the record after it
        // begins past that byte, on the same line.
        reading_.damaged = true;
        reading_.gaps.push_back({lines_, reading_.records.size(), {}, true});
        rest = rest.substr(taken + 1);
        if (rest.empty()) {
            return;
        }
    }
}

void JournalReader::Feed(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            pending_.append(bytes);
            return;
        }
        if (pending_.empty()) {
            Line(bytes.substr(0, end));
        } else {
            pending_.append(bytes.substr(0, end));
            Line(pending_);
            pending_.clear();
        }
        consumed_ += end + 1;
        if (!lastWasGap_) {
            reading_.wholeBytes = consumed_;
        }
        bytes.remove_prefix(end + 1);
    }
}

JournalReading JournalReader::Finish() {
    // The last record, cut short: ignored, and not damage.
    pending_.clear();
    return std::move(reading_);
}

JournalReading ReadJournal(std::string_view bytes) {
    JournalReader reader;
    reader.Feed(bytes);
    return reader.Finish();
}

const std::string& JournalHeader() {
    static const std::string header = EncodeRecord({kHeaderKind, {std::to_string(kJournalVersion)}});
    return header;
}

bool LooksLikeJournal(std::string_view start) {
    const std::string& header = JournalHeader();
    if (start.size() < header.size()) {
        // Cut short while its first line was written: ours, holding nothing.
        return header.compare(0, start.size(), start) == 0;
    }
    std::size_t different = 0;
    for (std::size_t i = 0; i < header.size(); ++i) {
        different += start[i] != header[i] ? 1U : 0U;
    }
    return different <= 1;
}

}  // namespace vardesca
