// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/results_export.h"

#include <QClipboard>
#include <QGuiApplication>
#include "text/ui_text.h"

namespace vardesca {

void ResultsExport::CopiaDati(const std::string& text) {
    const auto answer =
        dialogs_.ShowBox(UiText(export_text::kQuestionTitle), UiText(export_text::kQuestion),
                         WindowDialogs::Buttons::YesNoCancel);
    if (answer == WindowDialogs::Answer::Yes) {
        CopyToClipboard(text);
    } else if (answer == WindowDialogs::Answer::No) {
        SaveToFile(text);
    }
}

void ResultsExport::CopyToClipboard(const std::string& text) {
    // The clipboard only; the primary selection is the user's own.
    QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
}

void ResultsExport::SaveToFile(const std::string& text) {
    const std::optional<QString> chosen = dialogs_.SaveFile(lastFileName_);
    if (!chosen) {
        return;
    }
    lastFileName_ = *chosen;
    // The text as it stands, plus the CR LF that ends the file.
    const QByteArray bytes = QByteArray::fromStdString(text) + "\r\n";
    if (const auto failure = WriteFileSafely(*chosen, bytes)) {
        dialogs_.ShowBox(QString(), UiText(export_text::kSaveFailed).arg(*chosen, failure->Reason()),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

}  // namespace vardesca
