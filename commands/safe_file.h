// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <vector>

#include "picture/failure.h"

namespace vardesca {

// A file replaced whole or not at all: the new content goes to a temporary file
// beside the target, hidden and named after it and this program with the
// writing process's id (".foto-misure.png.vardesca-1234.tmp"), and is renamed
// over the target only once it is complete and on the disk. Any failure leaves
// the old file as it was and removes the temporary; so does a SafeFile that is
// destroyed uncommitted (a cancelled save).
class SafeFile {
  public:
    SafeFile() = default;
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;
    ~SafeFile();

    // Checks the target and makes the temporary, so that a target that can never
    // be written is reported before any work; leftovers of this target from
    // copies of the program that no longer run are removed first.
    [[nodiscard]] Outcome Open(const QString& path);
    [[nodiscard]] Outcome Write(const QByteArray& bytes);
    // On the disk, then over the target. `stop`, when given, is looked at
    // last, once the file is on the disk, right before the rename: set by
    // then (Annulla during the sync, which can take seconds for a large
    // photo), the target stays as it was and nothing failed.
    [[nodiscard]] Outcome Commit(std::atomic<bool>* stop = nullptr);
    // Whether the new content has replaced the target.
    [[nodiscard]] bool Committed() const { return committed_; }

    // Tests: called on the committing thread with the commit's stop flag,
    // once the file is on the disk (before the rename) and once it is renamed.
    enum class CommitStep { Synced, Renamed };
    static void SetCommitHookForTests(std::function<void(CommitStep, std::atomic<bool>&)> hook);

  private:
    void Discard();

    QString target_;
    QString temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

// Writes `bytes` to `path` through a SafeFile.
[[nodiscard]] Outcome WriteFileSafely(const QString& path, const QByteArray& bytes);

// The temporary a process writes for `target`.
[[nodiscard]] QString TemporaryName(const QString& target, long long pid);
// Removes the temporaries of `target` left by processes that no longer run;
// nothing else. A killed save leaves one behind.
void RemoveLeftovers(const QString& target);

// The step of a save that failed, for its reason.
enum class SaveStep { Create, Write, Replace };
// The Italian reason for the system's error `error` at `step`.
[[nodiscard]] Failure SaveFailure(int error, SaveStep step);

// A write past the process's file-size limit then fails with EFBIG, which the
// user is told about, instead of ending the program with SIGXFSZ.
void IgnoreFileSizeSignal();

// Who may write a file: its permission bits for its owner, its group, the rest.
struct FileOwnership {
    unsigned mode;
    unsigned uid;
    unsigned gid;
};
struct UserIdentity {
    unsigned uid;
    std::vector<unsigned> groups;  // the effective group and the supplementary ones
};
// Whether `user` may write the file: the owner by the owner's bit, a member of
// the file's group by the group's, anyone else by the others'; root by any of
// them, so that a file nobody may write is kept even from root.
[[nodiscard]] bool MayWrite(const FileOwnership& file, const UserIdentity& user);
[[nodiscard]] UserIdentity CurrentUser();

namespace save_text {
inline constexpr const char* kFolderNotWritable =
    QT_TRANSLATE_NOOP("Vardesca", "la cartella non esiste o non si ha il permesso di scriverci");
inline constexpr const char* kPermissionDenied = QT_TRANSLATE_NOOP("Vardesca", "permesso negato");
inline constexpr const char* kWriteFailed =
    QT_TRANSLATE_NOOP("Vardesca", "scrittura non riuscita (disco pieno?)");
inline constexpr const char* kCannotReplace =
    QT_TRANSLATE_NOOP("Vardesca", "impossibile sostituire il file esistente");
inline constexpr const char* kWriteError = QT_TRANSLATE_NOOP("Vardesca", "errore di scrittura");
inline constexpr const char* kNotRegular = QT_TRANSLATE_NOOP("Vardesca", "non è un file normale");
inline constexpr const char* kNoFolder = QT_TRANSLATE_NOOP("Vardesca", "la cartella non esiste");
inline constexpr const char* kReadOnly =
    QT_TRANSLATE_NOOP("Vardesca", "il file è di sola lettura per questo utente");
inline constexpr const char* kReadOnlyFileSystem = QT_TRANSLATE_NOOP(
    "Vardesca",
    "il disco o la cartella sono di sola lettura (file system montato in sola lettura)");
inline constexpr const char* kDiskFull = QT_TRANSLATE_NOOP("Vardesca", "il disco è pieno");
inline constexpr const char* kQuotaExceeded =
    QT_TRANSLATE_NOOP("Vardesca", "lo spazio concesso a questo utente sul disco è esaurito");
inline constexpr const char* kTooBig = QT_TRANSLATE_NOOP(
    "Vardesca", "il file supera la dimensione massima che questo sistema consente");
}  // namespace save_text

}  // namespace vardesca
