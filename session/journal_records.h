// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "commands/table_columns.h"
#include "engine/measure_engine.h"
#include "session/journal_format.h"

namespace vardesca {

// What a journal's record stands for. On the disk a record's kind is a word
// (a person reads the file with any text viewer); in the program it is one of
// these, and this is the one place that turns one into the other, so a kind
// misspelt in one file cannot silently drop an action from recovery.
enum class RecordKind {
    Header,   // the first line: the journal's format version
    Picture,  // a photo loaded: path, size, modification time
    Row,      // a row of the measurement table, the columns of the version
    Text,     // the results box as it then stood
    Click,    // a press on the photo, in picture twips
    Inizia,
    Undo,
    Redo,
    Resetta,
    Export,   // the results copied out (kept for a reader; recovery needs nothing of it)
    Answer,   // a box's reply
    Reply,    // a typed reply
    Move,     // a point moved: which, where to, whether it joins the last move
    GiveUp,   // the first point waiting for its pair given up (Escape)
    Restore,  // a photo's calibration and measurements put back from the folder's record
};

[[nodiscard]] std::string_view KindName(RecordKind kind);
[[nodiscard]] std::optional<RecordKind> KindOf(std::string_view name);
[[nodiscard]] inline bool Is(const JournalRecord& record, RecordKind kind) {
    return record.kind == KindName(kind);
}
// Whether a damaged line seems to have held one of `kinds`.
[[nodiscard]] bool GapIs(const JournalGap& gap, std::initializer_list<RecordKind> kinds);

// The format version a reading's header states; a journal whose header was
// lost is taken as the oldest, whose records every later version still reads.
[[nodiscard]] int VersionOf(const JournalReading& reading);

namespace journal_record {
[[nodiscard]] JournalRecord Picture(const QString& path, qint64 size, qint64 modifiedMs);
[[nodiscard]] JournalRecord Row(const TableRow& row);
[[nodiscard]] JournalRecord Click(float x, float y);
[[nodiscard]] JournalRecord Text(const std::string& text);
// A point moved to x, y (picture twips); `join` makes it part of the last
// move's undo step (a run of nudges).
struct PointMove {
    PointId point;
    float x = 0;
    float y = 0;
    bool join = false;
};
[[nodiscard]] JournalRecord Move(const PointMove& move);
// What the folder's record put back on the photo just loaded, every digit
// kept: a replay puts back the same, whatever the record holds by then.
[[nodiscard]] JournalRecord Restore(const KeptMeasuring& kept);
// A record that is its kind alone: Inizia, Undo, Redo, Resetta, Export, GiveUp.
[[nodiscard]] JournalRecord Action(RecordKind kind);
}  // namespace journal_record

// A photo as its record keeps it: the path, and the size and modification
// time that tell whether it is still the same file.
struct PictureFacts {
    QString path;
    qint64 size = 0;
    qint64 modifiedMs = 0;
};

// The records read back; nothing for a record of another kind, or one whose
// fields are missing or not numbers.
[[nodiscard]] std::optional<TableRow> RowOf(const JournalRecord& record, int version);
[[nodiscard]] std::optional<std::pair<float, float>> ClickOf(const JournalRecord& record);
[[nodiscard]] std::optional<PictureFacts> PictureOf(const JournalRecord& record);
[[nodiscard]] std::optional<std::string> TextOf(const JournalRecord& record);
[[nodiscard]] std::optional<journal_record::PointMove> MoveOf(const JournalRecord& record);
[[nodiscard]] std::optional<KeptMeasuring> RestoreOf(const JournalRecord& record);

}  // namespace vardesca
