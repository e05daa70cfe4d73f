// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vardesca {

// The session journal's records, one a line, so that a person can read the
// file with any text viewer and a line cut short shows as such:
//
//   <payload length> <CRC-32 of the payload, 8 hex digits> <payload>\n
//   23 5c3a1f02 click\t1500\t2250
//
// The payload is a kind and its fields, separated by TABs. In a field a
// backslash, TAB, LF and CR are written \\, \t, \n and \r, so no payload holds
// a line break. The length and the checksum tell a record that a power cut left
// half-written, or a damaged one, from a whole one.
struct JournalRecord {
    std::string kind;
    std::vector<std::string> fields;
    bool operator==(const JournalRecord&) const = default;
};

[[nodiscard]] std::string EncodeRecord(const JournalRecord& record);

struct JournalReading {
    // The whole records from the start, up to the first that is not.
    std::vector<JournalRecord> records;
    // The bytes those records take: where appending may go on.
    std::size_t wholeBytes = 0;
    // A whole line (ended by its line break) failed its length or checksum:
    // the file was damaged, not merely cut short. Nothing from there on is read.
    bool damaged = false;
};

// Never throws and never reads past `bytes`, whatever they hold.
[[nodiscard]] JournalReading ReadJournal(std::string_view bytes);

[[nodiscard]] std::uint32_t Crc32(std::string_view bytes);

}  // namespace vardesca
