// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <functional>

#include "session/journal_format.h"
#include "session/journal_records.h"
#include "dialogs/window_dialogs.h"

namespace vardesca {

// The window's dialogs as the session journal sees them. While an action the
// journal records is under way, every reply the user gives (a length typed, a
// Sì or an Annulla) is recorded before it takes effect; while a session is
// replayed, the recorded replies answer instead of the user and no box shows.
class JournalDialogs : public WindowDialogs {
  public:
    explicit JournalDialogs(WindowDialogs& real) : real_(real) {}

    void SetRecorder(std::function<void(const JournalRecord&)> record) {
        record_ = std::move(record);
    }
    // Replies are recorded between BeginAction and EndAction.
    void BeginAction() { ++actions_; }
    void EndAction() { --actions_; }

    // Replaying: the replies to use, in order ("answer" and "reply" records);
    // a question with none left is answered as closed (its last button, or an
    // empty reply), as a journal cut short before the reply leaves it.
    void StartReplay() { replaying_ = true; }
    void StopReplay() {
        replaying_ = false;
        askWhenRunOut_ = false;
        replies_.clear();
    }
    [[nodiscard]] bool Replaying() const { return replaying_; }
    // `askWhenRunOut`: the step was the last the journal holds, so a question
    // with no reply left was open when the program ended; it is asked again,
    // and the reply recorded, instead of being taken as closed.
    void QueueReplies(std::deque<JournalRecord> replies, bool askWhenRunOut = false) {
        replies_ = std::move(replies);
        askWhenRunOut_ = askWhenRunOut;
    }

    Answer ShowBox(const QString& title, const QString& text, Buttons buttons,
                   Icon icon = Icon::None) override;
    QString Input(const QString& title, const QString& prompt) override;
    std::optional<QString> OpenFile(const QString& title, const QStringList& filters,
                                    const QString& folder) override;
    std::optional<QString> SaveFile(const QString& suggested) override;
    // Not a reply: nothing to record.
    std::unique_ptr<ProgressWindow> ShowProgress(const QString& text) override {
        return real_.ShowProgress(text);
    }

  private:
    [[nodiscard]] bool Recording() const { return actions_ > 0 && record_ && !replaying_; }
    [[nodiscard]] std::optional<JournalRecord> NextReply(RecordKind kind);
    // Runs `ask` as outside a replay: shown to the user, recorded.
    template <typename Ask>
    auto AskForReal(Ask&& ask);

    WindowDialogs& real_;
    std::function<void(const JournalRecord&)> record_;
    int actions_ = 0;
    bool replaying_ = false;
    bool askWhenRunOut_ = false;
    std::deque<JournalRecord> replies_;
};

}  // namespace vardesca
