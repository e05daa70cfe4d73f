// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>
#include <QString>
#include <functional>
#include <memory>

class QTimer;

#include "commands/measurement_table.h"
#include "dialogs/window_dialogs.h"
#include "engine/measure_engine.h"
#include "picture/image_source.h"
#include "view/image_surface.h"
#include "view/photo_viewport.h"
#include "view/twips.h"
#include "window/engine_adapters.h"
#include "window/engine_events.h"
#include "window/loupe.h"
#include "window/photo_record.h"
#include "window/point_grip.h"
#include "window/results_box.h"
#include "window/user_actions.h"

namespace vardesca {

// The photo under the measuring tools and what is measured on it: the
// engine, the labels and table rows that follow its events, the caption that
// names the photo and its scale, the measuring actions (clicks, undo, redo,
// Inizia, Resetta), and the folder's record of it, read when it is opened and
// written after every change.
class PhotoDesk {
  public:
    // The window's parts the desk works with; all outlive it.
    struct Parts {
        QWidget& window;  // its caption
        ImageSurface& surface;
        ResultsBox& text;
        QPushButton& inizia;
        QPushButton& resetta;
        PhotoViewport& viewport;
        Loupe& loupe;
    };
    // `freshStart` is told when Resetta starts the photo afresh.
    PhotoDesk(Parts parts, WindowDialogs& dialogs, const LocaleNumbers& locale,
              const TwipsScale& scale, std::function<void()> freshStart,
              PhotoRecord::Hooks recordHooks = {});
    ~PhotoDesk();
    PhotoDesk(const PhotoDesk&) = delete;
    PhotoDesk& operator=(const PhotoDesk&) = delete;

    void DefineActions(UserActions& actions);

    // Puts a picture under the measuring tools: clears the start-up text, shows
    // the picture at the top left, names the file in the caption, sets the scroll
    // ranges and returns the engine to Idle.
    void inizializza(const QString& fileName, const LoadedPicture& picture);
    // A black pixel in place of a photo that can no longer be shown, on which a
    // journal's steps still give the text and the table: the engine needs no
    // pixels, and its points keep to no edge (the steps were kept in the
    // photo's own when it was measured).
    void PutStandIn(const QString& fileName);
    // The photo just put under the tools was opened from its file: what the
    // folder's record keeps of it is put back.
    void Opened();
    // A kept calibration and its measurements put back (a replay's too), or
    // said why not.
    void Restore(const KeptMeasuring& kept);
    // The record written as the photo now stands, at once (after a replay,
    // which writes nothing as it goes; tests).
    void KeepRecord();
    // Back to the start-up state but for the results text and the table.
    void Unload();
    [[nodiscard]] bool HasPicture() const;
    [[nodiscard]] const QString& FileName() const { return fileName_; }
    // The caption for the engine's state, or for a dragged point's preview.
    void UpdateCaption(const MovePreview* preview = nullptr);

    [[nodiscard]] const MeasureEngine& Engine() const { return *engine_; }
    [[nodiscard]] MeasurementTable& Table() { return table_; }
    [[nodiscard]] const MeasurementTable& Table() const { return table_; }
    [[nodiscard]] const TwipsScale& Scale() const { return scale_; }
    [[nodiscard]] Loupe& LoupeWidget() { return parts_.loupe; }
    [[nodiscard]] const PointGrip* Grip() const { return grip_.get(); }

  private:
    // The grip on placed points, and the moves and nudges it and the keys make.
    void DefineMoves(UserActions& actions);
    // Resetta's question, then the photo as just loaded, the results gone.
    void Reset();
    // After any engine action: the references' check when the calibration
    // just ended, then the caption and the loupe.
    void AfterEngineAction();
    // The record is to be written: once the event loop turns, or before the
    // measuring it holds goes (another photo, Resetta, the end).
    void RecordChanged();
    void FlushRecord();

    Parts parts_;
    WindowDialogs& dialogs_;
    const LocaleNumbers& locale_;
    const TwipsScale& scale_;
    std::function<void()> freshStart_;
    QString fileName_;
    MeasurementTable table_;
    EngineDialogsAdapter engineDialogs_;
    EngineButtonsAdapter engineButtons_;
    // Made before the engine and outliving it: the engine tells it each step.
    std::unique_ptr<EngineEvents> events_;
    std::unique_ptr<MeasureEngine> engine_;
    std::unique_ptr<PointGrip> grip_;  // made with the actions it performs
    PhotoRecord record_;
    std::unique_ptr<QTimer> recordTimer_;
    bool recordDirty_ = false;
};

}  // namespace vardesca
