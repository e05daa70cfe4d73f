// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QStringList>

namespace vardesca {

// The languages the program's texts are in: Italian, as written in the code,
// and English, from the translation built into the program.
enum class Language { Italian, English };

// The first of the user's languages (most wanted first, as
// QLocale::system().uiLanguages() gives them from LANGUAGE, LC_MESSAGES and
// LANG) that the program has. None of them: Italian when no language is asked
// for (C, POSIX), English for any other.
[[nodiscard]] Language ChooseLanguage(const QStringList& uiLanguages);

// Puts `language` into effect for the rest of the process: Qt's own texts
// (file dialogs) in Italian for Italian, which Qt itself writes in English;
// the program's texts in English for English. Once per process.
void InstallLanguage(Language language);

// The language installed (Italian before any), and the locale its texts write
// dates in. Numbers follow the user's number locale instead (LC_NUMERIC).
[[nodiscard]] Language CurrentLanguage();
[[nodiscard]] QLocale LanguageLocale();

}  // namespace vardesca
