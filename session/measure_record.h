// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <optional>
#include <vector>

#include "commands/table_columns.h"
#include "picture/failure.h"

namespace vardesca {

// The folder's measurement record: one file beside the photos, the same name
// in every language, with a row for every reference and measurement of every
// photo measured there, so that a photo opened another day comes back with its
// calibration and its points.
inline constexpr const char* kRecordFileName = "misure-vardesca.csv";
// Its first line: the format's name and version, separated as the rest.
inline constexpr const char* kRecordFormat = "vardesca-misure";
inline constexpr int kRecordVersion = 1;
// A record set aside: "misure-vardesca (messo da parte 1).csv", the same in
// every language as the record's own name.
inline constexpr const char* kSetAsideName = "%1 (messo da parte %2).csv";
// Larger than any folder of photos gives: a file this big is not ours.
inline constexpr qint64 kRecordMaxBytes = 64LL * 1024 * 1024;

// The record's bytes: the format line, the header, one line a row, as the
// session's CSV table writes them (RFC 4180; ";" and a decimal comma when the
// user's separator is a comma, else "," and a point).
[[nodiscard]] QByteArray RecordCsv(const std::vector<TableRow>& rows, QChar decimalSeparator);

// Why a record was not read: broken, not a record at all, or written by a
// later version whose columns this one does not know.
enum class RecordProblem { Damaged, Foreign, Newer };
struct RecordReading {
    std::vector<TableRow> rows;
    std::optional<RecordProblem> problem;
};
// A strict reading: every line RFC 4180, the format line first, the header
// with the version's number of columns, every row with as many, each cell of
// its kind (a reference numbered 1 or 2, numbers finite). Anything else is a
// problem and no row is taken, so that a damaged record is never rewritten
// with only part of it.
[[nodiscard]] RecordReading ReadRecord(const QByteArray& bytes);

// Where a folder's record is read and written: in the folder, or, when the
// folder cannot be written (a camera's card, a read-only share), in the
// program's data folder under a name made from the folder's path. `seed` is
// the folder's own record, read when there is none in the data folder yet.
struct RecordPlace {
    QString path;
    bool inFolder = true;
    QString seed;
};
[[nodiscard]] RecordPlace RecordPlaceFor(const QString& folder);
// The data folder's name for `folder`'s record: the path's last characters,
// readable, then a hash of the whole path.
[[nodiscard]] QString FallbackRecordPath(const QString& folder);

// A record read from the disk: its rows, or, for one that could not be read,
// the problem and where it was set aside (empty when it could not be moved).
struct FolderRecord {
    std::vector<TableRow> rows;
    std::optional<RecordProblem> problem;
    QString setAsideAs;
    Outcome failure;  // the file is there but could not be read
};
// Reads the record at `place` (its seed when the record is not there yet). A
// damaged, foreign or newer record is renamed aside, never overwritten.
[[nodiscard]] FolderRecord ReadFolderRecord(const RecordPlace& place);

// Replaces `photo`'s rows in the record with `rows` (none: they go), under a
// lock on the record's folder and after reading it again, so that a second
// copy of the program writing another photo's rows loses nothing; the other
// rows keep their order, and `photo`'s stand where its first row stood. The
// file is replaced whole (written beside it, then renamed over it). The
// returned record tells of a record set aside on the way.
[[nodiscard]] FolderRecord ReplacePhotoRows(const RecordPlace& place, const QString& photo,
                                            const std::vector<TableRow>& rows,
                                            QChar decimalSeparator);

namespace record_text {
inline constexpr const char* kSetAside = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Il file delle misure della cartella\n\n%1\n\n%2: non viene modificato. È stato rinominato "
    "in\n\n%3\n\ne ne viene iniziato uno nuovo.");
inline constexpr const char* kNotSetAside = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Il file delle misure della cartella\n\n%1\n\n%2: non viene modificato, e non si è potuto "
    "rinominare. Le misure di questa cartella non vengono registrate finché il file resta lì.");
inline constexpr const char* kDamaged =
    QT_TRANSLATE_NOOP("Vardesca", "è danneggiato e non si può leggere");
inline constexpr const char* kForeign =
    QT_TRANSLATE_NOOP("Vardesca", "non è un file delle misure di Vardesca");
inline constexpr const char* kNewer =
    QT_TRANSLATE_NOOP("Vardesca", "è stato scritto da una versione più recente di Vardesca");
inline constexpr const char* kCannotWrite = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Impossibile aggiornare il file delle misure\n\n%1\n\n%2. Le misure restano nel riquadro dei "
    "risultati e nella tabella (Ctrl+T).");
inline constexpr const char* kCannotRead =
    QT_TRANSLATE_NOOP("Vardesca", "Impossibile leggere il file delle misure\n\n%1\n\n%2.");
}  // namespace record_text

}  // namespace vardesca
