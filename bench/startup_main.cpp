// SPDX-License-Identifier: GPL-3.0-or-later
// Starts like the program (or as a bare Qt window, with "bare") and ends at the
// window's first paint: the start-up figure is this process's run time.
#include <QApplication>
#include <QTimer>
#include <cstring>

#include "window/form1.h"
#include "window/italian_translation.h"
#include "window/qt_locale_numbers.h"
#include "dialogs/qt_window_dialogs.h"

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
    vardesca::InstallItalianTranslation();
    vardesca::QtWindowDialogs dialogs;
    const vardesca::QtLocaleNumbers locale;
    vardesca::Form1 window(dialogs, locale);
    window.installEventFilter(&watcher);
    window.show();
    return QApplication::exec();
}
