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
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
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
    std::string_view text;
    std::string unquoted;  // a quoted cell's text, its quotes undoubled
    bool quoted = false;
};

// One line of the text from `at` into `cells` (their first `count`),
// RFC 4180 to the letter: lines end in CR LF (the last too), a quoted cell may
// hold anything with its quotes doubled, an unquoted one no quote, CR or LF.
// False for a line that breaks a rule. Cells are kept from line to line, so
// that a long record is read without an allocation a cell.
bool NextLine(std::string_view text, std::size_t& at, char separator, std::vector<Cell>& cells,
              std::size_t& count) {
    count = 0;
    const std::size_t size = text.size();
    for (;;) {
        if (count == cells.size()) {
            cells.emplace_back();
        }
        Cell& cell = cells[count++];
        cell.quoted = at < size && text[at] == '"';
        if (cell.quoted) {
            cell.unquoted.clear();
            ++at;
            for (;;) {
                const std::size_t quote = text.find('"', at);
                if (quote == std::string_view::npos) {
                    return false;
                }
                cell.unquoted.append(text.substr(at, quote - at));
                at = quote + 1;
                if (at < size && text[at] == '"') {
                    cell.unquoted += '"';
                    ++at;
                    continue;
                }
                break;
            }
            cell.text = cell.unquoted;
        } else {
            const std::size_t start = at;
            while (at < size && text[at] != separator && text[at] != '\r' && text[at] != '\n') {
                if (text[at] == '"') {
                    return false;
                }
                ++at;
            }
            cell.text = text.substr(start, at - start);
        }
        if (at < size && text[at] == separator) {
            ++at;
            if (at == size) {
                return false;
            }
            continue;
        }
        if (at + 1 >= size || text[at] != '\r' || text[at + 1] != '\n') {
            return false;
        }
        at += 2;
        return true;
    }
}

template <typename Number>
std::optional<Number> ParseCell(std::string_view text, bool decimalComma) {
    // As long as any number the record writes: a double's largest, in full
    // with three decimals, is 313 characters.
    char buffer[512];
    if (text.empty() || text.size() > sizeof buffer) {
        return std::nullopt;
    }
    std::copy(text.begin(), text.end(), buffer);
    if (decimalComma) {
        std::replace(buffer, buffer + text.size(), ',', '.');
    }
    Number value{};
    const auto [ptr, error] = std::from_chars(buffer, buffer + text.size(), value);
    if (error != std::errc() || ptr != buffer + text.size()) {
        return std::nullopt;
    }
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(value)) {
            return std::nullopt;
        }
    }
    return value;
}

// A text cell as the system's name it is: plain ASCII at once, the rest as a
// path's bytes would be read; the same text as the row before's shared (a
// photo's ten rows name it ten times).
QString TextOf(std::string_view bytes, QString& last, QByteArray& lastBytes) {
    if (QByteArrayView(bytes) == QByteArrayView(lastBytes)) {
        return last;
    }
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    lastBytes = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    last = ascii ? QString::fromLatin1(lastBytes) : FromSystemName(lastBytes);
    return last;
}

// A row's cells into a TableRow; nothing for a cell that is not of its kind.
struct TextMemory {
    QString last;
    QByteArray lastBytes;
};
std::optional<TableRow> RowOfCells(const std::vector<Cell>& cells,
                                   const std::vector<const TableColumn*>& columns,
                                   bool decimalComma, std::vector<TextMemory>& memory) {
    TableRow row;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const Cell& cell = cells[c];
        const TableColumn& column = *columns[c];
        if (const auto* text = std::get_if<QString TableRow::*>(&column.field)) {
            std::string_view bytes = cell.text;
            // The apostrophe that keeps a spreadsheet from taking it for a formula.
            if (cell.quoted && !bytes.empty() && bytes.front() == '\'') {
                bytes.remove_prefix(1);
            }
            row.*(*text) = TextOf(bytes, memory[c].last, memory[c].lastBytes);
        } else if (const auto* integer = std::get_if<int TableRow::*>(&column.field)) {
            const auto value = ParseCell<int>(cell.text, false);
            if (!value) {
                return std::nullopt;
            }
            row.*(*integer) = *value;
        } else {
            const auto value = ParseCell<double>(cell.text, decimalComma);
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
        // A file system without RENAME_NOREPLACE: a second name, which is
        // never made over a file either, then the first one taken away.
        if (errno == EINVAL && ::link(from.constData(), toName.constData()) == 0) {
            ::unlink(from.constData());
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
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const auto damaged = [&reading] {
        reading.rows.clear();
        reading.problem = RecordProblem::Damaged;
        return reading;
    };
    std::vector<Cell> cells;
    std::size_t count = 0;
    std::size_t at = 0;
    if (!NextLine(text, at, separator, cells, count) || count != 2) {
        return damaged();
    }
    const std::optional<int> version = ParseCell<int>(cells[1].text, false);
    if (!version || *version < 1) {
        return damaged();
    }
    if (*version > kRecordVersion) {
        reading.problem = RecordProblem::Newer;
        return reading;
    }
    const std::vector<const TableColumn*> columns = RecordColumns();
    if (!NextLine(text, at, separator, cells, count) || count != columns.size()) {
        return damaged();
    }
    std::vector<TextMemory> memory(columns.size());
    while (at < text.size()) {
        if (!NextLine(text, at, separator, cells, count) || count != columns.size()) {
            return damaged();
        }
        std::optional<TableRow> row = RowOfCells(cells, columns, separator == ';', memory);
        if (!row) {
            return damaged();
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
