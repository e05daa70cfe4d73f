// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/window_dialogs.h"
#include "picture/failure.h"

namespace vardesca {

// "Copia i dati": the whole results text, unchanged, to the clipboard or to a
// text file. The file gets the text plus one CR LF, in UTF-8, and replaces any
// earlier content; it is written beside the target and renamed over it only when
// complete, so a failed write leaves an existing file as it was.
class ResultsExport {
  public:
    explicit ResultsExport(WindowDialogs& dialogs) : dialogs_(dialogs) {}

    void CopiaDati(const std::string& text);

  private:
    WindowDialogs& dialogs_;
    QString lastFileName_;
};

// Who may write a file: its permission bits for its owner, its group, the rest.
struct FileOwnership {
    unsigned mode;
    unsigned uid;
    unsigned gid;
};
struct UserIdentity {
    unsigned uid;
    std::vector<unsigned> groups;  // the effective group and the supplementary ones
};
// Whether `user` may write the file: the owner by the owner's bit, a member of
// the file's group by the group's, anyone else by the others'; root by any of
// them, so that a file nobody may write is kept even from root.
[[nodiscard]] bool MayWrite(const FileOwnership& file, const UserIdentity& user);
[[nodiscard]] UserIdentity CurrentUser();

// Writes `bytes` to `path` through a temporary file beside it; the failure,
// with the old file untouched.
[[nodiscard]] Outcome WriteFileSafely(const QString& path, const QByteArray& bytes);

namespace export_text {
inline constexpr const char* kQuestion =
    "Clicca Si per copiare i dati negli appunti e incollarli altrove, No per salvarli in un "
    "file o Annulla se hai cambiato idea.";
inline constexpr const char* kQuestionTitle = "Vuoi copiare i dati per incollarli altrove?";
inline constexpr const char* kSaveFailed = "Impossibile salvare il file\n\n%1\n\n%2.";
// Why a file could not be written.
inline constexpr const char* kFolderNotWritable = "la cartella non esiste o non si ha il permesso di scriverci";
inline constexpr const char* kPermissionDenied = "permesso negato";
inline constexpr const char* kWriteFailed = "scrittura non riuscita (disco pieno?)";
inline constexpr const char* kCannotReplace = "impossibile sostituire il file esistente";
inline constexpr const char* kWriteError = "errore di scrittura";
inline constexpr const char* kNotRegular = "non è un file normale";
inline constexpr const char* kNoFolder = "la cartella non esiste";
inline constexpr const char* kReadOnly = "il file è di sola lettura per questo utente";
}  // namespace export_text

}  // namespace vardesca
