// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

#include "picture/worker_threads.h"
#include "commands/safe_file.h"
#include "picture/system_name.h"
#include "text/ui_text.h"

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

std::function<int(int)>& SyncOverride() {
    static std::function<int(int)> sync;
    return sync;
}

int SyncFile(int fd) {
    return SyncOverride() ? SyncOverride()(fd) : ::fdatasync(fd);
}

}  // namespace

void SessionJournal::SetSyncForTests(std::function<int(int fd)> sync) {
    SyncOverride() = std::move(sync);
}

QString JournalFolder() {
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    // The convention ignores a relative path.
    if (!state.isEmpty() && state.startsWith('/')) {
        return FromSystemName(state) + QStringLiteral("/vardesca");
    }
    return QDir::homePath() + QStringLiteral("/.local/state/vardesca");
}

int OpenJournalFolder(const QString& folder, Outcome& why) {
    const QByteArray path = ToSystemName(folder);
    // Each folder missing on the way is made for this user alone, as the
    // base-directory convention asks; those already there are left as they are.
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        ::mkdir(path.left(slash).constData(), 0700);
    }
    ::mkdir(path.constData(), 0700);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info {};
    if (fd < 0) {
        const int error = errno;
        why = ::lstat(path.constData(), &info) == 0 && S_ISLNK(info.st_mode)
                  ? Because(journal_text::kFolderIsLink)
                  : SaveFailure(error, SaveStep::Create);
        return -1;
    }
    const char* problem = nullptr;
    if (::fstat(fd, &info) != 0) {
        problem = save_text::kFolderNotWritable;
    } else if (info.st_uid != ::geteuid()) {
        problem = journal_text::kFolderNotOurs;
    } else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        problem = journal_text::kFolderOpenToOthers;
    }
    if (problem != nullptr) {
        why = Because(problem);
        ::close(fd);
        return -1;
    }
    return fd;
}

std::unique_ptr<SessionJournal> SessionJournal::Create(const QString& folder, Outcome& why) {
    const int folderFd = OpenJournalFolder(folder, why);
    if (folderFd < 0) {
        return nullptr;
    }
    // Always a new file: a name already taken (a journal left by an earlier
    // process of the same number, or anything planted there) is passed over,
    // never opened, truncated or followed.
    std::string name;
    int fd = -1;
    for (int attempt = 1; attempt <= 100 && fd < 0; ++attempt) {
        name = "sessione-" + std::to_string(::getpid()) +
               (attempt > 1 ? "-" + std::to_string(attempt) : std::string()) + ".journal";
        fd = ::openat(folderFd, name.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        why = SaveFailure(errno, SaveStep::Create);
        ::close(folderFd);
        return nullptr;
    }
    ::fchmod(fd, 0600);
    // Held for as long as this copy runs: another copy leaves it alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    const QString path = QDir(folder).filePath(QString::fromStdString(name));
    std::unique_ptr<SessionJournal> journal(new SessionJournal(path, folderFd, name, fd));
    // The start of the program does not wait on the disk either: the header
    // and the folder's entry for the file are synced on the journal's thread.
    journal->StartSyncing();
    if (!journal->Append(JournalHeader())) {
        why = SaveFailure(errno, SaveStep::Write);
        journal->Finish();
        return nullptr;
    }
    return journal;
}

SessionJournal::~SessionJournal() {
    StopSyncing(true);
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (folderFd_ >= 0) {
        ::close(folderFd_);
    }
}

void SessionJournal::StartSyncing() {
    try {
        syncer_ = StartThread([this] { SyncLoop(); });
    } catch (const std::exception&) {
        // No thread to be had: each record is synced as it is written.
        ::fsync(folderFd_);
    }
}

void SessionJournal::SyncLoop() {
    ::fsync(folderFd_);  // the new file's entry in its folder
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || written_ != synced_; });
        if (written_ == synced_) {
            return;  // stopping, with nothing left to sync
        }
        // Whatever has been written by now goes to the disk in one sync.
        const std::uint64_t upTo = written_;
        lock.unlock();
        const int error = SyncFile(fd_) == 0 ? 0 : errno;
        lock.lock();
        if (error != 0) {
            syncError_ = error;
            changed_.notify_all();
            return;
        }
        synced_ = upTo;
        changed_.notify_all();
    }
}

void SessionJournal::StopSyncing(bool syncFirst) {
    if (!syncer_.joinable()) {
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        if (!syncFirst) {
            synced_ = written_;  // the file goes: nothing left worth syncing
        }
    }
    changed_.notify_all();
    syncer_.join();
}

bool SessionJournal::WaitUntilSynced() {
    if (!syncer_.joinable()) {
        return fd_ >= 0;  // each record was synced as it was written
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return synced_ == written_ || syncError_ != 0; });
    return syncError_ == 0;
}

void SessionJournal::Broke(int error) {
    StopSyncing(false);
    ::close(fd_);
    fd_ = -1;
    errno = error;
}

bool SessionJournal::Append(const std::string& encodedRecords) {
    if (fd_ < 0) {
        return false;
    }
    int failed = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        failed = syncError_;
    }
    if (failed != 0) {
        Broke(failed);  // a sync on the thread failed: said at the next record
        return false;
    }
    if (!WriteAll(fd_, encodedRecords.data(), encodedRecords.size())) {
        Broke(errno);
        return false;
    }
    if (!syncer_.joinable()) {
        if (SyncFile(fd_) != 0) {
            Broke(errno);
            return false;
        }
        return true;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++written_;
    }
    changed_.notify_one();
    return true;
}

void SessionJournal::Finish() {
    StopSyncing(false);
    if (folderFd_ >= 0) {
        ::unlinkat(folderFd_, name_.c_str(), 0);
    }
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
      reading_(std::move(other.reading_)), lastWritten_(std::move(other.lastWritten_)) {}

namespace {

// Renamed beside itself with the date it was set aside; the new path, or the
// old one when it could not be renamed.
QString SetAsidePath(const QString& path) {
    const QString name = QString::fromLatin1(kSetAsidePrefix) +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HH.mm.ss")) +
                         QStringLiteral(".journal");
    const QDir folder = QFileInfo(path).dir();
    QString target = folder.filePath(name);
    // Two set aside in the same second keep both.
    for (int i = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++i) {
        target = folder.filePath(name.chopped(8) + QStringLiteral("-%1.journal").arg(i));
    }
    if (::rename(ToSystemName(path).constData(), ToSystemName(target).constData()) != 0) {
        return path;
    }
    return target;
}

// Reads the rest of `fd` into `reader`, a piece at a time.
void ReadRest(int fd, JournalReader& reader) {
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)));
        }
    }
}

}  // namespace

std::optional<LeftJournal> LeftJournal::Find(const QString& folder) {
    Outcome why;
    const int folderFd = OpenJournalFolder(folder, why);
    if (folderFd < 0) {
        return std::nullopt;  // the window says why when it makes its own journal there
    }
    QFileInfoList found = QDir(folder).entryInfoList({QStringLiteral("*.journal")}, QDir::Files);
    std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    std::optional<LeftJournal> result;
    for (const QFileInfo& info : found) {
        if (info.fileName().startsWith(QLatin1String(kSetAsidePrefix))) {
            continue;
        }
        const QByteArray name = ToSystemName(info.fileName());
        const int fd = ::openat(folderFd, name.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            continue;
        }
        // A running copy holds its own: left alone.
        struct stat facts {};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &facts) != 0 ||
            !S_ISREG(facts.st_mode)) {
            ::close(fd);
            continue;
        }
        // What is not a journal of ours, or is larger than any, is not read
        // whole: it is set aside for whoever wants to look at it.
        std::string start(JournalHeader().size(), '\0');
        const ssize_t got = ::read(fd, start.data(), start.size());
        start.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        const bool tooLarge = facts.st_size > kMaxJournalBytes;
        if (tooLarge || (!LooksLikeJournal(start) && !start.empty())) {
            SetAsidePath(info.absoluteFilePath());
            ::close(fd);
            continue;
        }
        JournalReader reader;
        reader.Feed(start);
        ReadRest(fd, reader);
        JournalReading reading = reader.Finish();
        // Only its first line: a copy that ended before the user did anything.
        if (reading.records.size() <= 1 && !reading.damaged) {
            ::unlinkat(folderFd, name.constData(), 0);
            ::close(fd);
            continue;
        }
        result.emplace(LeftJournal(info.absoluteFilePath(), fd, std::move(reading),
                                   info.lastModified()));
        break;
    }
    ::close(folderFd);
    return result;
}

void LeftJournal::Remove() {
    ::unlink(ToSystemName(path_).constData());
}

QString LeftJournal::SetAside() {
    return SetAsidePath(path_);
}

}  // namespace vardesca
