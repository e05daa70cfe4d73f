// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/window_dialogs.h"
#include "view/image_surface.h"
#include "view/photo_viewport.h"
#include "window/loupe.h"
#include "window/user_actions.h"
#include "window/window_memory.h"

namespace vardesca {

// The actions that change only what is shown: the zoom, the scrolling keys,
// the loupe and the labels (remembered at once), and the two boxes that only
// tell (Info, F1).
void DefineViewActions(UserActions& actions, PhotoViewport& viewport, Loupe& loupe,
                       ImageSurface& surface, WindowMemory& memory, WindowDialogs& dialogs);

}  // namespace vardesca
