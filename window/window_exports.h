// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commands/annotated_photo.h"
#include "commands/measurement_table.h"
#include "commands/results_export.h"
#include "dialogs/window_dialogs.h"
#include "window/photo_desk.h"
#include "window/results_box.h"
#include "window/user_actions.h"
#include "window/window_memory.h"

namespace vardesca {

// What leaves the window for the user's files and the clipboard: the results
// text (CopiaDati, Ctrl+S, Ctrl+Shift+C), the measurement table (Ctrl+T) and
// the annotated photo (Ctrl+E, saved off the window's thread).
class WindowExports {
  public:
    // All outlive it.
    WindowExports(WindowDialogs& dialogs, const LocaleNumbers& locale, ResultsBox& text,
                  PhotoDesk& desk, ImageSurface& surface, WindowMemory& memory);

    void DefineActions(UserActions& actions);
    [[nodiscard]] ResultsExport& Results() { return results_; }
    [[nodiscard]] AnnotatedPhotoExport& Annotated() { return annotated_; }
    [[nodiscard]] bool Saving() const { return annotated_.Saving(); }

  private:
    // The user's decimal separator, for the table's cells.
    [[nodiscard]] QChar DecimalSeparator() const;

    const LocaleNumbers& locale_;
    ResultsBox& text_;
    PhotoDesk& desk_;
    ImageSurface& surface_;
    WindowMemory& memory_;
    ResultsExport results_;
    AnnotatedPhotoExport annotated_;
    MeasurementTableExport table_;
};

}  // namespace vardesca
