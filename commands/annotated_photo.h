// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "dialogs/window_dialogs.h"
#include "picture/background_job.h"
#include "picture/failure.h"

namespace vardesca {

class MarkOverlay;

// Ctrl+E: the photo at its full resolution, upright, with every mark and label
// drawn on it, saved as a record someone else can check later. The type follows
// the name's extension (PNG, or JPEG at quality 92); the file is written beside
// the target and renamed over it only when complete, like the results file.
//
// A 48 MP photo takes seconds to encode, so the drawing, encoding and writing
// run on a thread of their own and Save returns as soon as they have begun: the
// window keeps painting, scrolling and zooming. After half a second a progress
// window shows, whose Annulla stops the save and leaves the target as it was,
// with no temporary left. The window asks `Saving` before anything else, and a
// failure is said when the thread is done.
class AnnotatedPhotoExport : public QObject {
    Q_OBJECT

  public:
    explicit AnnotatedPhotoExport(WindowDialogs& dialogs);
    // A save under way is stopped and its temporary removed.
    ~AnnotatedPhotoExport() override;
    AnnotatedPhotoExport(const AnnotatedPhotoExport&) = delete;
    AnnotatedPhotoExport& operator=(const AnnotatedPhotoExport&) = delete;

    // `picture` is the photo as shown (upright, clean), `overlay` what lies on it.
    void Save(const QImage& picture, const MarkOverlay& overlay, const QString& photoPath);
    [[nodiscard]] bool Saving() const { return job_ != nullptr; }
    // Runs the window's events until the save under way has ended (tests,
    // benchmarks).
    void WaitUntilDone();

    static constexpr int kProgressAfterMs = 500;
    // Tests show the progress window sooner.
    void SetProgressDelay(int ms) { progressAfterMs_ = ms; }

  signals:
    // The save has ended: written, failed (and said) or cancelled.
    void Done();

  private:
    struct Job;
    // The save's work, on its thread: never throws.
    static void Work(const std::shared_ptr<Job>& job);
    static void WorkOn(const std::shared_ptr<Job>& job);
    void Tick();
    void Finish();
    void Stop();
    void Fail(const QString& path, const Failure& failure);

    WindowDialogs& dialogs_;
    std::shared_ptr<Job> job_;
    BackgroundJob worker_;
    QTimer tick_;
    QElapsedTimer started_;
    int progressAfterMs_ = kProgressAfterMs;
    std::unique_ptr<ProgressWindow> progress_;
    bool finishing_ = false;  // the tick has asked for Finish
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
[[nodiscard]] Outcome EncodeForPath(const QImage& image, const QString& path, QByteArray& bytes);

namespace annotated_text {
inline constexpr const char* kNameType = ".jpg";
inline constexpr const char* kSaveFailed =
    QT_TRANSLATE_NOOP("Vardesca", "Impossibile salvare l'immagine annotata\n\n%1\n\n%2.");
inline constexpr const char* kNoPicture = QT_TRANSLATE_NOOP(
    "Vardesca", "Nessuna immagine da salvare: caricare prima una foto con \"Carica immagine\".");
inline constexpr const char* kUnknownType = QT_TRANSLATE_NOOP(
    "Vardesca", "estensione non riconosciuta: il nome deve finire in .png, .jpg o .jpeg");
inline constexpr const char* kNoMemory =
    QT_TRANSLATE_NOOP("Vardesca", "memoria insufficiente per l'immagine annotata");
inline constexpr const char* kEncodeFailed =
    QT_TRANSLATE_NOOP("Vardesca", "codifica dell'immagine non riuscita");
inline constexpr const char* kSavedBeforeCancel = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Il salvataggio era già completo quando è stato premuto Annulla: l'immagine annotata è "
    "stata salvata in\n\n%1");
inline constexpr const char* kProgress =
    QT_TRANSLATE_NOOP("Vardesca", "Salvataggio dell'immagine annotata…");
inline constexpr const char* kWaitForSave = QT_TRANSLATE_NOOP(
    "Vardesca",
    "Salvataggio dell'immagine annotata in corso: attendere che finisca, oppure premere "
    "Annulla nella finestra di avanzamento.");
}  // namespace annotated_text

}  // namespace vardesca
