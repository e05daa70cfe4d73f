// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/session_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

#include "commands/safe_file.h"

namespace vardesca {

namespace {

constexpr const char* kSetAsidePrefix = "messo-da-parte-";
// A journal is a few bytes a click: anything near this is not one of ours.
constexpr qint64 kMaxJournalBytes = 512LL * 1024 * 1024;

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The folder's entry for a new file reaches the disk too.
void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

QString JournalFolder() {
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    // The convention ignores a relative path.
    if (!state.isEmpty() && state.startsWith('/')) {
        return QFile::decodeName(state) + QStringLiteral("/vardesca");
    }
    return QDir::homePath() + QStringLiteral("/.local/state/vardesca");
}

std::unique_ptr<SessionJournal> SessionJournal::Create(const QString& folder, QString& why) {
    if (!QDir().mkpath(folder)) {
        why = SaveFailure(EACCES, SaveStep::Create).reason;
        return nullptr;
    }
    const QString path =
        QDir(folder).filePath(QStringLiteral("sessione-%1.journal").arg(::getpid()));
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = SaveFailure(errno, SaveStep::Create).reason;
        return nullptr;
    }
    // Held for as long as this copy runs: another copy leaves it alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    std::unique_ptr<SessionJournal> journal(new SessionJournal(path, fd));
    if (!journal->Append(JournalRecord{"vardesca-journal", {"1"}})) {
        why = SaveFailure(errno, SaveStep::Write).reason;
        ::unlink(QFile::encodeName(path).constData());
        return nullptr;
    }
    SyncFolder(folder);
    return journal;
}

SessionJournal::~SessionJournal() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool SessionJournal::Append(const std::string& encodedRecords) {
    if (fd_ < 0) {
        return false;
    }
    if (!WriteAll(fd_, encodedRecords.data(), encodedRecords.size()) || ::fdatasync(fd_) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        errno = error;
        return false;
    }
    return true;
}

void SessionJournal::Finish() {
    ::unlink(QFile::encodeName(path_).constData());
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

LeftJournal::~LeftJournal() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

LeftJournal::LeftJournal(LeftJournal&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)),
      bytes_(std::move(other.bytes_)), lastWritten_(std::move(other.lastWritten_)) {}

std::optional<LeftJournal> LeftJournal::Find(const QString& folder) {
    QFileInfoList found = QDir(folder).entryInfoList({QStringLiteral("*.journal")}, QDir::Files);
    std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    for (const QFileInfo& info : found) {
        if (info.fileName().startsWith(QLatin1String(kSetAsidePrefix)) ||
            info.size() > kMaxJournalBytes) {
            continue;
        }
        const QByteArray name = QFile::encodeName(info.absoluteFilePath());
        const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            continue;
        }
        // A running copy holds its own: left alone.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        std::string bytes;
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 ||
               (n < 0 && errno == EINTR)) {
            if (n > 0) {
                bytes.append(buffer, static_cast<std::size_t>(n));
            }
        }
        LeftJournal left(info.absoluteFilePath(), fd, std::move(bytes), info.lastModified());
        // Only its first line: a copy that ended before the user did anything.
        const JournalReading reading = ReadJournal(left.Bytes());
        if (reading.records.size() <= 1 && !reading.damaged &&
            left.Bytes().size() == reading.wholeBytes) {
            left.Remove();
            continue;
        }
        return left;
    }
    return std::nullopt;
}

void LeftJournal::Remove() {
    ::unlink(QFile::encodeName(path_).constData());
}

QString LeftJournal::SetAside() {
    const QString name = QString::fromLatin1(kSetAsidePrefix) +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HH.mm.ss")) +
                         QStringLiteral(".journal");
    QString target = QFileInfo(path_).dir().filePath(name);
    // Two set aside in the same second keep both.
    for (int i = 2; QFileInfo::exists(target); ++i) {
        target = QFileInfo(path_).dir().filePath(name.chopped(8) + QStringLiteral("-%1.journal").arg(i));
    }
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(target).constData()) != 0) {
        return path_;
    }
    return target;
}

}  // namespace vardesca
