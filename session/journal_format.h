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

// A stretch of the file that held no whole record: one line, or a few that a
// changed byte split, counted as one.
struct JournalGap {
    std::size_t line = 0;      // the file's line it starts on, from 1
    std::size_t before = 0;    // the index of the record that follows it
    std::string likelyKind;    // what its payload seems to begin with; empty when unreadable
    // Only the line break that ends it was damaged: its record came back whole.
    bool onlyLineBreak = false;
};

struct JournalReading {
    // Every whole record, in order: a damaged one costs only itself.
    std::vector<JournalRecord> records;
    // Where the last whole record ends: a record cut short after it (a power
    // cut mid-write) is not damage.
    std::size_t wholeBytes = 0;
    // A whole line (ended by its line break) failed its length or checksum:
    // the file was damaged, not merely cut short.
    bool damaged = false;
    std::vector<JournalGap> gaps;
};

// Reads a journal a piece at a time, so that a large file is never held whole.
class JournalReader {
  public:
    void Feed(std::string_view bytes);
    // The reading, once every byte has been fed.
    [[nodiscard]] JournalReading Finish();

  private:
    void Line(std::string_view line);
    void Gap(std::string_view line);

    JournalReading reading_;
    std::string pending_;      // a line not yet ended
    std::size_t consumed_ = 0;  // bytes of the lines already read
    std::size_t lines_ = 0;
    bool lastWasGap_ = false;
};

// Never throws and never reads past `bytes`, whatever they hold.
[[nodiscard]] JournalReading ReadJournal(std::string_view bytes);

// The first line of every journal this program writes names it and its
// format's version. Version 1: the rows carry the ten columns of the first
// measurement table. A version is raised when a record gains a field, and a
// reader takes each record as its journal's version wrote it.
inline constexpr const char* kHeaderKind = "vardesca-journal";
inline constexpr int kJournalVersion = 1;
// The first line of every journal this program writes.
[[nodiscard]] const std::string& JournalHeader();
// Whether `start` (a file's first bytes, at least JournalHeader()'s length when
// the file has them) is a journal's: the header, or one byte off it.
[[nodiscard]] bool LooksLikeJournal(std::string_view start);

[[nodiscard]] std::uint32_t Crc32(std::string_view bytes);

}  // namespace vardesca
