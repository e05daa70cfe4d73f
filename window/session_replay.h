// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "session/journal_dialogs.h"
#include "session/session_journal.h"
#include "window/photo_desk.h"
#include "window/photo_opener.h"
#include "window/results_box.h"
#include "window/session_recorder.h"
#include "window/user_actions.h"

namespace vardesca {

// The window's parts a replay works through.
struct ReplayParts {
    PhotoDesk& desk;
    PhotoOpener& opener;
    ResultsBox& text;
    JournalDialogs& recording;
    UserActions& actions;
    SessionRecorder& recorder;
};

// Replays the session a journal kept: the last photo with its calibration,
// measurements and undo history, the results text and the table. Each step
// goes through the same door as when the user did it. A box says what could
// not be recovered (a photo gone or changed, a damaged part); where the
// journal had damaged lines, a box says what each cost, and where the journal
// was kept (`keptAt`, when given).
void ReplaySession(const JournalReading& reading, const QString& keptAt, const ReplayParts& parts);

}  // namespace vardesca
