#pragma once

#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <memory>

#include "commands/results_export.h"
#include "engine/measure_engine.h"
#include "view/image_source.h"
#include "view/image_surface.h"
#include "view/scroll_range.h"
#include "view/twips.h"
#include "window/compute_layout.h"
#include "window/engine_adapters.h"
#include "window/results_box.h"
#include "window/window_dialogs.h"

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

    // How the program ends when the user confirms; QCoreApplication::quit unless
    // a test puts something else.
    void SetQuit(std::function<void()> quit) { quit_ = std::move(quit); }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

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

    WindowDialogs& dialogs_;
    TwipsScale scale_;
    ImageSource imageSource_;
    QString fileName_;
    ScrollRange hRange_;
    ScrollRange vRange_;
    ResultsExport export_;
    std::function<void()> quit_;
    bool quitting_ = false;
    EngineDialogsAdapter engineDialogs_;
    EngineButtonsAdapter engineButtons_;
    std::unique_ptr<MeasureEngine> engine_;
};

}  // namespace vardesca
