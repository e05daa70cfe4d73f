// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/photo_opener.h"

#include <QFileInfo>

#include "text/ui_text.h"
#include "window/app_text.h"

namespace vardesca {

PhotoOpener::PhotoOpener(Parts parts, WindowDialogs& dialogs, const TwipsScale& scale)
    : parts_(parts),
      dialogs_(dialogs),
      imageSource_(scale.TwipsPerPixel()),
      folder_(imageSource_) {}

void PhotoOpener::DefineActions(UserActions& a) {
    using A = UserAction;
    a.Define(A::Open, [this](const ActionArgs&) { ChooseAndLoad(); });
    // As the dialog would give it: the caption names the whole path.
    a.Define(A::OpenPath,
             [this](const ActionArgs& open) { Load(QFileInfo(open.path).absoluteFilePath()); });
    a.Define(A::NextPhoto, [this](const ActionArgs&) { GoToNeighbour(1); });
    a.Define(A::PreviousPhoto, [this](const ActionArgs&) { GoToNeighbour(-1); });
}

void PhotoOpener::ChooseAndLoad() {
    // The folder of the photo shown, or of the last one of an earlier session.
    const QString& shown = parts_.desk.FileName();
    const QString folder =
        !shown.isEmpty() ? QFileInfo(shown).absolutePath() : parts_.memory.PhotoFolder();
    const std::optional<QString> chosen =
        dialogs_.OpenFile(UiText(app_text::kOpenTitle), app_text::OpenFilters(), folder);
    // A cancelled dialog changes nothing: reloading would wipe a calibration.
    if (chosen) {
        Load(*chosen);
    }
}

void PhotoOpener::Load(const QString& path, std::optional<ImageLoadResult> prefetched) {
    parts_.surface.ReleaseReducedCopies();
    if (!prefetched) {
        // At most the picture shown and one more are held.
        folder_.DropAhead();
    }
    const ImageLoadResult loaded = prefetched ? std::move(*prefetched) : imageSource_.Load(path);
    parts_.presses.BusyUntilNow();
    if (!loaded.picture) {
        dialogs_.ShowBox(QString(), UiText(app_text::kOpenFailed).arg(path, loaded.failure->Reason()),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
        return;
    }
    parts_.recorder.RecordPicture(path);
    parts_.desk.inizializza(path, *loaded.picture);
    if (parts_.memory.FirstPhotoFitted()) {
        parts_.viewport.Fit();
    }
    parts_.memory.KeepViewMode(parts_.viewport.Fitted());
    parts_.recorder.PhotoStarted();
    // After the rows of the photo left are journaled: the rows put back are
    // this photo's, journaled when it is left in turn.
    parts_.desk.Opened();
    parts_.memory.KeepPhotoFolder(QFileInfo(path).absolutePath());
    // The next photo the user will likely want is decoded while this one is
    // measured.
    folder_.Shown(path);
    // Opened, but not whole: the user should know before trusting it.
    if (loaded.damage) {
        dialogs_.ShowBox(QString(),
                         UiText(app_text::kOpenedDamaged).arg(path, loaded.damage->Reason()),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

void PhotoOpener::GoToNeighbour(int step) {
    if (!parts_.desk.HasPicture()) {
        return;
    }
    // A photo that fails to open is passed by the next key press.
    const std::optional<QString> next = folder_.Step(step);
    if (!next) {
        dialogs_.ShowBox(QString(), UiText(step > 0 ? app_text::kLastPhoto : app_text::kFirstPhoto),
                         WindowDialogs::Buttons::Ok);
        return;
    }
    const bool fitted = parts_.viewport.Fitted();
    Load(*next, folder_.Take(*next));
    if (fitted && parts_.desk.FileName() == *next) {
        parts_.viewport.Fit();
    }
}

}  // namespace vardesca
