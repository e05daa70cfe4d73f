// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QWidget>
#include <span>

#include "window/user_actions.h"

namespace vardesca {

// Every key of the program, in one table: the window makes its shortcuts from
// it and F1 lists it, so the two cannot disagree.
enum class KeyScope {
    Everywhere,         // Ctrl keys: the results box claims its own editing ones first
    OutsideResultsBox,  // single keys, which type in the results box
};

// The keys' actions are user actions: the door that runs them is the same
// whatever started them.
using KeyAction = UserAction;

struct KeyBinding {
    QList<QKeySequence> keys;
    KeyScope scope;
    KeyAction action;
    // How the F1 list writes the key, and the line it is listed on (bindings
    // that share a line give the same one; it is written once).
    const char* shown;
    const char* help;
};

[[nodiscard]] std::span<const KeyBinding> KeyBindings();

// The F1 list: the mouse, then the keys of each scope, then the results box's
// own keys.
[[nodiscard]] QString KeysHelpText();

// The window's shortcuts, one for each key of the table, each performing its
// action; those of single keys not while `resultsBox` has the keyboard.
void MakeShortcuts(QWidget& window, const QWidget& resultsBox, UserActions& actions);

}  // namespace vardesca
