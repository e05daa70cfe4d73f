// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

namespace vardesca {

// Every text of the program is written in the code in Italian, marked for
// Qt's translation tools with QT_TRANSLATE_NOOP("Vardesca", …), and shown in
// the user's language: as it stands, or through the translation installed at
// start-up, looked up by the Italian itself (the engine's texts too, which
// reach the window as plain strings). `which` tells apart two uses of one
// Italian word that another language words differently.
//
// The one rule for when: a text is translated where it is shown, never
// before. Until then it travels as its Italian `const char*` — a failure's
// reason (picture/failure.h), the engine's messages, a damaged journal
// line's cost — whatever thread made it and whether or not the language
// was chosen yet.
[[nodiscard]] inline QString UiText(const char* italian, const char* which = nullptr) {
    return QCoreApplication::translate("Vardesca", italian, which);
}

}  // namespace vardesca
