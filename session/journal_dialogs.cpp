// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/journal_dialogs.h"

#include <array>
#include <utility>

namespace vardesca {

namespace {

constexpr std::array<std::pair<WindowDialogs::Answer, const char*>, 4> kAnswerNames = {{
    {WindowDialogs::Answer::Ok, "ok"},
    {WindowDialogs::Answer::Cancel, "annulla"},
    {WindowDialogs::Answer::Yes, "si"},
    {WindowDialogs::Answer::No, "no"},
}};

WindowDialogs::Answer Closed(WindowDialogs::Buttons buttons) {
    switch (buttons) {
        case WindowDialogs::Buttons::Ok: return WindowDialogs::Answer::Ok;
        case WindowDialogs::Buttons::YesNo: return WindowDialogs::Answer::No;
        case WindowDialogs::Buttons::OkCancel:
        case WindowDialogs::Buttons::YesNoCancel: break;
    }
    return WindowDialogs::Answer::Cancel;
}

}  // namespace

std::optional<JournalRecord> JournalDialogs::NextReply(RecordKind kind) {
    if (replies_.empty() || !Is(replies_.front(), kind)) {
        return std::nullopt;
    }
    JournalRecord reply = std::move(replies_.front());
    replies_.pop_front();
    return reply;
}

template <typename Ask>
auto JournalDialogs::AskForReal(Ask&& ask) {
    replaying_ = false;
    struct Back {
        bool& replaying;
        ~Back() { replaying = true; }
    } back{replaying_};
    return ask();
}

WindowDialogs::Answer JournalDialogs::ShowBox(const QString& title, const QString& text,
                                              Buttons buttons, Icon icon) {
    if (replaying_) {
        if (buttons == Buttons::Ok) {
            return Answer::Ok;  // what was said then needs no saying again
        }
        if (replies_.empty() && askWhenRunOut_) {
            return AskForReal([&] { return ShowBox(title, text, buttons, icon); });
        }
        if (const auto reply = NextReply(RecordKind::Answer); reply && !reply->fields.empty()) {
            for (const auto& [answer, name] : kAnswerNames) {
                if (reply->fields[0] == name) {
                    return answer;
                }
            }
        }
        return Closed(buttons);
    }
    const Answer answer = real_.ShowBox(title, text, buttons, icon);
    if (Recording() && buttons != Buttons::Ok) {
        for (const auto& [a, name] : kAnswerNames) {
            if (a == answer) {
                record_({std::string(KindName(RecordKind::Answer)), {name}});
            }
        }
    }
    return answer;
}

QString JournalDialogs::Input(const QString& title, const QString& prompt) {
    if (replaying_) {
        if (replies_.empty() && askWhenRunOut_) {
            return AskForReal([&] { return Input(title, prompt); });
        }
        const auto reply = NextReply(RecordKind::Reply);
        return reply && !reply->fields.empty() ? QString::fromStdString(reply->fields[0])
                                               : QString();
    }
    const QString reply = real_.Input(title, prompt);
    if (Recording()) {
        record_({std::string(KindName(RecordKind::Reply)), {reply.toStdString()}});
    }
    return reply;
}

std::optional<QString> JournalDialogs::OpenFile(const QString& title, const QStringList& filters,
                                                const QString& folder) {
    if (replaying_) {
        return std::nullopt;
    }
    return real_.OpenFile(title, filters, folder);
}

std::optional<QString> JournalDialogs::SaveFile(const QString& suggested) {
    if (replaying_) {
        return std::nullopt;
    }
    return real_.SaveFile(suggested);
}

}  // namespace vardesca
