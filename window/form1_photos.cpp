// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of a day of many photos: the folder's next photo, the
// measurement table, the references' check and what is remembered between
// sessions.
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "picture/picture_names.h"
#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/controls.h"
#include "window/form1.h"

namespace vardesca {

QChar Form1::DecimalSeparator() const {
    const std::string one = locale_.FormatDouble(1.1);
    return one.find(',') != std::string::npos ? QLatin1Char(',') : QLatin1Char('.');
}

void Form1::GoToNeighbourPhoto(int step) {
    if (!HasPicture()) {
        return;
    }
    // A photo that fails to open is passed by the next key press.
    const std::optional<QString> next = folder_.Step(step);
    if (!next) {
        dialogs_.ShowBox(QString(), UiText(step > 0 ? app_text::kLastPhoto : app_text::kFirstPhoto),
                         WindowDialogs::Buttons::Ok);
        return;
    }
    const bool fitted = viewport_->Fitted();
    Load(*next, folder_.Take(*next));
    if (fitted && fileName_ == *next) {
        viewport_->Fit();
    }
}

void Form1::RestoreRemembered() {
    if (settings_ == nullptr) {
        return;
    }
    const QByteArray geometry = settings_->WindowGeometry();
    if (!geometry.isEmpty() && restoreGeometry(geometry)) {
        FitOnScreen(*this);
    }
    if (const auto loupe = settings_->LoupeOn()) {
        loupe_->SetOn(*loupe);
    }
    if (const auto labels = settings_->LabelsOn()) {
        picPicture->SetLabelsVisible(*labels);
    }
    fittedRemembered_ = settings_->FittedView();
    boxShare_ = settings_->BoxShare().value_or(kDefaultBoxShare);
    export_.SetLastFileName(settings_->ResultsFile());
}

void Form1::RememberViewMode() {
    // Written only when it changes: every write reaches the disk.
    if (settings_ != nullptr && HasPicture() && fittedRemembered_ != viewport_->Fitted()) {
        fittedRemembered_ = viewport_->Fitted();
        settings_->SetFittedView(*fittedRemembered_);
    }
}

void Form1::RememberAtExit() {
    if (settings_ != nullptr) {
        settings_->SetWindowGeometry(saveGeometry());
    }
}

void Form1::RememberResultsFile() {
    if (settings_ != nullptr && !export_.LastFileName().isEmpty()) {
        settings_->SetResultsFile(export_.LastFileName());
    }
}

}  // namespace vardesca
