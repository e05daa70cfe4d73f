// SPDX-License-Identifier: GPL-3.0-or-later
// What each user action does in this window, handed to the one door that runs
// them all (window/user_actions.h), and the shortcuts of the key table.
#include <QApplication>
#include <QFileInfo>
#include <QShortcut>

#include "commands/about.h"
#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/form1.h"
#include "window/stale_clicks.h"

namespace vardesca {

void Form1::DefineActions() {
    actions_ = std::make_unique<UserActions>(
        dialogs_, recording_, *staleClicks_, [this] { return annotated_.Saving(); },
        UserActions::Journal{[this] { recorder_->FlushText(); },
                             [this](const JournalRecord& record) { recorder_->Write(record); }});
    DefineMeasuring();
    DefineFiles();
    DefineView();
}

void Form1::DefineMeasuring() {
    using A = UserAction;
    UserActions& a = *actions_;
    const auto after = [this] { AfterEngineAction(); };
    const auto undo = [this](const ActionArgs&) { engine_->Undo(); };
    // A click the engine ignores (no calibration begun) changes nothing to keep.
    a.Define(
        A::Click, [this](const ActionArgs& click) { engine_->HandleClick(click.x, click.y); },
        after, [this](const ActionArgs&) { return engine_->azione() != MeasureEngine::Idle; });
    a.Define(A::Undo, undo, after, [this](const ActionArgs&) { return engine_->CanUndo(); });
    // Escape: a pending first point given up, like undo; nothing else.
    a.Define(A::GiveUpPendingPoint, undo, after,
             [this](const ActionArgs&) { return engine_->HasPendingPoint(); });
    a.Define(
        A::Redo, [this](const ActionArgs&) { engine_->Redo(); }, after,
        [this](const ActionArgs&) { return engine_->CanRedo(); });
    const auto start = [this](const ActionArgs&) { engine_->StartCalibration(); };
    a.Define(A::Inizia, start, [this] { UpdateCaption(); });
    // As the button, and only when the button may be pressed.
    a.Define(
        A::StartMeasuring, start, [this] { UpdateCaption(); },
        [this](const ActionArgs&) { return Inizia->isEnabled(); });
    a.Define(A::Resetta, [this](const ActionArgs&) { ResetMeasurements(); });
}

void Form1::DefineFiles() {
    using A = UserAction;
    UserActions& a = *actions_;
    a.Define(A::Open, [this](const ActionArgs&) { ChooseAndLoad(); });
    // As the dialog would give it: the caption names the whole path.
    a.Define(A::OpenPath,
             [this](const ActionArgs& open) { Load(QFileInfo(open.path).absoluteFilePath()); });
    a.Define(A::NextPhoto, [this](const ActionArgs&) { GoToNeighbourPhoto(1); });
    a.Define(A::PreviousPhoto, [this](const ActionArgs&) { GoToNeighbourPhoto(-1); });
    const auto remember = [this] { RememberResultsFile(); };
    a.Define(
        A::CopiaDati, [this](const ActionArgs&) { export_.CopiaDati(Text1->GetText()); }, remember);
    a.Define(
        A::SaveResults, [this](const ActionArgs&) { export_.SaveToFile(Text1->GetText()); },
        remember);
    a.Define(A::CopyResults,
             [this](const ActionArgs&) { export_.CopyToClipboard(Text1->GetText()); });
    a.Define(A::SaveTable, [this](const ActionArgs&) {
        tableExport_.Save(table_.Rows(), DecimalSeparator(), fileName_);
    });
    a.Define(A::SaveAnnotatedPhoto, [this](const ActionArgs&) {
        annotated_.Save(picPicture->Picture(), picPicture->Overlay(), fileName_);
    });
    a.Define(A::Quit, [this](const ActionArgs&) {
        if (ConfirmExit()) {
            quitting_ = true;
            RememberAtExit();
            recorder_->Finish();
            quit_();
        }
    });
}

void Form1::DefineView() {
    using A = UserAction;
    UserActions& a = *actions_;
    PhotoViewport& v = *viewport_;
    a.Define(A::ZoomIn, [&v](const ActionArgs&) { v.ZoomInStep(); });
    a.Define(A::ZoomOut, [&v](const ActionArgs&) { v.ZoomOutStep(); });
    a.Define(A::Fit, [&v](const ActionArgs&) { v.Fit(); });
    a.Define(A::NaturalSize, [&v](const ActionArgs&) { v.NaturalSize(); });
    a.Define(A::ScrollLeft, [&v](const ActionArgs&) { v.ArrowStep(-1, 0); });
    a.Define(A::ScrollRight, [&v](const ActionArgs&) { v.ArrowStep(1, 0); });
    a.Define(A::ScrollUp, [&v](const ActionArgs&) { v.ArrowStep(0, -1); });
    a.Define(A::ScrollDown, [&v](const ActionArgs&) { v.ArrowStep(0, 1); });
    a.Define(A::ToggleLoupe, [this](const ActionArgs&) {
        loupe_->Toggle();
        if (settings_ != nullptr) {
            settings_->SetLoupeOn(loupe_->Enabled());
        }
    });
    a.Define(A::ToggleLabels, [this](const ActionArgs&) {
        picPicture->SetLabelsVisible(!picPicture->LabelsVisible());
        if (settings_ != nullptr) {
            settings_->SetLabelsOn(picPicture->LabelsVisible());
        }
    });
    a.Define(A::Info, [this](const ActionArgs&) {
        dialogs_.ShowBox(UiText(kAboutTitle), AboutText(), WindowDialogs::Buttons::Ok);
    });
    a.Define(A::ShowKeys, [this](const ActionArgs&) {
        dialogs_.ShowBox(UiText(app_text::kKeysTitle), KeysHelpText(), WindowDialogs::Buttons::Ok);
    });
}

void Form1::SaveAnnotatedPhoto() {
    actions_->Perform(UserAction::SaveAnnotatedPhoto);
}

void Form1::ShowKeys() {
    actions_->Perform(UserAction::ShowKeys);
}

void Form1::GoToNeighbour(int step) {
    actions_->Perform(step > 0 ? UserAction::NextPhoto : UserAction::PreviousPhoto);
}

void Form1::SaveTable() {
    actions_->Perform(UserAction::SaveTable);
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
                actions_->Perform(binding.action);
            });
        }
    }
}

}  // namespace vardesca
