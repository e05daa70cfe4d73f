// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/program_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vardesca {

namespace {

Language installed = Language::Italian;

}  // namespace

Language ChooseLanguage(const QStringList& uiLanguages) {
    for (const QString& tag : uiLanguages) {
        // "en-US", "en_GB", "it": the language is the part before the region.
        const QString language =
            tag.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
        if (language == QLatin1String("it")) {
            return Language::Italian;
        }
        if (language == QLatin1String("en")) {
            return Language::English;
        }
    }
    // The program's own language where none is asked for (C, POSIX), and
    // English, the one most people read of the two, for every other.
    if (uiLanguages.isEmpty() || uiLanguages.front() == QLatin1String("C") ||
        uiLanguages.front() == QLatin1String("POSIX")) {
        return Language::Italian;
    }
    return Language::English;
}

void InstallLanguage(Language language) {
    // Both live as long as the application; Qt keeps only pointers to them.
    static QTranslator qt;
    static QTranslator ours;
    installed = language;
    if (language == Language::Italian) {
        if (qt.isEmpty() && qt.load(QStringLiteral("qtbase_it"),
                                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(&qt);
        }
        return;
    }
    if (ours.isEmpty() && ours.load(QStringLiteral(":/i18n/vardesca_en.qm"))) {
        QCoreApplication::installTranslator(&ours);
    }
}

Language CurrentLanguage() {
    return installed;
}

QLocale LanguageLocale() {
    return installed == Language::English ? QLocale(QLocale::English, QLocale::UnitedStates)
                                          : QLocale(QLocale::Italian, QLocale::Italy);
}

}  // namespace vardesca
