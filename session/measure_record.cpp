// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/measure_record.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <utility>

#include "commands/measurement_table.h"
#include "commands/safe_file.h"
#include "picture/system_name.h"

namespace vardesca {

namespace {

// The record's columns, in order.
std::vector<const TableColumn*> RecordColumns() {
    std::vector<const TableColumn*> columns;
    for (const TableColumn& column : TableColumns()) {
        if (In(column, kRecordForm)) {
            columns.push_back(&column);
        }
    }
    return columns;
}

struct Cell {
    QByteArray bytes;
    bool quoted = false;
};
using Line = std::vector<Cell>;

// RFC 4180 to the letter: lines end in CR LF (the last too), a quoted cell
// may hold anything with its quotes doubled, an unquoted one no quote, CR or
// LF. Nothing for a text that breaks a rule.
std::optional<std::vector<Line>> SplitCsv(const QByteArray& text, char separator) {
    std::vector<Line> lines;
    Line line;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        Cell cell;
        if (text[i] == '"') {
            cell.quoted = true;
            ++i;
            for (;;) {
                if (i >= size) {
                    return std::nullopt;
                }
                if (text[i] == '"') {
                    if (i + 1 < size && text[i + 1] == '"') {
                        cell.bytes += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                cell.bytes += text[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < size && text[i] != separator && text[i] != '\r' && text[i] != '\n') {
                if (text[i] == '"') {
                    return std::nullopt;
                }
                ++i;
            }
            cell.bytes = text.mid(start, i - start);
        }
        line.push_back(std::move(cell));
        if (i < size && text[i] == separator) {
            ++i;
            if (i == size) {
                return std::nullopt;
            }
            continue;
        }
        if (i + 1 >= size || text[i] != '\r' || text[i + 1] != '\n') {
            return std::nullopt;
        }
        i += 2;
        lines.push_back(std::move(line));
        line.clear();
    }
    return lines;
}

template <typename Number>
std::optional<Number> ParseCell(QByteArray bytes, bool decimalComma) {
    if (decimalComma) {
        bytes.replace(',', '.');
    }
    Number value{};
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    const auto [ptr, error] = std::from_chars(begin, end, value);
    if (bytes.isEmpty() || error != std::errc() || ptr != end) {
        return std::nullopt;
    }
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(value)) {
            return std::nullopt;
        }
    }
    return value;
}

// A row's cells into a TableRow; nothing for a cell that is not of its kind.
std::optional<TableRow> RowOfCells(const Line& cells,
                                   const std::vector<const TableColumn*>& columns,
                                   bool decimalComma) {
    TableRow row;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const Cell& cell = cells[c];
        const TableColumn& column = *columns[c];
        if (const auto* text = std::get_if<QString TableRow::*>(&column.field)) {
            QByteArray bytes = cell.bytes;
            // The apostrophe that keeps a spreadsheet from taking it for a formula.
            if (cell.quoted && bytes.startsWith('\'')) {
                bytes.remove(0, 1);
            }
            row.*(*text) = FromSystemName(bytes);
        } else if (const auto* integer = std::get_if<int TableRow::*>(&column.field)) {
            const auto value = ParseCell<int>(cell.bytes, false);
            if (!value) {
                return std::nullopt;
            }
            row.*(*integer) = *value;
        } else {
            const auto value = ParseCell<double>(cell.bytes, decimalComma);
            if (!value) {
                return std::nullopt;
            }
            row.*std::get<double TableRow::*>(column.field) = *value;
        }
    }
    const bool reference = row.kind == QLatin1String(record_kind::kReference);
    if (row.photo.isEmpty() ||
        (!reference && row.kind != QLatin1String(record_kind::kMeasurement)) ||
        (reference && row.number != 1 && row.number != 2) ||
        (!reference && (row.number < 1 || row.number > 32767)) || row.photoWidth < 0 ||
        row.photoHeight < 0 || row.selected < 0 || row.selected > 2) {
        return std::nullopt;
    }
    return row;
}

// Takes an open file's bytes, up to the record's limit.
std::optional<QByteArray> ReadAll(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kRecordMaxBytes) {
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            return bytes;
        }
        bytes.append(buffer, got);
        if (bytes.size() > kRecordMaxBytes) {
            return std::nullopt;
        }
    }
}

// What lies at `path`: nothing, the bytes, or a problem (a link, not a
// regular file, too large) or a failure to read it.
struct OnDisk {
    bool exists = false;
    QByteArray bytes;
    bool foreign = false;
    Outcome failure;
};
OnDisk Look(const QString& path) {
    OnDisk disk;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) {
            return disk;
        }
        disk.exists = true;
        if (error == ELOOP) {
            disk.foreign = true;  // a link: never followed, set aside like any stranger
        } else {
            disk.failure = SaveFailure(error, SaveStep::Create);
        }
        return disk;
    }
    disk.exists = true;
    std::optional<QByteArray> bytes = ReadAll(fd);
    ::close(fd);
    if (bytes) {
        disk.bytes = std::move(*bytes);
    } else {
        disk.foreign = true;
    }
    return disk;
}

// The record renamed to the first free "… (messo da parte N).csv" beside it,
// never over another file; empty when it could not be.
QString SetAside(const QString& path) {
    const QFileInfo info(path);
    const QByteArray from = QFile::encodeName(path);
    for (int n = 1; n <= 999; ++n) {
        const QString to = info.dir().filePath(
            QString::fromUtf8(kSetAsideName).arg(info.completeBaseName()).arg(n));
        const QByteArray toName = QFile::encodeName(to);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, toName.constData(),
                        RENAME_NOREPLACE) == 0) {
            return to;
        }
        if (errno != EEXIST) {
            return QString();
        }
    }
    return QString();
}

// Holds the record's folder locked against another copy of the program for as
// long as it lives. Where the folder cannot be locked (some network shares),
// the write goes on unlocked: the record is still replaced whole.
class FolderLock {
  public:
    explicit FolderLock(const QString& folder) {
        fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // the lock goes with it
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

  private:
    int fd_ = -1;
};

// Reads what is at `path` into `record`; a record that cannot be read is set
// aside when `setAside`.
bool ReadInto(const QString& path, bool setAside, FolderRecord& record) {
    const OnDisk disk = Look(path);
    if (!disk.exists) {
        return false;
    }
    if (disk.failure) {
        record.failure = disk.failure;
        return true;
    }
    RecordReading reading;
    if (disk.foreign) {
        reading.problem = RecordProblem::Foreign;
    } else if (!disk.bytes.isEmpty()) {
        reading = ReadRecord(disk.bytes);
    }
    record.rows = std::move(reading.rows);
    record.problem = reading.problem;
    if (record.problem && setAside) {
        record.setAsideAs = SetAside(path);
    }
    return true;
}

}  // namespace

QByteArray RecordCsv(const std::vector<TableRow>& rows, QChar decimalSeparator) {
    const char separator = decimalSeparator == QLatin1Char(',') ? ';' : ',';
    QByteArray csv = QByteArray(kRecordFormat) + separator + QByteArray::number(kRecordVersion) +
                     "\r\n" + CsvHeader(kRecordForm, decimalSeparator);
    for (const TableRow& row : rows) {
        csv += CsvLine(row, kRecordForm, decimalSeparator);
    }
    return csv;
}

RecordReading ReadRecord(const QByteArray& bytes) {
    RecordReading reading;
    const QByteArray format(kRecordFormat);
    if (!bytes.startsWith(format) || bytes.size() <= format.size() ||
        (bytes[format.size()] != ';' && bytes[format.size()] != ',')) {
        reading.problem = RecordProblem::Foreign;
        return reading;
    }
    const char separator = bytes[format.size()];
    const std::optional<std::vector<Line>> lines = SplitCsv(bytes, separator);
    if (!lines || lines->empty() || (*lines)[0].size() != 2) {
        reading.problem = RecordProblem::Damaged;
        return reading;
    }
    const std::optional<int> version = ParseCell<int>((*lines)[0][1].bytes, false);
    if (!version || *version < 1) {
        reading.problem = RecordProblem::Damaged;
        return reading;
    }
    if (*version > kRecordVersion) {
        reading.problem = RecordProblem::Newer;
        return reading;
    }
    const std::vector<const TableColumn*> columns = RecordColumns();
    if (lines->size() < 2 || (*lines)[1].size() != columns.size()) {
        reading.problem = RecordProblem::Damaged;
        return reading;
    }
    for (std::size_t i = 2; i < lines->size(); ++i) {
        const Line& cells = (*lines)[i];
        std::optional<TableRow> row = cells.size() == columns.size()
                                          ? RowOfCells(cells, columns, separator == ';')
                                          : std::nullopt;
        if (!row) {
            reading.rows.clear();
            reading.problem = RecordProblem::Damaged;
            return reading;
        }
        reading.rows.push_back(std::move(*row));
    }
    return reading;
}

QString FallbackRecordPath(const QString& folder) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    QString readable = folder;
    for (QChar& c : readable) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('.')) {
            c = QLatin1Char('_');
        }
    }
    readable = readable.right(80);
    while (readable.startsWith(QLatin1Char('_')) || readable.startsWith(QLatin1Char('.'))) {
        readable.remove(0, 1);
    }
    return data + QStringLiteral("/vardesca/") + readable + QLatin1Char('-') +
           QString::fromLatin1(hash) + QStringLiteral(".csv");
}

RecordPlace RecordPlaceFor(const QString& folder) {
    const QString own = QDir(folder).filePath(QString::fromUtf8(kRecordFileName));
    if (::access(QFile::encodeName(folder).constData(), W_OK) == 0) {
        return {own, true, QString()};
    }
    return {FallbackRecordPath(folder), false, own};
}

FolderRecord ReadFolderRecord(const RecordPlace& place) {
    FolderRecord record;
    if (!ReadInto(place.path, true, record) && !place.seed.isEmpty()) {
        FolderRecord seed;
        // The folder's own record is only read: it stays as it is, whatever it holds.
        if (ReadInto(place.seed, false, seed) && !seed.problem && !seed.failure) {
            record.rows = std::move(seed.rows);
        }
    }
    return record;
}

FolderRecord ReplacePhotoRows(const RecordPlace& place, const QString& photo,
                              const std::vector<TableRow>& rows, QChar decimalSeparator) {
    const QString folder = QFileInfo(place.path).absolutePath();
    if (!place.inFolder && !QDir().mkpath(folder)) {
        FolderRecord record;
        record.failure = SaveFailure(errno, SaveStep::Create);
        return record;
    }
    const FolderLock lock(folder);
    FolderRecord record = ReadFolderRecord(place);
    if (record.failure || (record.problem && record.setAsideAs.isEmpty())) {
        return record;  // never written over
    }
    std::vector<TableRow> kept;
    kept.reserve(record.rows.size() + rows.size());
    bool placed = false;
    bool had = false;
    for (TableRow& row : record.rows) {
        if (row.photo != photo) {
            kept.push_back(std::move(row));
            continue;
        }
        had = true;
        if (!std::exchange(placed, true)) {
            kept.insert(kept.end(), rows.begin(), rows.end());
        }
    }
    if (!placed) {
        kept.insert(kept.end(), rows.begin(), rows.end());
    }
    record.rows.clear();
    if (!had && rows.empty()) {
        return record;  // nothing of this photo to write or take away
    }
    record.failure = WriteFileSafely(place.path, RecordCsv(kept, decimalSeparator));
    return record;
}

}  // namespace vardesca
