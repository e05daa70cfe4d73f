// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "commands/annotated_photo.h"
#include "commands/measurement_table.h"
#include "commands/results_export.h"
#include "session/session_journal.h"
#include "engine/measure_engine.h"
#include "picture/image_source.h"
#include "browse/photo_folder.h"
#include "view/image_surface.h"
#include "view/photo_viewport.h"
#include "view/scroll_range.h"
#include "view/twips.h"
#include "window/compute_layout.h"
#include "window/engine_adapters.h"
#include "window/engine_events.h"
#include "session/journal_dialogs.h"
#include "window/key_bindings.h"
#include "window/loupe.h"
#include "window/remembered_settings.h"
#include "window/results_box.h"
#include "session/session_recovery.h"
#include "window/session_recorder.h"
#include "window/column_handle.h"
#include "window/compute_layout.h"
#include "window/stale_clicks.h"
#include "window/user_actions.h"
#include "dialogs/window_dialogs.h"

namespace vardesca {

// The program's one window. It owns the controls and the measuring engine and
// routes every event to its handler; the work itself is done by the engine, the
// image view and the commands.
class Form1 : public QWidget {
    Q_OBJECT

    // Made before the controls: the photo's surface keeps a reference to it.
    TwipsScale scale_;

  public:
    // `settings`, when given, is what the window remembers between sessions.
    Form1(WindowDialogs& dialogs, const LocaleNumbers& locale, QWidget* parent = nullptr,
          RememberedSettings* settings = nullptr);
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
    // A photo named from outside the window (the command line, a file manager's
    // "Apri con", a drop): opened as the open button opens the one chosen.
    void OpenPicture(const QString& path);
    void Inizia_Click();
    void picPicture_MouseDown(float x, float y);
    void Resetta_Click();
    void CopiaDati_Click();
    void Info_Click();
    void Esci_Click();
    void HScroll1_Change();
    void VScroll1_Change();

    // The photo's place in the viewport: zoom, fit, the bars, the wheel.
    [[nodiscard]] PhotoViewport& Viewport() const { return *viewport_; }
    // The loupe over the photo, shown while the pointer is over it (L switches).
    [[nodiscard]] Loupe* LoupeWidget() const { return loupe_; }

    // Ctrl+Z and Backspace: the last click taken back; Ctrl+Shift+Z: done again.
    void UndoClick();
    void RedoClick();
    // Escape: a pending first point given up, like undo; nothing else.
    void GiveUpPendingPoint();
    // N: the numbers and lengths beside the marks shown or hidden.
    void ToggleLabels();
    // Ctrl+E: the annotated photo saved, off the window's thread.
    void SaveAnnotatedPhoto();
    [[nodiscard]] AnnotatedPhotoExport& AnnotatedExport() { return annotated_; }
    // Presses on the photo made while a save or a load held the window.
    [[nodiscard]] StaleClicks& PressesDuringWork() { return *staleClicks_; }
    // F1: every key and mouse action.
    void ShowKeys();
    // Ctrl+PgDn (+1) and Ctrl+PgUp (-1): the next or the previous photo of the
    // current one's folder, loaded as the open button loads, in the same view
    // mode (fitted stays fitted).
    void GoToNeighbour(int step);
    // Ctrl+T: the measurement table saved.
    void SaveTable();
    [[nodiscard]] const MeasurementTable& Table() const { return table_; }
    // The photo decoded ahead (tests and benchmarks).
    [[nodiscard]] PicturePrefetch& Prefetch() { return folder_.Prefetch(); }
    [[nodiscard]] const PhotoFolder& Folder() const { return folder_; }
    // The door and the work each action was given (tests).
    [[nodiscard]] const UserActions& Actions() const { return *actions_; }

    // The session journal written from now on; none when nothing is given.
    void UseJournal(SessionJournal* journal);
    // Replays the session a journal kept: the last photo with its calibration,
    // measurements and undo history, the results text and the table. A box
    // says what could not be recovered (a photo gone or changed, a damaged part).
    // Where the journal had damaged lines, a box says what each cost, and
    // where the journal was kept (`keptAt`, when given).
    void RecoverSession(const JournalReading& reading, const QString& keptAt = QString());
    // SIGTERM, SIGHUP: the journal already holds everything, so the program
    // ends at once without its question and leaves the journal for the next
    // start.
    void EndQuietly();
    // The desktop session is ending: the journal is brought up to date and
    // the close that follows asks nothing, so no box blocks a logout.
    void PrepareForSessionEnd();
    // The user's edits of the results box journaled now, not within the second.
    void FlushTextForTests() { recorder_->FlushText(); }

    // How the program ends when the user confirms; QCoreApplication::quit unless
    // a test puts something else.
    void SetQuit(std::function<void()> quit) { quit_ = std::move(quit); }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Fonts, states, geometry, focus rules and the tab order of the controls.
    void SetUpControls();
    // Each control's signals to its handler.
    void ConnectHandlers();
    // The exit question; true when the user answers Sì.
    [[nodiscard]] bool ConfirmExit();

    // Loads `path` (or takes it from `prefetched`) and puts it under the
    // measuring tools, or says why not.
    void Load(const QString& path, std::optional<ImageLoadResult> prefetched = std::nullopt);
    [[nodiscard]] QChar DecimalSeparator() const;
    void RestoreRemembered();
    void RememberViewMode();
    // The handle dragged to `x` (pixels of the window): the box's share of the
    // width beyond the first one follows, and the layout with it.
    void DragColumn(double x);
    void RememberAtExit();
    void RememberResultsFile();

    void ReplayStep(const RecoveryStep& step, bool askWhenRunOut);
    // Back to the start-up state but for the results text and the table.
    void UnloadPicture();
    // Puts a picture under the measuring tools: clears the start-up text, shows
    // the picture at the top left, names the file in the caption, sets the scroll
    // ranges and returns the engine to Idle.
    void inizializza(const QString& fileName, const LoadedPicture& picture);
    [[nodiscard]] bool HasPicture() const;
    [[nodiscard]] bool TextHasFocus() const;
    // What each action does, handed to the door; the shortcuts of the key
    // table, each performing its action.
    void DefineActions();
    void DefineMeasuring();
    void DefineFiles();
    void DefineView();
    void MakeShortcuts();
    // The actions' own work: the open dialog, then the load; Resetta's
    // question, then the reset; the folder's next or previous photo.
    void ChooseAndLoad();
    void ResetMeasurements();
    void GoToNeighbourPhoto(int step);
    void UpdateCaption();
    // After any engine action: the references' check when the calibration
    // just ended, then the caption and the loupe.
    void AfterEngineAction();

    // Every box goes through here, so the journal hears every reply.
    JournalDialogs recording_;
    WindowDialogs& dialogs_;
    const LocaleNumbers& locale_;
    ImageSource imageSource_;
    QString fileName_;
    ResultsExport export_;
    AnnotatedPhotoExport annotated_;
    MeasurementTable table_;
    MeasurementTableExport tableExport_;
    // The photo's folder as the keys walk it, with the photo decoded ahead.
    PhotoFolder folder_;
    RememberedSettings* settings_ = nullptr;
    bool quietClose_ = false;
    // What the journal is told, and when; it goes before the table and the
    // dialogs it reads.
    std::unique_ptr<SessionRecorder> recorder_;
    // The view the last photo was looked at in (fitted or 100 %), as
    // remembered; the session's first photo opens in it.
    std::optional<bool> fittedRemembered_;
    bool firstPhoto_ = true;
    // Above the window's first width: the handle that widens the results box,
    // and the share of the width beyond it the box takes.
    ColumnHandle* columnHandle_ = nullptr;
    double boxShare_ = kDefaultBoxShare;
    std::function<void()> quit_;
    bool quitting_ = false;
    PhotoViewport* viewport_ = nullptr;
    Loupe* loupe_ = nullptr;
    // Presses on the photo queued while a save or a load held the window.
    StaleClicks* staleClicks_ = nullptr;
    // Labels and table rows as the engine says what it did; made once the
    // engine is, and outliving it.
    std::unique_ptr<EngineEvents> events_;
    EngineDialogsAdapter engineDialogs_;
    EngineButtonsAdapter engineButtons_;
    std::unique_ptr<MeasureEngine> engine_;
    // The one door every action goes through.
    std::unique_ptr<UserActions> actions_;
};

}  // namespace vardesca
