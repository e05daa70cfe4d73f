// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstring>
#include <optional>
#include "text/ui_text.h"

namespace vardesca {

// The program's one way of saying that something went wrong: the reason, in
// Italian, worded to follow the file's name in the box that reports it
// ("Impossibile aprire l'immagine\n\n<file>\n\n<reason>."). Loading, the damage
// check and saving all return an Outcome: nothing when all went well, the
// Failure otherwise. No empty string stands for "sound" and no flag for "done".
//
// The reason travels as its Italian, as written in the code (on any thread,
// before or after the language is chosen), and is put into the user's
// language only by Reason(), where it is shown: the one moment every text of
// the program is translated.
struct Failure {
    const char* italian;  // marked with QT_TRANSLATE_NOOP("Vardesca", …)
    [[nodiscard]] QString Reason() const { return UiText(italian); }
    bool operator==(const Failure& other) const { return std::strcmp(italian, other.italian) == 0; }
};
using Outcome = std::optional<Failure>;

[[nodiscard]] inline Failure Because(const char* italian) {
    return {italian};
}

}  // namespace vardesca
