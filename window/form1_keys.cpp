// SPDX-License-Identifier: GPL-3.0-or-later
// The window's keys: the shortcuts of the key table and what each one does,
// and the annotated photo's save, during which the commands wait.
#include <QApplication>
#include <QShortcut>

#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/form1.h"
#include "window/stale_clicks.h"

namespace vardesca {

void Form1::SaveAnnotatedPhoto() {
    if (WaitingForSave()) {
        return;
    }
    RunGuarded(
        [this] { annotated_.Save(picPicture->Picture(), picPicture->Overlay(), fileName_); });
    staleClicks_->BusyUntilNow();
}

void Form1::ShowKeys() {
    RunGuarded([this] {
        dialogs_.ShowBox(UiText(app_text::kKeysTitle), KeysHelpText(), WindowDialogs::Buttons::Ok);
    });
}

bool Form1::WaitingForSave() {
    if (!annotated_.Saving()) {
        return false;
    }
    dialogs_.ShowBox(QString(), UiText(annotated_text::kWaitForSave), WindowDialogs::Buttons::Ok);
    return true;
}

bool Form1::TextHasFocus() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && (focus == Text1 || Text1->isAncestorOf(focus));
}

void Form1::MakeShortcuts() {
    for (const KeyBinding& binding : KeyBindings()) {
        for (const QKeySequence& key : binding.keys) {
            auto* shortcut = new QShortcut(key, this);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, &binding] {
                // The text box claims its own editing keys (Ctrl+Z, Ctrl+A, Ctrl+C …)
                // before any shortcut sees them; single keys type there.
                if (binding.scope == KeyScope::OutsideResultsBox && TextHasFocus()) {
                    return;
                }
                Run(binding.action);
            });
        }
    }
}

void Form1::Run(KeyAction action) {
    switch (action) {
        case KeyAction::ZoomIn:
            return viewport_->ZoomInStep();
        case KeyAction::ZoomOut:
            return viewport_->ZoomOutStep();
        case KeyAction::Fit:
            return viewport_->Fit();
        case KeyAction::NaturalSize:
            return viewport_->NaturalSize();
        case KeyAction::Undo:
            return UndoClick();
        case KeyAction::Redo:
            return RedoClick();
        case KeyAction::SaveAnnotatedPhoto:
            return SaveAnnotatedPhoto();
        case KeyAction::ShowKeys:
            return ShowKeys();
        case KeyAction::ScrollLeft:
            return viewport_->ArrowStep(-1, 0);
        case KeyAction::ScrollRight:
            return viewport_->ArrowStep(1, 0);
        case KeyAction::ScrollUp:
            return viewport_->ArrowStep(0, -1);
        case KeyAction::ScrollDown:
            return viewport_->ArrowStep(0, 1);
        case KeyAction::GiveUpPendingPoint:
            return GiveUpPendingPoint();
        case KeyAction::ToggleLoupe:
            loupe_->Toggle();
            if (settings_ != nullptr) {
                settings_->SetLoupeOn(loupe_->Enabled());
            }
            return;
        case KeyAction::ToggleLabels:
            return ToggleLabels();
        case KeyAction::Open:
            return cmdOpen_Click();
        case KeyAction::SaveResults:
            if (WaitingForSave()) {
                return;
            }
            RunGuarded([this] { export_.SaveToFile(Text1->GetText()); });
            RememberResultsFile();
            return staleClicks_->BusyUntilNow();
        case KeyAction::SaveTable:
            return SaveTable();
        case KeyAction::NextPhoto:
            return GoToNeighbour(1);
        case KeyAction::PreviousPhoto:
            return GoToNeighbour(-1);
        case KeyAction::CopyResults:
            if (WaitingForSave()) {
                return;
            }
            return RunGuarded([this] { export_.CopyToClipboard(Text1->GetText()); });
        case KeyAction::Quit:
            return Esci_Click();
        case KeyAction::StartMeasuring:
            // As the button, and only when the button may be pressed.
            if (Inizia->isEnabled()) {
                Inizia_Click();
            }
            return;
        case KeyAction::None:
            return;
    }
}

}  // namespace vardesca
