// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "commands/journal_format.h"

namespace vardesca {

// Until the user exports, the results live only in the window. The journal
// keeps, on the disk, what the user did that would be lost with it, so that a
// session that ends by a crash, a kill or a power cut can be replayed at the
// next start. One file a running copy of the program, in
// $XDG_STATE_HOME/vardesca (~/.local/state/vardesca), locked by it (flock)
// while it runs; a normal end removes it.
class SessionJournal {
  public:
    ~SessionJournal();  // closes, leaving the file: only Finish removes it
    SessionJournal(const SessionJournal&) = delete;
    SessionJournal& operator=(const SessionJournal&) = delete;

    // A new journal for this process in `folder` (made if need be), locked;
    // nothing, with the reason in `why`, when it cannot be written.
    [[nodiscard]] static std::unique_ptr<SessionJournal> Create(const QString& folder,
                                                                QString& why);

    // Appends the records and waits until they are on the disk (fdatasync).
    // After a failure nothing more is written and false is returned (the
    // window warns once and goes on without the journal).
    bool Append(const std::string& encodedRecords);
    bool Append(const JournalRecord& record) { return Append(EncodeRecord(record)); }
    [[nodiscard]] bool Broken() const { return fd_ < 0; }

    // The normal end: the file goes.
    void Finish();
    [[nodiscard]] const QString& Path() const { return path_; }

  private:
    SessionJournal(QString path, int fd) : path_(std::move(path)), fd_(fd) {}
    QString path_;
    int fd_ = -1;
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

    // The most recent journal in `folder` that no running copy holds.
    [[nodiscard]] static std::optional<LeftJournal> Find(const QString& folder);

    [[nodiscard]] const QString& Path() const { return path_; }
    [[nodiscard]] const std::string& Bytes() const { return bytes_; }
    [[nodiscard]] const QDateTime& LastWritten() const { return lastWritten_; }

    // Recovered into the new session's journal: the old file goes.
    void Remove();
    // Not recovered: kept beside, renamed with the date it was set aside
    // ("messo-da-parte-2026-12-07-19.40.12.journal"); the new name.
    QString SetAside();

  private:
    LeftJournal(QString path, int fd, std::string bytes, QDateTime lastWritten)
        : path_(std::move(path)),
          fd_(fd),
          bytes_(std::move(bytes)),
          lastWritten_(std::move(lastWritten)) {}
    QString path_;
    int fd_ = -1;
    std::string bytes_;
    QDateTime lastWritten_;
};

// $XDG_STATE_HOME/vardesca, or ~/.local/state/vardesca.
[[nodiscard]] QString JournalFolder();

namespace journal_text {
inline constexpr const char* kCannotWrite = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Impossibile scrivere il registro della sessione\n\n%1\n\n%2.\n\nSi può continuare a "
    "misurare, ma se il programma si chiudesse in modo anomalo le misure non esportate "
    "andrebbero perse.");
}  // namespace journal_text

}  // namespace vardesca
