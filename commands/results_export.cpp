// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/results_export.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <algorithm>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace vardesca {

namespace {

Failure Reason(QFileDevice::FileError error) {
    switch (error) {
        case QFileDevice::OpenError:
            return Because(export_text::kFolderNotWritable);
        case QFileDevice::PermissionsError:
            return Because(export_text::kPermissionDenied);
        case QFileDevice::WriteError:
        case QFileDevice::ResizeError:
            return Because(export_text::kWriteFailed);
        case QFileDevice::RenameError:
            return Because(export_text::kCannotReplace);
        default:
            return Because(export_text::kWriteError);
    }
}

}  // namespace

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

Outcome WriteFileSafely(const QString& path, const QByteArray& bytes) {
    const QFileInfo target(path);
    // A device or a folder is not a results file; renaming over it would be worse.
    if (target.exists() && !target.isFile()) {
        return Because(export_text::kNotRegular);
    }
    if (!target.dir().exists()) {
        return Because(export_text::kNoFolder);
    }
    // Saving renames a new file over the old one, which the folder's permission
    // alone would allow: a file this user may not write is refused here, as
    // writing into it would be, and one nobody may write is kept even for root.
    if (target.exists()) {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) == 0 &&
            !MayWrite({info.st_mode, info.st_uid, info.st_gid}, CurrentUser())) {
            return Because(export_text::kReadOnly);
        }
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered, so that a short write is seen here and not lost in a flush
    // that commit() would not report.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return Reason(file.error());
    }
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError) {
        const Failure reason = Reason(QFileDevice::WriteError);
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) {
        return Reason(file.error() == QFileDevice::NoError ? QFileDevice::WriteError
                                                           : file.error());
    }
    return std::nullopt;
}

void ResultsExport::CopiaDati(const std::string& text) {
    const auto answer = dialogs_.ShowBox(QString::fromUtf8(export_text::kQuestionTitle),
                                         QString::fromUtf8(export_text::kQuestion),
                                         WindowDialogs::Buttons::YesNoCancel);
    if (answer == WindowDialogs::Answer::Yes) {
        // The clipboard only; the primary selection is the user's own.
        QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
        return;
    }
    if (answer != WindowDialogs::Answer::No) {
        return;
    }
    const std::optional<QString> chosen = dialogs_.SaveFile(lastFileName_);
    if (!chosen) {
        return;
    }
    lastFileName_ = *chosen;
    // The text as it stands, plus the CR LF that ends the file.
    const QByteArray bytes = QByteArray::fromStdString(text) + "\r\n";
    if (const auto failure = WriteFileSafely(*chosen, bytes)) {
        dialogs_.ShowBox(QString(), QString::fromUtf8(export_text::kSaveFailed).arg(*chosen, failure->reason),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

}  // namespace vardesca
