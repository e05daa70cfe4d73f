// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "commands/safe_file.h"
#include "dialogs/window_dialogs.h"

namespace vardesca {

// "Copia i dati": the whole results text, unchanged, to the clipboard or to a
// text file. The file gets the text plus one CR LF, in UTF-8, and replaces any
// earlier content; it is written beside the target and renamed over it only when
// complete, so a failed write leaves an existing file as it was.
class ResultsExport {
  public:
    explicit ResultsExport(WindowDialogs& dialogs) : dialogs_(dialogs) {}

    // The question first: Sì copies, No saves, Annulla does nothing.
    void CopiaDati(const std::string& text);
    // Each answer on its own, for the keys that skip the question.
    void CopyToClipboard(const std::string& text);
    void SaveToFile(const std::string& text);

    // The file the save dialog offers: the one last chosen, remembered
    // between sessions.
    [[nodiscard]] const QString& LastFileName() const { return lastFileName_; }
    void SetLastFileName(const QString& path) { lastFileName_ = path; }

  private:
    WindowDialogs& dialogs_;
    QString lastFileName_;
};

namespace export_text {
inline constexpr const char* kQuestion = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Clicca Si per copiare i dati negli appunti e incollarli altrove, No per salvarli in un "
    "file o Annulla se hai cambiato idea.");
inline constexpr const char* kQuestionTitle =
    QT_TRANSLATE_NOOP("Vardesca", "Vuoi copiare i dati per incollarli altrove?");
inline constexpr const char* kSaveFailed =
    QT_TRANSLATE_NOOP("Vardesca", "Impossibile salvare il file\n\n%1\n\n%2.");
}  // namespace export_text

}  // namespace vardesca
