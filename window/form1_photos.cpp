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
#include "window/form1.h"

namespace vardesca {

void Form1::CheckReferences() {
    const auto [s1, s2] = engine_->ReferenceScales();
    const double mean = (s1 + s2) / 2.0;
    // Apart by the difference of the two against their mean.
    const double apart = mean > 0 ? std::abs(s1 - s2) / mean * 100.0 : 0.0;
    if (apart <= 2.0) {
        return;
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.1f", apart);
    const auto answer =
        dialogs_.ShowBox(UiText(app_text::kReferencesTitle),
                         UiText(app_text::kReferencesDisagree)
                             .arg(QString::fromStdString(PointToDecimal(number, locale_))),
                         WindowDialogs::Buttons::YesNo, WindowDialogs::Icon::Warning);
    if (answer != WindowDialogs::Answer::Yes) {
        return;
    }
    // A new calibration on the same photo, as if it had just been loaded and
    // Inizia pressed: the rejected references' marks go, the view stays.
    picPicture->ClearMarks();
    engine_->Reset();
    engine_->StartCalibration();
}

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
        FitOnScreen();
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

void Form1::FitOnScreen() {
    // A size saved on a larger monitor, or a place on a screen no longer
    // there: the window is made to fit the screen it opens on, with its title
    // bar and its buttons on it.
    QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr || isMaximized() || isFullScreen()) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    const QSize margins = frame.size() - geometry().size();
    const QSize size = geometry().size().boundedTo(area.size() - margins);
    if (size != geometry().size()) {
        resize(size);
    }
    // Its minimum size may still not fit: then its top left corner is kept on.
    const QSize outer = this->size() + margins;
    const int x = std::clamp(frame.x(), area.left(),
                             std::max(area.left(), area.left() + area.width() - outer.width()));
    const int y = std::clamp(frame.y(), area.top(),
                             std::max(area.top(), area.top() + area.height() - outer.height()));
    if (QPoint(x, y) != frame.topLeft()) {
        move(x, y);
    }
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
