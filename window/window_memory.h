// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

#include "window/remembered_settings.h"

class QWidget;

namespace vardesca {

class ImageSurface;
class Loupe;
class ResultsExport;

// What the window takes from the last session and gives to the next, through
// the remembered settings when there are any (a test's window has none, and
// then nothing is read or written). Each change is written when it happens,
// not at the end: a crash or a kill keeps what the user had chosen.
class WindowMemory {
  public:
    explicit WindowMemory(RememberedSettings* settings);

    // The window's size and place, the loupe, the labels, the last results
    // file and the view the last photo was looked at in.
    void Restore(QWidget& window, Loupe& loupe, ImageSurface& surface, ResultsExport& results);
    // The share of the width beyond the first one that the results box takes.
    // A drag of the column handle moves it; its release keeps it.
    [[nodiscard]] double BoxShare() const { return boxShare_; }
    void SetBoxShare(double share) { boxShare_ = share; }
    void KeepBoxShare();
    // True once, for the session's first photo, when the last one was
    // looked at fitted.
    [[nodiscard]] bool FirstPhotoFitted();
    // Fitted or at 100 %: written only when it changes, since every write
    // reaches the disk.
    void KeepViewMode(bool fitted);
    void KeepWindow(const QWidget& window);
    void KeepLoupe(bool on);
    void KeepLabels(bool on);
    void KeepResultsFile(const QString& path);
    // The folder of the last photo opened: the open dialog starts there.
    [[nodiscard]] QString PhotoFolder() const;
    void KeepPhotoFolder(const QString& folder);

  private:
    RememberedSettings* settings_;
    std::optional<bool> fitted_;
    double boxShare_;
    bool firstPhoto_ = true;
};

}  // namespace vardesca
