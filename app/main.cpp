#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "window/form1.h"
#include "window/qt_locale_numbers.h"
#include "window/qt_window_dialogs.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vardesca"));
    QApplication::setDesktopFileName(QStringLiteral("it.vardesca.Vardesca"));

    // The user sees Italian only: Qt's own dialogs too, whatever the system language.
    QTranslator qtItalian;
    if (qtItalian.load(QStringLiteral("qtbase_it"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtItalian);
    }

    vardesca::QtWindowDialogs dialogs;
    const vardesca::QtLocaleNumbers locale;
    vardesca::Form1 window(dialogs, locale);
    dialogs.SetParent(&window);
    window.show();
    return QApplication::exec();
}
