// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

#include "dialogs/window_dialogs.h"

namespace vardesca {

class ImageSurface;

// Ctrl+E: the photo at its full resolution, upright, with every mark and label
// drawn on it, saved as a record someone else can check later. The type follows
// the name's extension (PNG, or JPEG at quality 92); the file is written beside
// the target and renamed over it only when complete, like the results file.
class AnnotatedPhotoExport {
  public:
    explicit AnnotatedPhotoExport(WindowDialogs& dialogs) : dialogs_(dialogs) {}

    void Save(const ImageSurface& surface, const QString& photoPath);

  private:
    WindowDialogs& dialogs_;
};

// The name offered for a photo: its own with "-misure.png" (foto.jpg →
// foto-misure.png, in the same folder).
[[nodiscard]] QString AnnotatedName(const QString& photoPath);

// `image` encoded for `path`'s extension into `bytes`; the reason, in Italian,
// when it cannot be.
[[nodiscard]] std::optional<QString> EncodeForPath(const QImage& image, const QString& path,
                                                   QByteArray& bytes);

namespace annotated_text {
inline constexpr const char* kSaveFailed = "Impossibile salvare l'immagine annotata\n\n%1\n\n%2.";
inline constexpr const char* kNoPicture =
    "Nessuna immagine da salvare: caricare prima una foto con \"Carica immagine\".";
inline constexpr const char* kUnknownType =
    "estensione non riconosciuta: il nome deve finire in .png, .jpg o .jpeg";
inline constexpr const char* kNoMemory = "memoria insufficiente per l'immagine annotata";
inline constexpr const char* kEncodeFailed = "codifica dell'immagine non riuscita";
}  // namespace annotated_text

}  // namespace vardesca
