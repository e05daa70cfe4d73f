// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>

#include "commands/measurement_table.h"
#include "session/journal_dialogs.h"
#include "session/session_journal.h"
#include "window/results_box.h"
#include "window/session_recorder.h"
#include "window/user_actions.h"
#include "window/window_memory.h"

namespace vardesca {

// The session from the window's side: what its journal is told, and how the
// session ends. The exit question (Esci, Ctrl+Q, the close box) ends it
// normally and the journal goes; a signal or a logout ends it at once,
// leaving the journal, which already holds everything, for the next start.
class WindowSession {
  public:
    // All outlive it.
    WindowSession(QWidget& window, ResultsBox& text, const MeasurementTable& table,
                  JournalDialogs& recording, WindowMemory& memory);

    void DefineActions(UserActions& actions);
    // The session journal written from now on; none when nothing is given.
    void Use(SessionJournal* journal) { recorder_.Use(journal); }
    [[nodiscard]] SessionRecorder& Recorder() { return recorder_; }
    // The user's edits of the results box journaled now, not within the second.
    void FlushText() { recorder_.FlushText(); }

    // Whether the window may close now: the exit question, unless the session
    // already ends or a save holds the window.
    [[nodiscard]] bool MayClose(UserActions& actions);
    // SIGTERM, SIGHUP: the program ends at once, without its question.
    void EndQuietly();
    // The desktop session is ending: the journal is brought up to date and
    // the close that follows asks nothing, so no box blocks a logout.
    void PrepareForSessionEnd();
    // How the program ends when the user confirms; QCoreApplication::quit
    // unless a test puts something else.
    void SetQuit(std::function<void()> quit) { quit_ = std::move(quit); }

  private:
    // The exit question; true when the user answers Sì.
    [[nodiscard]] bool ConfirmExit();
    // Sì to the exit question: the window's place kept, the journal gone.
    void EndConfirmed();

    QWidget& window_;
    WindowDialogs& dialogs_;
    WindowMemory& memory_;
    SessionRecorder recorder_;
    std::function<void()> quit_;
    bool quitting_ = false;
    bool quietClose_ = false;
};

}  // namespace vardesca
