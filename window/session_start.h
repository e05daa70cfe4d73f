// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "session/session_journal.h"
#include "dialogs/window_dialogs.h"
#include "window/form1.h"

namespace vardesca {

// At start: a journal left by a session that did not end normally is offered
// for recovery (Sì replays it; No sets it aside, renamed with the date), then
// this session's own journal begins in `folder`, holding what was recovered.
// A journal that cannot be written is said once; the program works on without.
[[nodiscard]] std::unique_ptr<SessionJournal> StartJournal(Form1& window, WindowDialogs& dialogs,
                                                           const QString& folder);

// SIGTERM and SIGHUP (a logout, a shutdown, a closed terminal) call `end` on
// the window's thread instead of ending the process on the spot.
void OnQuitSignals(QObject& owner, std::function<void()> end);

}  // namespace vardesca
