// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <deque>
#include <memory>
#include <ostream>
#include <vector>

#include "dialogs/window_dialogs.h"

// Failing comparisons of Qt strings print the text, not its bytes.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vardesca::testing {

// Answers every box from a script and records what was shown. A box with a
// choice and no scripted answer left is recorded as unexpected and answered with
// its last button (or a cancel), so a test never blocks. A box with OK alone
// needs no answer.
class ScriptedWindowDialogs : public WindowDialogs {
  public:
    struct Shown {
        enum Kind { Message, Input, Open, Save, Progress } kind;
        QString title;
        QString text;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QStringList filters;
    };

    Answer ShowBox(const QString& title, const QString& text, Buttons buttons,
                   Icon icon) override {
        shown.push_back({Shown::Message, title, text, buttons, icon, {}});
        if (buttons == Buttons::Ok) {
            return Answer::Ok;  // nothing to choose
        }
        if (answers.empty()) {
            ++unexpected;
            switch (buttons) {
                case Buttons::YesNo:
                    return Answer::No;
                default:
                    return Answer::Cancel;
            }
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    QString Input(const QString& title, const QString& prompt) override {
        shown.push_back({Shown::Input, title, prompt, Buttons::OkCancel, Icon::None, {}});
        if (inputs.empty()) {
            ++unexpected;
            return {};
        }
        const QString reply = inputs.front();
        inputs.pop_front();
        return reply;
    }

    // The folder shown goes in `text`.
    std::optional<QString> OpenFile(const QString& title, const QStringList& filters,
                                    const QString& folder) override {
        shown.push_back({Shown::Open, title, folder, Buttons::OkCancel, Icon::None, filters});
        return NextFile();
    }

    std::optional<QString> SaveFile(const QString& suggested) override {
        shown.push_back({Shown::Save, {}, suggested, Buttons::OkCancel, Icon::None, {}});
        return NextFile();
    }
    std::optional<QString> SaveFileAs(const QString& suggested,
                                      const QStringList& filters) override {
        offeredFilters = filters;
        return SaveFile(suggested);
    }
    QStringList offeredFilters;

    // A progress window: recorded; Annulla is pressed once it has been told
    // `cancelAtPercent` or more (never when negative).
    class ScriptedProgress : public ProgressWindow {
      public:
        ScriptedProgress(ScriptedWindowDialogs& owner) : owner_(owner) { ++owner_.progressOpen; }
        ~ScriptedProgress() override { --owner_.progressOpen; }
        ScriptedProgress(const ScriptedProgress&) = delete;
        ScriptedProgress& operator=(const ScriptedProgress&) = delete;
        void SetPercent(int percent) override {
            owner_.lastPercent = percent;
            if (owner_.cancelAtPercent >= 0 && percent >= owner_.cancelAtPercent)
                cancelled_ = true;
        }
        [[nodiscard]] bool Cancelled() const override { return cancelled_; }

      private:
        ScriptedWindowDialogs& owner_;
        bool cancelled_ = false;
    };
    std::unique_ptr<ProgressWindow> ShowProgress(const QString& text) override {
        shown.push_back({Shown::Progress, {}, text, Buttons::Ok, Icon::None, {}});
        return std::make_unique<ScriptedProgress>(*this);
    }
    int cancelAtPercent = -1;
    int lastPercent = -1;
    int progressOpen = 0;

    // Message boxes only, in order.
    [[nodiscard]] std::vector<Shown> Messages() const {
        std::vector<Shown> result;
        for (const Shown& s : shown) {
            if (s.kind == Shown::Message)
                result.push_back(s);
        }
        return result;
    }

    std::deque<Answer> answers;
    std::deque<QString> inputs;
    // An empty string stands for a cancelled file dialog.
    std::deque<QString> files;
    std::vector<Shown> shown;
    int unexpected = 0;

  private:
    std::optional<QString> NextFile() {
        if (files.empty()) {
            ++unexpected;
            return std::nullopt;
        }
        const QString f = files.front();
        files.pop_front();
        if (f.isEmpty())
            return std::nullopt;
        return f;
    }
};

}  // namespace vardesca::testing
