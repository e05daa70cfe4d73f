// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "commands/annotated_photo.h"
#include "commands/results_export.h"
#include "engine/measure_engine.h"
#include "picture/image_source.h"
#include "view/image_surface.h"
#include "view/scroll_range.h"
#include "view/twips.h"
#include "window/compute_layout.h"
#include "window/engine_adapters.h"
#include "window/loupe.h"
#include "window/results_box.h"
#include "dialogs/window_dialogs.h"

namespace vardesca {

// The program's one window. It owns the controls and the measuring engine and
// routes every event to its handler; the work itself is done by the engine, the
// image view and the commands.
class Form1 : public QWidget {
    Q_OBJECT

  public:
    Form1(WindowDialogs& dialogs, const LocaleNumbers& locale, QWidget* parent = nullptr);
    ~Form1() override;

    [[nodiscard]] const MeasureEngine& Engine() const { return *engine_; }
    [[nodiscard]] const TwipsScale& Scale() const { return scale_; }

    // The controls, in the order the window creates them.
    QPushButton* const Info;
    QPushButton* const Esci;
    QPushButton* const Resetta;
    QPushButton* const Inizia;
    QPushButton* const CopiaDati;
    ResultsBox* const Text1;
    QPushButton* const cmdOpen;
    QScrollBar* const VScroll1;
    QScrollBar* const HScroll1;
    QWidget* const picContainer;
    ImageSurface* const picPicture;

    // Handlers, named after their control and event.
    void Form_Resize();
    void cmdOpen_Click();
    void Inizia_Click();
    void picPicture_MouseDown(int button, int shift, float x, float y);
    void Resetta_Click();
    void CopiaDati_Click();
    void Info_Click();
    void Esci_Click();
    void HScroll1_Change();
    void HScroll1_Scroll();
    void VScroll1_Change();
    void VScroll1_Scroll();

    // What the last load gave each scroll bar (Max may be zero or negative for a
    // disabled bar, which a Qt scroll bar cannot hold).
    [[nodiscard]] ScrollRange HScrollRange() const { return hRange_; }
    [[nodiscard]] ScrollRange VScrollRange() const { return vRange_; }

    // The zoom of the view. A load shows the picture at 1 (natural size), which is
    // the view the controls were designed around; the rest is on top of it.
    [[nodiscard]] double Zoom() const { return picPicture->Zoom(); }
    [[nodiscard]] bool Fitted() const { return fitted_; }
    // Zooms to `zoom` (held within the ladder) keeping the picture point under
    // `anchor` (viewport pixels) in place; nothing without a picture.
    void ZoomAround(double zoom, QPointF anchor);
    void ZoomInStep();   // Ctrl+plus, around the viewport's centre
    void ZoomOutStep();  // Ctrl+minus
    void FitPicture();   // Ctrl+0: the whole picture, centred
    void NaturalSize();  // Ctrl+1: back to 100 %

    // The loupe over the photo, shown while the pointer is over it (L switches).
    [[nodiscard]] Loupe* LoupeWidget() const { return loupe_; }
    [[nodiscard]] bool LoupeEnabled() const { return loupeEnabled_; }
    void ToggleLoupe();

    // Ctrl+Z and Backspace: the last click taken back; Ctrl+Shift+Z: done again.
    void UndoClick();
    void RedoClick();
    // Escape: a pending first point given up, like undo; nothing else.
    void GiveUpPendingPoint();
    // N: the numbers and lengths beside the marks shown or hidden.
    void ToggleLabels();
    // Ctrl+E: the annotated photo saved.
    void SaveAnnotatedPhoto();
    // F1: every key and mouse action.
    void ShowKeys();

    // How the program ends when the user confirms; QCoreApplication::quit unless
    // a test puts something else.
    void SetQuit(std::function<void()> quit) { quit_ = std::move(quit); }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The exit question; true when the user answers Sì.
    [[nodiscard]] bool ConfirmExit();

    // Runs a handler; an exception escaping it is reported in Italian and the
    // window, the picture and the results stay as they are.
    template <typename Handler>
    void Guarded(Handler&& handler);

    // Puts a picture under the measuring tools: clears the start-up text, shows
    // the picture at the top left, names the file in the caption, sets the scroll
    // ranges and returns the engine to Idle.
    void inizializza(const QString& fileName, const LoadedPicture& picture);
    void ApplyScrollRange(QScrollBar* bar, const ScrollRange& range);
    [[nodiscard]] bool HasPicture() const;
    [[nodiscard]] bool TextHasFocus() const;
    // Keyboard shortcuts: Ctrl ones act everywhere but on the text box's own
    // editing keys; single keys only when the focus is outside the text box.
    void MakeShortcuts();
    // The scroll ranges for the picture at its zoom in the viewport as it is now;
    // a value that no longer fits is clamped and the picture follows it.
    void FollowViewport();
    // The ranges of both bars for the picture at its zoom in the viewport as it is.
    void ComputeZoomedRanges();
    // Puts the picture's edge at `edge` (viewport pixels) as far as the bars
    // allow; an axis on which the zoomed picture fits is centred.
    void PlaceSurface(QPointF edge);
    void ScrollBy(QScrollBar* bar, double twips);
    void WheelOverPhoto(QWheelEvent* event, QPointF inViewport);
    void RefreshLoupe();
    void UpdateCaption();
    // What the engine was before an action: labels go to what it completed.
    struct EngineSnapshot {
        std::int16_t azione, punti, n;
    };
    [[nodiscard]] EngineSnapshot Snapshot() const;
    void LabelWhatCompleted(const EngineSnapshot& before);
    // After any engine action: labels, caption and loupe brought up to date.
    void AfterEngineAction(const EngineSnapshot& before);

    WindowDialogs& dialogs_;
    const LocaleNumbers& locale_;
    TwipsScale scale_;
    ImageSource imageSource_;
    QString fileName_;
    ScrollRange hRange_;
    ScrollRange vRange_;
    ResultsExport export_;
    AnnotatedPhotoExport annotated_;
    std::function<void()> quit_;
    bool quitting_ = false;
    bool fitted_ = false;
    bool loupeEnabled_ = true;
    Loupe* loupe_ = nullptr;
    // The last pointer position over the viewport, for the loupe after a scroll.
    std::optional<QPointF> pointer_;
    int zoomWheel_ = 0;  // Ctrl+wheel eighths of a degree not yet turned into a step
    EngineDialogsAdapter engineDialogs_;
    EngineButtonsAdapter engineButtons_;
    std::unique_ptr<MeasureEngine> engine_;
};

}  // namespace vardesca
