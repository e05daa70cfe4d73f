// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

#include "dialogs/window_dialogs.h"
#include "picture/failure.h"

namespace vardesca {

class MarkOverlay;

// Ctrl+E: the photo at its full resolution, upright, with every mark and label
// drawn on it, saved as a record someone else can check later. The type follows
// the name's extension (PNG, or JPEG at quality 92); the file is written beside
// the target and renamed over it only when complete, like the results file.
class AnnotatedPhotoExport {
  public:
    explicit AnnotatedPhotoExport(WindowDialogs& dialogs) : dialogs_(dialogs) {}

    // `picture` is the photo as shown (upright, clean), `overlay` what lies on it.
    void Save(const QImage& picture, const MarkOverlay& overlay, const QString& photoPath);

  private:
    WindowDialogs& dialogs_;
};

// The picture at its natural size, upright, with every mark and label of
// `overlay` drawn on it. On a photo larger than a thousand pixels on its short
// side everything is drawn that many thousands larger (line width, circles,
// crosses, labels alike), as it looks on a screen of a thousand pixels showing
// the whole photo: a one-pixel line would vanish in any viewer. A null picture
// when there is no memory for it.
[[nodiscard]] QImage AnnotatedPicture(const QImage& picture, const MarkOverlay& overlay);

// The name offered for a photo: its own with "-misure.jpg" (foto.png →
// foto-misure.jpg, in the same folder). JPEG at quality 92 is a few megabytes
// where PNG is tens; PNG stays available by typing its extension.
[[nodiscard]] QString AnnotatedName(const QString& photoPath);

// `image` encoded for `path`'s extension into `bytes`; the failure when it
// cannot be.
[[nodiscard]] Outcome EncodeForPath(const QImage& image, const QString& path,
                                                   QByteArray& bytes);

namespace annotated_text {
inline constexpr const char* kNameType = ".jpg";
inline constexpr const char* kSaveFailed = "Impossibile salvare l'immagine annotata\n\n%1\n\n%2.";
inline constexpr const char* kNoPicture =
    "Nessuna immagine da salvare: caricare prima una foto con \"Carica immagine\".";
inline constexpr const char* kUnknownType =
    "estensione non riconosciuta: il nome deve finire in .png, .jpg o .jpeg";
inline constexpr const char* kNoMemory = "memoria insufficiente per l'immagine annotata";
inline constexpr const char* kEncodeFailed = "codifica dell'immagine non riuscita";
}  // namespace annotated_text

}  // namespace vardesca
