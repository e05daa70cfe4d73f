// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/session_start.h"
#include "text/program_language.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <QLocale>
#include <QSocketNotifier>

#include "session/session_recovery.h"
#include "text/ui_text.h"

namespace vardesca {

std::unique_ptr<SessionJournal> StartJournal(Form1& window, WindowDialogs& dialogs,
                                             const QString& folder) {
    std::optional<LeftJournal> left = LeftJournal::Find(folder);
    Outcome why;
    std::unique_ptr<SessionJournal> journal = SessionJournal::Create(folder, why);
    if (!journal) {
        dialogs.ShowBox(QString(), UiText(journal_text::kCannotWrite).arg(folder, why ? why->Reason() : QString()),
                        WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
    if (left) {
        const QString when =
            UiText(recovery_text::kWhen)
                .arg(LanguageLocale().toString(left->LastWritten().date(), QLocale::ShortFormat),
                     left->LastWritten().time().toString(QStringLiteral("HH:mm")));
        const auto answer = dialogs.ShowBox(UiText(recovery_text::kTitle),
                                            UiText(recovery_text::kQuestion).arg(when),
                                            WindowDialogs::Buttons::YesNo);
        if (answer == WindowDialogs::Answer::Yes) {
            const JournalReading& reading = left->Reading();
            // The new journal takes over what is recovered before the replay, so
            // that a second crash, even during it, loses nothing either, and a
            // question the replay asks again is journaled after it.
            bool taken = false;
            if (journal) {
                if (!reading.damaged) {
                    // As they were, a megabyte at a time, never the whole
                    // session in one more string.
                    taken = true;
                    std::string piece;
                    for (std::size_t i = 1; i <= reading.records.size() && taken; ++i) {
                        if (i < reading.records.size()) {
                            piece += EncodeRecord(reading.records[i]);
                        }
                        if (piece.size() >= (1U << 20) || i == reading.records.size()) {
                            taken = piece.empty() || journal->Append(piece);
                            piece.clear();
                        }
                    }
                } else {
                    taken = journal->Append(EncodePlan(PlanRecovery(reading)));
                }
                // The old journal goes only once the new one holds the session
                // on the disk, not merely written: a power cut between the two
                // must not leave neither.
                taken = taken && journal->WaitUntilSynced();
            }
            // A damaged journal is never removed: it is kept, and the box says where.
            QString keptAt;
            if (reading.damaged) {
                keptAt = left->SetAside();
            } else if (taken) {
                left->Remove();
            }
            window.Session().Use(journal.get());
            window.RecoverSession(reading, keptAt);
        } else {
            left->SetAside();
        }
    }
    window.Session().Use(journal.get());
    return journal;
}

namespace {
int quitPipe[2] = {-1, -1};

extern "C" void OnQuitSignal(int /*signal*/) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(quitPipe[1], &byte, 1);
    errno = saved;
}
}  // namespace

void OnQuitSignals(QObject& owner, std::function<void()> end) {
    if (quitPipe[0] < 0 && ::pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, &owner, [end = std::move(end)] {
        char drain[16];
        while (::read(quitPipe[0], drain, sizeof drain) > 0) {
        }
        end();
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

}  // namespace vardesca
