// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/window_session.h"

#include <QCoreApplication>

#include "commands/about.h"
#include "text/ui_text.h"

namespace vardesca {

WindowSession::WindowSession(QWidget& window, ResultsBox& text, const MeasurementTable& table,
                             JournalDialogs& recording, WindowMemory& memory)
    : window_(window),
      dialogs_(recording),
      memory_(memory),
      recorder_(text, table, recording, recording, nullptr),
      quit_([] { QCoreApplication::quit(); }) {}

void WindowSession::DefineActions(UserActions& actions) {
    actions.Define(UserAction::Quit, [this](const ActionArgs&) {
        if (ConfirmExit()) {
            EndConfirmed();
            quit_();
        }
    });
}

bool WindowSession::ConfirmExit() {
    return dialogs_.ShowBox(QString(), UiText(kExitQuestion), WindowDialogs::Buttons::YesNo) ==
           WindowDialogs::Answer::Yes;
}

void WindowSession::EndConfirmed() {
    quitting_ = true;
    memory_.KeepWindow(window_);
    recorder_.Finish();
}

bool WindowSession::MayClose(UserActions& actions) {
    // The close box asks the exit question too: unexported results live only here.
    if (quitting_) {
        return true;
    }
    // A logout: the journal is up to date and stays for the next start.
    if (quietClose_) {
        quitting_ = true;
        memory_.KeepWindow(window_);
        return true;
    }
    if (actions.SaveHolds()) {
        return false;
    }
    bool confirmed = false;
    actions.Guard([this, &confirmed] { confirmed = ConfirmExit(); });
    if (confirmed) {
        EndConfirmed();
    }
    return confirmed;
}

void WindowSession::EndQuietly() {
    recorder_.FlushText();
    quitting_ = true;
    memory_.KeepWindow(window_);
    quit_();
}

void WindowSession::PrepareForSessionEnd() {
    recorder_.FlushText();
    quietClose_ = true;
}

}  // namespace vardesca
