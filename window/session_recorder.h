// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <string>

#include "commands/measurement_table.h"
#include "dialogs/window_dialogs.h"
#include "session/journal_dialogs.h"
#include "session/session_journal.h"
#include "session/session_recovery.h"
#include "window/results_box.h"

class QTimer;

namespace vardesca {

// What the window writes to the session journal: each record as it comes (a
// warning, once, if it cannot be written, and measuring goes on without); the
// user's edits of the results box at most a second after the first keystroke
// and always before the next action; when a photo is loaded, the box's text,
// the rows of the photo left and the new photo. Nothing while a recovered
// session is replayed.
class SessionRecorder : public QObject {
  public:
    SessionRecorder(ResultsBox& text, const MeasurementTable& table, JournalDialogs& recording,
                    WindowDialogs& dialogs, QObject* parent);

    // The journal written from now on; none when nothing is given. Not owned.
    void Use(SessionJournal* journal);
    void Write(const JournalRecord& record) { Write(EncodeRecord(record)); }
    void Write(const std::string& encoded);
    void FlushText();
    // A photo loaded (`path`; empty after a replay on a stand-in, when only the
    // text and the rows are written).
    void RecordPicture(const QString& path);
    // The rows from here on belong to the photo now shown.
    void PhotoStarted() { rowsAtPhotoStart_ = table_.Rows().size(); }
    // The normal end: the journal goes.
    void Finish();

  private:
    ResultsBox& text_;
    const MeasurementTable& table_;
    JournalDialogs& recording_;
    WindowDialogs& dialogs_;
    SessionJournal* journal_ = nullptr;
    bool warned_ = false;
    bool textDirty_ = false;
    QTimer* textTimer_ = nullptr;
    // The table's rows before the current photo's: those after are journaled
    // when the photo is left.
    std::size_t rowsAtPhotoStart_ = 0;
};

// Where the journal had damaged lines: a box says what each cost, and where
// the journal was kept (`keptAt`, when given).
void ShowRecoveryDamage(WindowDialogs& dialogs, const RecoveryPlan& plan, const QString& keptAt);

}  // namespace vardesca
