// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/view_actions.h"

#include "commands/about.h"
#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/key_bindings.h"

namespace vardesca {

void DefineViewActions(UserActions& a, PhotoViewport& v, Loupe& loupe, ImageSurface& surface,
                       WindowMemory& memory, WindowDialogs& dialogs) {
    using A = UserAction;
    a.Define(A::ZoomIn, [&v](const ActionArgs&) { v.ZoomInStep(); });
    a.Define(A::ZoomOut, [&v](const ActionArgs&) { v.ZoomOutStep(); });
    a.Define(A::Fit, [&v](const ActionArgs&) { v.Fit(); });
    a.Define(A::NaturalSize, [&v](const ActionArgs&) { v.NaturalSize(); });
    a.Define(A::ScrollLeft, [&v](const ActionArgs&) { v.ArrowStep(-1, 0); });
    a.Define(A::ScrollRight, [&v](const ActionArgs&) { v.ArrowStep(1, 0); });
    a.Define(A::ScrollUp, [&v](const ActionArgs&) { v.ArrowStep(0, -1); });
    a.Define(A::ScrollDown, [&v](const ActionArgs&) { v.ArrowStep(0, 1); });
    a.Define(A::ToggleLoupe, [&loupe, &memory](const ActionArgs&) {
        loupe.Toggle();
        memory.KeepLoupe(loupe.Enabled());
    });
    a.Define(A::ToggleLabels, [&surface, &memory](const ActionArgs&) {
        surface.SetLabelsVisible(!surface.LabelsVisible());
        memory.KeepLabels(surface.LabelsVisible());
    });
    a.Define(A::Info, [&dialogs](const ActionArgs&) {
        dialogs.ShowBox(UiText(kAboutTitle), AboutText(), WindowDialogs::Buttons::Ok);
    });
    a.Define(A::ShowKeys, [&dialogs](const ActionArgs&) {
        dialogs.ShowBox(UiText(app_text::kKeysTitle), KeysHelpText(), WindowDialogs::Buttons::Ok);
    });
}

}  // namespace vardesca
