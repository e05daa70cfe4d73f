// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/window_exports.h"

#include "text/qt_locale_numbers.h"

namespace vardesca {

WindowExports::WindowExports(WindowDialogs& dialogs, const LocaleNumbers& locale, ResultsBox& text,
                             PhotoDesk& desk, ImageSurface& surface, WindowMemory& memory)
    : locale_(locale),
      text_(text),
      desk_(desk),
      surface_(surface),
      memory_(memory),
      results_(dialogs),
      annotated_(dialogs),
      table_(dialogs) {}

void WindowExports::DefineActions(UserActions& a) {
    using A = UserAction;
    const auto remember = [this] { memory_.KeepResultsFile(results_.LastFileName()); };
    a.Define(
        A::CopiaDati, [this](const ActionArgs&) { results_.CopiaDati(text_.GetText()); }, remember);
    a.Define(
        A::SaveResults, [this](const ActionArgs&) { results_.SaveToFile(text_.GetText()); },
        remember);
    a.Define(A::CopyResults,
             [this](const ActionArgs&) { results_.CopyToClipboard(text_.GetText()); });
    a.Define(A::SaveTable, [this](const ActionArgs&) {
        table_.Save(desk_.Table().Rows(), DecimalSeparator(), desk_.FileName());
    });
    a.Define(A::SaveAnnotatedPhoto, [this](const ActionArgs&) {
        annotated_.Save(surface_.Picture(), surface_.Overlay(), desk_.FileName());
    });
}

QChar WindowExports::DecimalSeparator() const {
    return DecimalSeparatorOf(locale_);
}

}  // namespace vardesca
