// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QLocale>
#include <QSessionManager>
#include <QTemporaryDir>

#include "commands/safe_file.h"
#include "dialogs/qt_window_dialogs.h"
#include "picture/system_name.h"
#include "text/program_language.h"
#include "text/qt_locale_numbers.h"
#include "window/form1.h"
#include "window/session_start.h"

int main(int argc, char* argv[]) {
    // A save past the system's file-size limit is then a failure to report, not
    // the end of the program and of every unsaved measurement.
    vardesca::IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("vardesca"));
    QApplication::setApplicationName(QStringLiteral("vardesca"));
    QApplication::setDesktopFileName(QStringLiteral("it.vardesca.Vardesca"));
    // Qt's file dialog writes its own state to a QtProject.conf; kept in a
    // folder of this run only, so that nothing but our own file is left in
    // the user's configuration.
    const QTemporaryDir qtState;
    if (qtState.isValid()) {
        vardesca::RememberedSettings::KeepQtStateIn(qtState.path());
    }
    vardesca::RememberedSettings settings(vardesca::RememberedSettings::DefaultFile());

    // Italian, or English for a user whose first language the program has is
    // English; numbers keep following the number locale whatever the language.
    vardesca::InstallLanguage(vardesca::ChooseLanguage(QLocale::system().uiLanguages()));

    vardesca::QtWindowDialogs dialogs;
    const vardesca::QtLocaleNumbers locale;
    // Declared before the window, which keeps a pointer to it: the journal
    // outlives every use the window can make of it.
    std::unique_ptr<vardesca::SessionJournal> journal;
    vardesca::Form1 window(dialogs, locale, nullptr, &settings);
    dialogs.SetParent(&window);
    window.show();
    // What the user does is journaled from the start; a session that ended
    // otherwise than normally is offered back first.
    journal = vardesca::StartJournal(window, dialogs, vardesca::JournalFolder());
    vardesca::OnQuitSignals(window, [&window] { window.Session().EndQuietly(); });
    // The desktop session ending asks nothing: the journal keeps the work.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.Session().PrepareForSessionEnd(); });
    // "vardesca FOTO", as a file manager's "Apri con" starts it: the photo
    // opens as if chosen in the open dialog.
    // The name's own bytes (QApplication has taken its own options out of
    // argv), so that a name that is not UTF-8 opens too.
    if (argc > 1) {
        window.OpenPicture(vardesca::FromSystemName(QByteArray(argv[1])));
    }
    return QApplication::exec();
}
