// SPDX-License-Identifier: GPL-3.0-or-later
// The kill drill's program: a scripted session with a real journal, stopped
// after any step and killed from outside; then the same program started
// again, answering Sì to the recovery.
//
//   journal_drill play STATE_FOLDER PHOTO_FOLDER [K]
//     plays the session; after each step prints "STEP i <state>" and waits for
//     a line on stdin. With K, after step K it clicks one more pair, prints
//     "NEXT <state>" and ends.
//   journal_drill recover STATE_FOLDER
//     starts as after a crash, answers Sì, prints "RECOVERED <state>", clicks
//     the same one more pair and prints "NEXT <state>".
//
// <state> is the results text (hex), the marks, labels, numbering, pending
// point and caption: everything the user would see.
#include <poll.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "tests/support/scripted_window_dialogs.h"
#include "text/qt_locale_numbers.h"
#include "window/form1.h"
#include "window/session_start.h"

namespace {

using vardesca::Form1;
using vardesca::UserAction;

std::string State(Form1& w) {
    const auto& e = w.Desk().Engine();
    return QByteArray::fromStdString(w.Text1->GetText()).toHex().toStdString() + " " +
           std::to_string(w.picPicture->MarkCount()) + " " +
           std::to_string(w.picPicture->LabelCount()) + " " + std::to_string(e.azione()) + " " +
           std::to_string(e.punti()) + " " + std::to_string(e.n()) + " " +
           std::to_string(e.HasPendingPoint()) + " " +
           std::to_string(w.Desk().Table().Rows().size()) + " " +
           w.windowTitle().toUtf8().toHex().toStdString();
}

void Click(Form1& w, float x, float y) {
    w.picPicture_MouseDown(x * 15, y * 15);
}

// Waits for a line on stdin with the window's events running (a SIGTERM is
// one); false when stdin ends.
bool WaitForGo() {
    std::string line;
    while (true) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        pollfd in{0, POLLIN, 0};
        if (::poll(&in, 1, 20) > 0) {
            char c = 0;
            while (::read(0, &c, 1) == 1) {
                if (c == '\n') {
                    return true;
                }
            }
            return false;
        }
    }
}

void OneMorePair(Form1& w) {
    Click(w, 300, 250);
    Click(w, 300, 290);
    std::printf("NEXT %s\n", State(w).c_str());
    std::fflush(stdout);
}

std::vector<std::function<void()>> Script(Form1& w, vardesca::testing::ScriptedWindowDialogs& d,
                                          const QString& photos) {
    const auto calibrateClicks = [&w, &d] {
        return std::vector<std::function<void()>>{
            [&w] { w.Inizia_Click(); },
            [&w] { Click(w, 10, 10); },
            [&w, &d] {
                d.inputs = {"2"};
                Click(w, 110, 10);
            },
            [&w] { Click(w, 10, 20); },
            [&w, &d] {
                d.inputs = {"1"};
                Click(w, 60, 20);
            },
        };
    };
    std::vector<std::function<void()>> steps = {
        [&w, &d, photos] {
            d.files = {QDir(photos).filePath(QStringLiteral("IMG_1.png"))};
            w.cmdOpen_Click();
        },
    };
    for (auto& s : calibrateClicks())
        steps.push_back(s);
    const std::vector<std::function<void()>> rest = {
        [&w] { Click(w, 100, 100); },
        [&w] { Click(w, 200, 100); },
        [&w] { Click(w, 100, 150); },
        [&w] { Click(w, 300, 150); },
        [&w] { w.Actions().Perform(UserAction::Undo); },
        [&w] {
            // Typed and journaled (as a second later, or at the next click).
            QTest::keyClicks(w.Text1, "nota");
            w.Session().FlushText();
        },
        [&w] { w.Actions().Perform(UserAction::Redo); },
        [&w] { w.Actions().Perform(UserAction::NextPhoto); },
    };
    for (auto& s : rest)
        steps.push_back(s);
    for (auto& s : calibrateClicks())
        steps.push_back(s);
    const std::vector<std::function<void()>> end = {
        [&w] { Click(w, 50, 50); },
        [&w] { Click(w, 50, 250); },
        [&w] { Click(w, 70, 70); },  // a first point left waiting
        [&w] { w.Actions().Perform(UserAction::GiveUpPendingPoint); },
        [&w] { Click(w, 80, 80); },
    };
    for (auto& s : end)
        steps.push_back(s);
    return steps;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        return 2;
    }
    vardesca::testing::ScriptedWindowDialogs dialogs;
    const vardesca::QtLocaleNumbers locale{QLocale(QLocale::Italian, QLocale::Italy)};
    Form1 window(dialogs, locale);
    window.show();
    if (args[1] == QLatin1String("recover")) {
        dialogs.answers = {vardesca::WindowDialogs::Answer::Yes};
        const auto journal = vardesca::StartJournal(window, dialogs, args[2]);
        std::printf("RECOVERED %s\n", State(window).c_str());
        OneMorePair(window);
        return 0;
    }
    const auto journal = vardesca::StartJournal(window, dialogs, args[2]);
    // SIGTERM ends it as the program's own handler does, journal left.
    vardesca::OnQuitSignals(window, [&window] { window.Session().EndQuietly(); });
    window.Session().SetQuit([] { std::exit(0); });
    const int stopAfter = args.size() > 4 ? args[4].toInt() : -1;
    const auto steps = Script(window, dialogs, args[3]);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i]();
        std::printf("STEP %zu %s\n", i + 1, State(window).c_str());
        std::fflush(stdout);
        if (static_cast<int>(i + 1) == stopAfter) {
            OneMorePair(window);
            return 0;
        }
        if (stopAfter < 0 && !WaitForGo()) {
            return 0;
        }
    }
    std::printf("END %zu\n", steps.size());
    std::fflush(stdout);
    WaitForGo();
    return 0;
}
