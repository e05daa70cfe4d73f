// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/safe_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vardesca {

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

// The part of a temporary's name before the process id, and after it.
QString LeftoverPrefix(const QString& target) {
    return QLatin1Char('.') + QFileInfo(target).fileName() + QStringLiteral(".vardesca-");
}

bool ProcessRuns(long long pid) {
    // EPERM: it runs, as another user.
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

}  // namespace

Failure SaveFailure(int error, SaveStep step) {
    switch (error) {
        case EROFS:
            return Because(save_text::kReadOnlyFileSystem);
        case ENOSPC:
            return Because(save_text::kDiskFull);
        case EDQUOT:
            return Because(save_text::kQuotaExceeded);
        case EFBIG:
            return Because(save_text::kTooBig);
        case EACCES:
        case EPERM:
            // Making the temporary needs the folder's permission; replacing the
            // file, in a sticky folder, being its owner.
            return Because(step == SaveStep::Create    ? save_text::kFolderNotWritable
                           : step == SaveStep::Replace ? save_text::kCannotReplace
                                                       : save_text::kPermissionDenied);
        case ENOENT:
        case ENOTDIR:
            return Because(save_text::kNoFolder);
        default:
            break;
    }
    switch (step) {
        case SaveStep::Create:
            return Because(save_text::kFolderNotWritable);
        case SaveStep::Write:
            return Because(save_text::kWriteFailed);
        case SaveStep::Replace:
            return Because(save_text::kCannotReplace);
    }
    return Because(save_text::kWriteError);
}

QString TemporaryName(const QString& target, long long pid) {
    return QFileInfo(target).dir().filePath(LeftoverPrefix(target) + QString::number(pid) +
                                            QStringLiteral(".tmp"));
}

void RemoveLeftovers(const QString& target) {
    const QString prefix = LeftoverPrefix(target);
    const QDir folder = QFileInfo(target).dir();
    static const QRegularExpression pidPart(QStringLiteral("^(\\d+)\\.tmp$"));
    const QStringList names =
        folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pidPart.match(name.mid(prefix.size()));
        if (match.hasMatch() && !ProcessRuns(match.captured(1).toLongLong())) {
            QFile::remove(folder.filePath(name));
        }
    }
}

SafeFile::~SafeFile() {
    Discard();
}

void SafeFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty()) {
        ::unlink(Native(temporary_).constData());
        temporary_.clear();
    }
}

Outcome SafeFile::Open(const QString& path) {
    Discard();
    const QFileInfo target(path);
    // A device or a folder is not a results file; renaming over it would be worse.
    if (target.exists() && !target.isFile()) {
        return Because(save_text::kNotRegular);
    }
    if (!target.dir().exists()) {
        return Because(save_text::kNoFolder);
    }
    // Saving renames a new file over the old one, which the folder's permission
    // alone would allow: a file this user may not write is refused here, as
    // writing into it would be, and one nobody may write is kept even for root.
    struct stat old {};
    const bool exists = ::stat(Native(path).constData(), &old) == 0;
    if (exists && !MayWrite({old.st_mode, old.st_uid, old.st_gid}, CurrentUser())) {
        return Because(save_text::kReadOnly);
    }
    RemoveLeftovers(path);
    const QString temporary = TemporaryName(path, static_cast<long long>(::getpid()));
    // A leftover of our own id is ours to replace.
    ::unlink(Native(temporary).constData());
    const int fd = ::open(Native(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return SaveFailure(errno, SaveStep::Create);
    }
    fd_ = fd;
    temporary_ = temporary;
    target_ = path;
    // The new file keeps the old one's permissions, as an edited file does.
    if (exists) {
        ::fchmod(fd_, old.st_mode & 07777);
    }
    return std::nullopt;
}

Outcome SafeFile::Write(const QByteArray& bytes) {
    if (fd_ < 0) {
        return Because(save_text::kWriteError);
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // A short write with no error is a full disk or the size limit: ask
            // again, and the system says which.
            const int error = written < 0 ? errno : ENOSPC;
            Discard();
            return SaveFailure(error, SaveStep::Write);
        }
        data += written;
        left -= written;
    }
    return std::nullopt;
}

namespace {
std::function<void(SafeFile::CommitStep, std::atomic<bool>&)>& CommitHook() {
    static std::function<void(SafeFile::CommitStep, std::atomic<bool>&)> hook;
    return hook;
}
}  // namespace

void SafeFile::SetCommitHookForTests(std::function<void(CommitStep, std::atomic<bool>&)> hook) {
    CommitHook() = std::move(hook);
}

Outcome SafeFile::Commit(std::atomic<bool>* stop) {
    if (fd_ < 0) {
        return Because(save_text::kWriteError);
    }
    // On the disk before it replaces anything: a power cut then leaves the old
    // file or the new one, never an empty one.
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
        const int error = errno;
        fd_ = -1;
        Discard();
        return SaveFailure(error, SaveStep::Write);
    }
    fd_ = -1;
    std::atomic<bool> unstoppable{false};
    std::atomic<bool>& stopNow = stop != nullptr ? *stop : unstoppable;
    if (CommitHook()) {
        CommitHook()(CommitStep::Synced, stopNow);
    }
    if (stopNow.load()) {
        Discard();
        return std::nullopt;
    }
    if (::rename(Native(temporary_).constData(), Native(target_).constData()) != 0) {
        const int error = errno;
        Discard();
        return SaveFailure(error, SaveStep::Replace);
    }
    temporary_.clear();
    committed_ = true;
    if (CommitHook()) {
        CommitHook()(CommitStep::Renamed, stopNow);
    }
    return std::nullopt;
}

Outcome WriteFileSafely(const QString& path, const QByteArray& bytes) {
    SafeFile file;
    if (Outcome failed = file.Open(path)) {
        return failed;
    }
    if (Outcome failed = file.Write(bytes)) {
        return failed;
    }
    return file.Commit();
}

void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

bool MayWrite(const FileOwnership& file, const UserIdentity& user) {
    const unsigned anyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    if (user.uid == 0) {
        return (file.mode & anyWrite) != 0;
    }
    if (file.uid == user.uid) {
        return (file.mode & S_IWUSR) != 0;
    }
    if (std::find(user.groups.begin(), user.groups.end(), file.gid) != user.groups.end()) {
        return (file.mode & S_IWGRP) != 0;
    }
    return (file.mode & S_IWOTH) != 0;
}

UserIdentity CurrentUser() {
    UserIdentity user{geteuid(), {getegid()}};
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        const int got = getgroups(count, groups.data());
        for (int i = 0; i < got; ++i) {
            user.groups.push_back(groups[static_cast<std::size_t>(i)]);
        }
    }
    return user;
}

}  // namespace vardesca
