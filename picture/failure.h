// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include "text/ui_text.h"

namespace vardesca {

// The program's one way of saying that something went wrong: the reason, in
// Italian, worded to follow the file's name in the box that reports it
// ("Impossibile aprire l'immagine\n\n<file>\n\n<reason>."). Loading, the damage
// check and saving all return an Outcome: nothing when all went well, the
// Failure otherwise. No empty string stands for "sound" and no flag for "done".
struct Failure {
    QString reason;
    bool operator==(const Failure&) const = default;
};
using Outcome = std::optional<Failure>;

[[nodiscard]] inline Failure Because(const char* italian) {
    return {UiText(italian)};
}

}  // namespace vardesca
