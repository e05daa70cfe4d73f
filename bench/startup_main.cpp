// SPDX-License-Identifier: GPL-3.0-or-later
// Starts like the program (or as a bare Qt window, with "bare") and ends at the
// window's first paint: the start-up figure is this process's run time.
#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>
#include <cstring>

#include "dialogs/qt_window_dialogs.h"
#include "window/form1.h"
#include "text/program_language.h"
#include "text/qt_locale_numbers.h"
#include "window/session_start.h"

namespace {
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // exit, not quit: quit would ask the window to close, and the
            // program's window asks the exit question first.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

  private:
    bool seen_ = false;
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstPaint watcher;
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0) {
        QWidget window;
        window.installEventFilter(&watcher);
        window.show();
        return QApplication::exec();
    }
    vardesca::InstallLanguage(vardesca::ChooseLanguage(QLocale::system().uiLanguages()));
    // The settings and the session journal, as the program starts them; the
    // journal in a folder of this run, removed at the end like a normal one.
    vardesca::RememberedSettings settings(vardesca::RememberedSettings::DefaultFile());
    const QTemporaryDir state;
    vardesca::QtWindowDialogs dialogs;
    const vardesca::QtLocaleNumbers locale;
    vardesca::Form1 window(dialogs, locale, nullptr, &settings);
    window.installEventFilter(&watcher);
    window.show();
    const auto journal = vardesca::StartJournal(window, dialogs, state.path());
    const int status = QApplication::exec();
    if (journal) {
        journal->Finish();
    }
    return status;
}
