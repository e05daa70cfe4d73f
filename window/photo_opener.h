// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

#include "browse/photo_folder.h"
#include "dialogs/window_dialogs.h"
#include "picture/image_source.h"
#include "view/photo_viewport.h"
#include "window/photo_desk.h"
#include "window/session_recorder.h"
#include "window/stale_clicks.h"
#include "window/user_actions.h"
#include "window/window_memory.h"

namespace vardesca {

// Where photos come from: the open dialog, a path named from outside (the
// command line, a drop, a file manager), and the folder's next or previous
// photo, decoded ahead. Each is loaded the same way, and put on the desk or
// said why not.
class PhotoOpener {
  public:
    // All outlive it.
    struct Parts {
        PhotoDesk& desk;
        ImageSurface& surface;
        PhotoViewport& viewport;
        StaleClicks& presses;
        SessionRecorder& recorder;
        WindowMemory& memory;
    };
    PhotoOpener(Parts parts, WindowDialogs& dialogs, const TwipsScale& scale);

    void DefineActions(UserActions& actions);
    // Loads `path` (or takes it from `prefetched`) and puts it under the
    // measuring tools, or says why not.
    void Load(const QString& path, std::optional<ImageLoadResult> prefetched = std::nullopt);
    // No photo shown: nothing to go on from, nothing decoded ahead.
    void Forget() { folder_.Forget(); }

    [[nodiscard]] const PhotoFolder& Folder() const { return folder_; }
    [[nodiscard]] PicturePrefetch& Prefetch() { return folder_.Prefetch(); }
    // Presses on the photo made while a load or a save held the window.
    [[nodiscard]] StaleClicks& PressesDuringWork() { return parts_.presses; }

  private:
    // The open dialog, then the load.
    void ChooseAndLoad();
    // Ctrl+PgDn (+1) and Ctrl+PgUp (-1), in the same view mode (fitted stays
    // fitted).
    void GoToNeighbour(int step);

    Parts parts_;
    WindowDialogs& dialogs_;
    ImageSource imageSource_;
    // The photo's folder as the keys walk it, with the photo decoded ahead.
    PhotoFolder folder_;
};

}  // namespace vardesca
