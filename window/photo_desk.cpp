// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/photo_desk.h"

#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <new>

#include "text/ui_text.h"
#include "window/app_text.h"
#include "window/caption.h"

namespace vardesca {

PhotoDesk::PhotoDesk(Parts parts, WindowDialogs& dialogs, const LocaleNumbers& locale,
                     const TwipsScale& scale, std::function<void()> freshStart,
                     PhotoRecord::Hooks recordHooks)
    : parts_(parts),
      dialogs_(dialogs),
      locale_(locale),
      scale_(scale),
      freshStart_(std::move(freshStart)),
      engineDialogs_(dialogs),
      engineButtons_(parts.inizia, parts.resetta),
      record_(dialogs, locale, scale, std::move(recordHooks)) {
    engine_ = std::make_unique<MeasureEngine>(parts.surface, engineDialogs_, parts.text,
                                              engineButtons_, locale);
    events_ = std::make_unique<EngineEvents>(parts.surface, *engine_, table_, scale_, locale_,
                                             [this] { return fileName_; });
    engine_->SetObserver(events_.get());
    // A change is written once the event loop turns: clicks replayed or
    // scripted in a row make one write, not one each (a record is rewritten
    // whole), and a user's click has its write a moment after it.
    recordTimer_ = std::make_unique<QTimer>();
    recordTimer_->setSingleShot(true);
    recordTimer_->setInterval(0);
    QObject::connect(recordTimer_.get(), &QTimer::timeout, [this] { FlushRecord(); });
}

PhotoDesk::~PhotoDesk() {
    FlushRecord();
    // The grip holds the engine; the engine may not outlive what it reports to.
    grip_.reset();
    engine_.reset();
    events_.reset();
}

void PhotoDesk::DefineActions(UserActions& a) {
    using A = UserAction;
    const auto after = [this] { AfterEngineAction(); };
    const auto undo = [this](const ActionArgs&) { engine_->Undo(); };
    // A click the engine ignores (no calibration begun) changes nothing to keep.
    a.Define(
        A::Click, [this](const ActionArgs& click) { engine_->HandleClick(click.x, click.y); },
        after, [this](const ActionArgs&) { return engine_->azione() != MeasureEngine::Idle; });
    a.Define(A::Undo, undo, after, [this](const ActionArgs&) { return engine_->CanUndo(); });
    // Escape: a pending first point given up; nothing else.
    a.Define(
        A::GiveUpPendingPoint, [this](const ActionArgs&) { engine_->GiveUpPendingPoint(); }, after,
        [this](const ActionArgs&) { return engine_->HasPendingPoint(); });
    DefineMoves(a);
    a.Define(
        A::Redo, [this](const ActionArgs&) { engine_->Redo(); }, after,
        [this](const ActionArgs&) { return engine_->CanRedo(); });
    const auto start = [this](const ActionArgs&) { engine_->StartCalibration(); };
    a.Define(A::Inizia, start, [this] { UpdateCaption(); });
    // As the button, and only when the button may be pressed.
    a.Define(
        A::StartMeasuring, start, [this] { UpdateCaption(); },
        [this](const ActionArgs&) { return parts_.inizia.isEnabled(); });
    a.Define(A::Resetta, [this](const ActionArgs&) { Reset(); });
}

void PhotoDesk::DefineMoves(UserActions& a) {
    using A = UserAction;
    grip_ = std::make_unique<PointGrip>(parts_.surface, parts_.loupe, *engine_, scale_, a,
                                        [this](const MovePreview* p) { UpdateCaption(p); });
    a.Define(
        A::MovePoint,
        [this](const ActionArgs& move) {
            grip_->StartRinging();
            engine_->MovePoint(move.point, move.x, move.y, move.join);
        },
        [this] { AfterEngineAction(); },
        [this](const ActionArgs&) { return engine_->azione() != MeasureEngine::Idle; });
    // Shift+arrows: the selected point one screen pixel over at the current
    // zoom (a quarter of a photo pixel at 400 %), a run of them one undo step.
    const auto nudge = [this, &a](int dx, int dy) {
        return [this, &a, dx, dy](const ActionArgs&) {
            const std::optional<PointId> point = engine_->LastPoint();
            const std::optional<PlacedPoint> at = point ? engine_->PointAt(*point) : std::nullopt;
            if (!at) {
                return;
            }
            const double step = scale_.TwipsPerPixel() / parts_.surface.Zoom();
            ActionArgs move;
            move.point = *point;
            // Kept on the photo here, so that the journal holds where the point
            // went, whatever a replay's picture.
            const ImageSurface& surface = parts_.surface;
            move.x = static_cast<float>(std::clamp(at->x + dx * step, 0.0, surface.WidthTwips()));
            move.y = static_cast<float>(std::clamp(at->y + dy * step, 0.0, surface.HeightTwips()));
            const UserAction before = a.Previous();
            move.join = before == A::NudgeLeft || before == A::NudgeRight || before == A::NudgeUp ||
                        before == A::NudgeDown;
            a.Perform(A::MovePoint, move);
        };
    };
    const auto selected = [this](const ActionArgs&) { return engine_->LastPoint().has_value(); };
    a.Define(A::NudgeLeft, nudge(-1, 0), {}, selected);
    a.Define(A::NudgeRight, nudge(1, 0), {}, selected);
    a.Define(A::NudgeUp, nudge(0, -1), {}, selected);
    a.Define(A::NudgeDown, nudge(0, 1), {}, selected);
}

void PhotoDesk::Reset() {
    const auto answer =
        dialogs_.ShowBox(UiText(app_text::kResetTitle), UiText(app_text::kResetQuestion),
                         WindowDialogs::Buttons::OkCancel);
    if (answer != WindowDialogs::Answer::Ok) {
        return;
    }
    parts_.text.SetText("");
    table_.Clear();
    freshStart_();
    // The surface keeps the picture clean (marks lie over it), so the same
    // picture comes back without marks even if the file has since been
    // changed or deleted.
    const ImageSurface& surface = parts_.surface;
    const LoadedPicture same{surface.Picture(), surface.WidthTwips(), surface.HeightTwips()};
    inizializza(fileName_, same);
    RecordChanged();
}

void PhotoDesk::Opened() {
    if (const auto kept = record_.Opened(fileName_, parts_.surface.Picture().size())) {
        Restore(*kept);
    }
}

void PhotoDesk::Restore(const KeptMeasuring& kept) {
    if (engine_->azione() != MeasureEngine::Idle || !engine_->Restore(kept)) {
        record_.NotRestored();
        return;
    }
    // The selected point is back for Shift+arrows; its ring shows from the
    // first move, as on any photo, so that the marks are the ones left.
    record_.Restored(kept, engine_->Kept());
    UpdateCaption();
    parts_.loupe.Refresh();
}

void PhotoDesk::RecordChanged() {
    recordDirty_ = true;
    recordTimer_->start();
}

void PhotoDesk::KeepRecord() {
    recordDirty_ = true;
    FlushRecord();
}

void PhotoDesk::FlushRecord() {
    if (!std::exchange(recordDirty_, false)) {
        return;
    }
    recordTimer_->stop();
    // Called from the event loop and on the way out, outside the door's
    // guard: whatever escapes is said here, and the measuring stays.
    QString reason;
    try {
        record_.Changed([this] { return engine_->Kept(); }, engine_->k());
        UpdateCaption();
        return;
    } catch (const std::bad_alloc&) {
        reason = UiText(app_text::kOutOfMemory);
    } catch (const std::exception&) {
        reason = UiText(app_text::kInternalError);
    }
    dialogs_.ShowBox(QString(), UiText(app_text::kErrorText).arg(reason),
                     WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
}

void PhotoDesk::inizializza(const QString& fileName, const LoadedPicture& picture) {
    // The start-up instructions go at the first load; results and notes stay.
    if (QString::fromStdString(parts_.text.GetText()).startsWith(app_text::StartupMarker())) {
        parts_.text.SetText("");
    }
    // What the photo left holds is written before its measuring goes.
    FlushRecord();
    fileName_ = fileName;
    parts_.surface.SetPicture(picture.image, picture.widthTwips, picture.heightTwips);
    parts_.viewport.ShowNewPicture();
    engine_->Reset();
    engine_->SetPictureSize(static_cast<float>(picture.widthTwips),
                            static_cast<float>(picture.heightTwips));
    if (grip_) {
        grip_->StopRinging();
    }
    UpdateCaption();
    parts_.loupe.Refresh();
}

void PhotoDesk::PutStandIn(const QString& fileName) {
    QImage standIn(1, 1, QImage::Format_RGB32);
    standIn.fill(Qt::black);
    const double pixel = scale_.TwipsPerPixel();
    inizializza(fileName, LoadedPicture{standIn, pixel, pixel});
    engine_->SetPictureSize(0, 0);
    record_.Forget();
}

void PhotoDesk::Unload() {
    parts_.surface.SetPicture(QImage(), 0, 0);
    FlushRecord();
    fileName_.clear();
    record_.Forget();
    engine_->Reset();
    // As at start: nothing to calibrate until a photo is loaded.
    parts_.inizia.setEnabled(false);
    parts_.resetta.setEnabled(false);
    parts_.viewport.ShowNewPicture();
    parts_.window.setWindowTitle(QString::fromUtf8(app_text::kAppTitle));
    parts_.loupe.Refresh();
}

bool PhotoDesk::HasPicture() const {
    return !parts_.surface.Picture().isNull();
}

void PhotoDesk::AfterEngineAction() {
    if (events_->TakeReferencesToCheck()) {
        CheckReferences(*engine_, parts_.surface, dialogs_, locale_);
    }
    RecordChanged();
    UpdateCaption();
    if (grip_) {
        grip_->ShowSelection();
    }
    parts_.loupe.Refresh();
}

void PhotoDesk::UpdateCaption(const MovePreview* preview) {
    if (!HasPicture()) {
        return;
    }
    std::optional<CaptionScale> scale;
    std::optional<int> nextClick;
    std::optional<double> length;
    if (engine_->azione() == MeasureEngine::Measuring) {
        const auto [s1, s2] = preview ? preview->referenceScales : engine_->ReferenceScales();
        const float k = preview ? preview->k : engine_->k();
        scale = CaptionScale{static_cast<double>(k) / scale_.TwipsPerPixel(), s1, s2};
    } else if (engine_->azione() == MeasureEngine::Calibrating) {
        nextClick = engine_->punti();
    }
    if (preview != nullptr && preview->id.pair == PointId::Pair::Measurement) {
        length = preview->length;
    }
    QString caption = Caption(fileName_, parts_.surface.Zoom(), scale, locale_, nextClick, length);
    if (!record_.Elsewhere().isEmpty()) {
        caption += UiText(app_text::kCaptionRecordElsewhere).arg(record_.Elsewhere());
    }
    if (parts_.window.windowTitle() != caption) {
        parts_.window.setWindowTitle(caption);
    }
}

}  // namespace vardesca
