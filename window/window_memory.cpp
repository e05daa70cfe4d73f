// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/window_memory.h"

#include <QWidget>
#include <utility>

#include "commands/results_export.h"
#include "view/image_surface.h"
#include "window/compute_layout.h"
#include "window/controls.h"
#include "window/loupe.h"

namespace vardesca {

WindowMemory::WindowMemory(RememberedSettings* settings)
    : settings_(settings), boxShare_(kDefaultBoxShare) {}

void WindowMemory::Restore(QWidget& window, Loupe& loupe, ImageSurface& surface,
                           ResultsExport& results) {
    if (settings_ == nullptr) {
        return;
    }
    const QByteArray geometry = settings_->WindowGeometry();
    if (!geometry.isEmpty() && window.restoreGeometry(geometry)) {
        FitOnScreen(window);
    }
    if (const auto on = settings_->LoupeOn()) {
        loupe.SetOn(*on);
    }
    if (const auto on = settings_->LabelsOn()) {
        surface.SetLabelsVisible(*on);
    }
    fitted_ = settings_->FittedView();
    boxShare_ = settings_->BoxShare().value_or(kDefaultBoxShare);
    results.SetLastFileName(settings_->ResultsFile());
}

void WindowMemory::KeepBoxShare() {
    if (settings_ != nullptr) {
        settings_->SetBoxShare(boxShare_);
    }
}

bool WindowMemory::FirstPhotoFitted() {
    return std::exchange(firstPhoto_, false) && fitted_.value_or(false);
}

void WindowMemory::KeepViewMode(bool fitted) {
    if (settings_ != nullptr && fitted_ != fitted) {
        fitted_ = fitted;
        settings_->SetFittedView(fitted);
    }
}

void WindowMemory::KeepWindow(const QWidget& window) {
    if (settings_ != nullptr) {
        settings_->SetWindowGeometry(window.saveGeometry());
    }
}

void WindowMemory::KeepLoupe(bool on) {
    if (settings_ != nullptr) {
        settings_->SetLoupeOn(on);
    }
}

void WindowMemory::KeepLabels(bool on) {
    if (settings_ != nullptr) {
        settings_->SetLabelsOn(on);
    }
}

void WindowMemory::KeepResultsFile(const QString& path) {
    if (settings_ != nullptr && !path.isEmpty()) {
        settings_->SetResultsFile(path);
    }
}

QString WindowMemory::PhotoFolder() const {
    return settings_ != nullptr ? settings_->PhotoFolder() : QString();
}

void WindowMemory::KeepPhotoFolder(const QString& folder) {
    if (settings_ != nullptr) {
        settings_->SetPhotoFolder(folder);
    }
}

}  // namespace vardesca
