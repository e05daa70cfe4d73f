// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <memory>

#include "dialogs/window_dialogs.h"
#include "session/journal_dialogs.h"
#include "session/session_journal.h"
#include "view/image_surface.h"
#include "view/photo_viewport.h"
#include "view/twips.h"
#include "window/column_handle.h"
#include "window/photo_desk.h"
#include "window/photo_opener.h"
#include "window/remembered_settings.h"
#include "window/results_box.h"
#include "window/user_actions.h"
#include "window/window_exports.h"
#include "window/window_memory.h"
#include "window/window_session.h"

namespace vardesca {

// The program's one window: its controls, their layout, and each control's
// event handed to the one door every action goes through. The work is done
// by the parts it holds: the desk (the photo under the measuring tools), the
// opener (where photos come from), the exports, the session (its journal and
// its end) and what the window remembers between sessions.
class Form1 : public QWidget {
    Q_OBJECT

    // Made before the controls: the photo's surface keeps a reference to it.
    TwipsScale scale_;

  public:
    // `settings`, when given, is what the window remembers between sessions.
    Form1(WindowDialogs& dialogs, const LocaleNumbers& locale, QWidget* parent = nullptr,
          RememberedSettings* settings = nullptr);
    ~Form1() override;

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

    // The door: every action, as its key or button performs it.
    [[nodiscard]] UserActions& Actions() { return *actions_; }
    // The parts (tests, benchmarks, and the start of a session).
    [[nodiscard]] PhotoDesk& Desk() { return *desk_; }
    [[nodiscard]] PhotoOpener& Photos() { return *opener_; }
    [[nodiscard]] WindowExports& Exports() { return *exports_; }
    [[nodiscard]] WindowSession& Session() { return *session_; }
    // The photo's place in the viewport: zoom, fit, the bars, the wheel.
    [[nodiscard]] PhotoViewport& Viewport() const { return *viewport_; }
    // Replays the session a journal kept (window/session_replay.h).
    void RecoverSession(const JournalReading& reading, const QString& keptAt = QString());

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Fonts, states, geometry, focus rules, the tab order of the controls and
    // each control's signals to its handler.
    void SetUpControls();

    // Every box goes through here, so the journal hears every reply.
    JournalDialogs recording_;
    WindowMemory memory_;
    PhotoViewport* viewport_ = nullptr;
    // Above the window's first width: the handle that widens the results box.
    ColumnHandle* columnHandle_ = nullptr;
    // Made in this order, each from those before it, and let go in the
    // reverse order by the destructor.
    std::unique_ptr<PhotoDesk> desk_;
    std::unique_ptr<WindowSession> session_;
    std::unique_ptr<WindowExports> exports_;
    std::unique_ptr<UserActions> actions_;
    std::unique_ptr<PhotoOpener> opener_;
};

}  // namespace vardesca
