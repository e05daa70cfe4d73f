// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture/failure.h"

#include <QDateTime>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "session/journal_format.h"

namespace vardesca {

// Until the user exports, the results live only in the window. The journal
// keeps, on the disk, what the user did that would be lost with it, so that a
// session that ends by a crash, a kill or a power cut can be replayed at the
// next start. One file a running copy of the program, in
// $XDG_STATE_HOME/vardesca (~/.local/state/vardesca), locked by it (flock)
// while it runs; a normal end removes it.
//
// A record is written at once, so a killed program loses nothing; it is made
// durable (fdatasync) by a thread of the journal's own, which syncs whatever
// has been written since its last sync, so a slow or busy disk never holds up
// a click. A power cut takes at most what was written during the sync under
// way and the one before it began. With no thread to be had, each record is
// synced as it is written, as before.
class SessionJournal {
  public:
    ~SessionJournal();  // closes, leaving the file: only Finish removes it
    SessionJournal(const SessionJournal&) = delete;
    SessionJournal& operator=(const SessionJournal&) = delete;

    // A new journal for this process in `folder` (made if need be, 0700),
    // locked; nothing, with the reason in `why`, when it cannot be written or
    // the folder is not safe to write in (see CheckJournalFolder). The file is
    // made new, never opened through a link or over another file, mode 0600.
    [[nodiscard]] static std::unique_ptr<SessionJournal> Create(const QString& folder,
                                                                Outcome& why);

    // Appends the records; their sync follows on the journal's thread. After a
    // failure, of the write or of a sync, nothing more is written and false is
    // returned, with errno (the window warns once and goes on without it).
    bool Append(const std::string& encodedRecords);
    bool Append(const JournalRecord& record) { return Append(EncodeRecord(record)); }
    [[nodiscard]] bool Broken() const { return fd_ < 0; }

    // The normal end: the file goes.
    void Finish();
    [[nodiscard]] const QString& Path() const { return path_; }
    // Waits until everything appended so far is on the disk; false when a
    // sync failed.
    bool WaitUntilSynced();

    // Tests: what syncs the file (fdatasync by default), and on which thread
    // it is called is theirs to see.
    static void SetSyncForTests(std::function<int(int fd)> sync);

  private:
    SessionJournal(QString path, int folderFd, std::string name, int fd)
        : path_(std::move(path)), folderFd_(folderFd), name_(std::move(name)), fd_(fd) {}
    void StartSyncing();
    // Ends the thread, after a last sync of what is left when `syncFirst`.
    void StopSyncing(bool syncFirst);
    void SyncLoop();
    void Broke(int error);

    QString path_;
    int folderFd_ = -1;  // the folder as checked: the file is removed there
    std::string name_;
    int fd_ = -1;

    std::thread syncer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t written_ = 0;  // appends so far (under mutex_)
    std::uint64_t synced_ = 0;   // of them, on the disk
    bool stopping_ = false;
    int syncError_ = 0;  // a sync failed on the thread: errno
};

// The journal of a copy of the program that ended without removing it, held
// locked while this one decides what to do with it.
class LeftJournal {
  public:
    ~LeftJournal();
    LeftJournal(LeftJournal&& other) noexcept;
    LeftJournal(const LeftJournal&) = delete;
    LeftJournal& operator=(const LeftJournal&) = delete;
    LeftJournal& operator=(LeftJournal&&) = delete;

    // The most recent journal in `folder` that no running copy holds. A file
    // that does not begin as a journal, or is larger than any journal, is set
    // aside without being read; one with nothing done in it is removed.
    [[nodiscard]] static std::optional<LeftJournal> Find(const QString& folder);

    [[nodiscard]] const QString& Path() const { return path_; }
    // Its records, read a piece at a time (never the whole file at once).
    [[nodiscard]] const JournalReading& Reading() const { return reading_; }
    [[nodiscard]] const QDateTime& LastWritten() const { return lastWritten_; }

    // Recovered into the new session's journal: the old file goes.
    void Remove();
    // Not recovered: kept beside, renamed with the date it was set aside
    // ("messo-da-parte-2026-12-07-19.40.12.journal"); the new name.
    QString SetAside();

  private:
    LeftJournal(QString path, int fd, JournalReading reading, QDateTime lastWritten)
        : path_(std::move(path)),
          fd_(fd),
          reading_(std::move(reading)),
          lastWritten_(std::move(lastWritten)) {}
    QString path_;
    int fd_ = -1;
    JournalReading reading_;
    QDateTime lastWritten_;
};

// $XDG_STATE_HOME/vardesca, or ~/.local/state/vardesca.
[[nodiscard]] QString JournalFolder();

// The journal's folder, made 0700 if missing (with any missing folder above
// it), opened and checked: a real folder, not a link, owned by this user and
// not writable by anyone else; otherwise another user could read the session
// or plant files in it. Its descriptor, or -1 with the reason in `why`.
[[nodiscard]] int OpenJournalFolder(const QString& folder, Outcome& why);

namespace journal_text {
inline constexpr const char* kCannotWrite = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Impossibile scrivere il registro della sessione\n\n%1\n\n%2.\n\nSi può continuare a "
    "misurare, ma se il programma si chiudesse in modo anomalo le misure non esportate "
    "andrebbero perse.");
inline constexpr const char* kFolderIsLink =
    QT_TRANSLATE_NOOP("Vardesca", "la cartella è un collegamento simbolico");
inline constexpr const char* kFolderNotOurs =
    QT_TRANSLATE_NOOP("Vardesca", "la cartella appartiene a un altro utente");
inline constexpr const char* kFolderOpenToOthers =
    QT_TRANSLATE_NOOP("Vardesca", "la cartella è scrivibile anche da altri utenti");
}  // namespace journal_text

}  // namespace vardesca
