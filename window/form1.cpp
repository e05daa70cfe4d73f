// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <algorithm>

#include "text/ui_text.h"
#include "window/app_icon.h"
#include "window/app_text.h"
#include "window/compute_layout.h"
#include "window/controls.h"
#include "window/key_bindings.h"
#include "window/loupe.h"
#include "window/photo_drop.h"
#include "window/session_replay.h"
#include "window/stale_clicks.h"
#include "window/view_actions.h"

namespace vardesca {

Form1::Form1(WindowDialogs& dialogs, const LocaleNumbers& locale, QWidget* parent,
             RememberedSettings* settings)
    : QWidget(parent),
      scale_(TwipsScale::ForScreen(QGuiApplication::primaryScreen())),
      Info(MakeButton(app_text::kInfoCaption, this, "Info")),
      Esci(MakeButton(app_text::kEsciCaption, this, "Esci")),
      Resetta(MakeButton(app_text::kResettaCaption, this, "Resetta")),
      Inizia(MakeButton(app_text::kIniziaCaption, this, "Inizia")),
      CopiaDati(MakeButton(app_text::kCopiaDatiCaption, this, "CopiaDati")),
      Text1(Named(new ResultsBox(this), "Text1")),
      cmdOpen(MakeButton(app_text::kOpenCaption, this, "cmdOpen")),
      VScroll1(MakeScrollBar(Qt::Vertical, this, "VScroll1")),
      HScroll1(MakeScrollBar(Qt::Horizontal, this, "HScroll1")),
      picContainer(Named(new QWidget(this), "picContainer")),
      picPicture(Named(new ImageSurface(scale_, picContainer), "picPicture")),
      recording_(dialogs),
      memory_(settings) {
    SetUpControls();
    auto* loupe = new Loupe(*picPicture, picContainer);
    auto* presses = new StaleClicks(*picPicture);
    desk_ = std::make_unique<PhotoDesk>(
        PhotoDesk::Parts{*this, *picPicture, *Text1, *Inizia, *Resetta, *viewport_, *loupe},
        recording_, locale, scale_, [this] { session_->Recorder().PhotoStarted(); },
        PhotoRecord::Hooks{[this](const JournalRecord& r) { session_->Recorder().Write(r); },
                           [this] { return recording_.Replaying(); }});
    session_ = std::make_unique<WindowSession>(*this, *Text1, desk_->Table(), recording_, memory_);
    exports_ =
        std::make_unique<WindowExports>(recording_, locale, *Text1, *desk_, *picPicture, memory_);
    actions_ = std::make_unique<UserActions>(
        recording_, recording_, *presses, [this] { return exports_->Saving(); },
        UserActions::Journal{[this] { session_->FlushText(); },
                             [this](const JournalRecord& r) { session_->Recorder().Write(r); }});
    opener_ =
        std::make_unique<PhotoOpener>(PhotoOpener::Parts{*desk_, *picPicture, *viewport_, *presses,
                                                         session_->Recorder(), memory_},
                                      recording_, scale_);
    desk_->DefineActions(*actions_);
    opener_->DefineActions(*actions_);
    exports_->DefineActions(*actions_);
    session_->DefineActions(*actions_);
    DefineViewActions(*actions_, *viewport_, *loupe, *picPicture, memory_, recording_);
    MakeShortcuts(*this, *Text1, *actions_);
    connect(viewport_, &PhotoViewport::ZoomChanged, this, [this] {
        desk_->UpdateCaption();
        if (desk_->HasPicture()) {
            memory_.KeepViewMode(viewport_->Fitted());
        }
    });

    memory_.Restore(*this, *loupe, *picPicture, exports_->Results());
    // The first layout pass, before the window is first shown.
    Form_Resize();
    // The keyboard starts on the first control of the tab order.
    picContainer->setFocus();
}

Form1::~Form1() {
    // Each part goes before those it was made from.
    opener_.reset();
    actions_.reset();
    exports_.reset();
    session_.reset();
    desk_.reset();
}

void Form1::SetUpControls() {
    columnHandle_ = new ColumnHandle(this);
    connect(columnHandle_, &ColumnHandle::Dragged, this, [this](double x) {
        const QSize frame = frameGeometry().size() - size();
        memory_.SetBoxShare(BoxShareAt(static_cast<float>(scale_.ToTwips(width() + frame.width())),
                                       static_cast<float>(scale_.ToTwips(width())),
                                       static_cast<float>(scale_.ToTwips(x))));
        Form_Resize();
    });
    connect(columnHandle_, &ColumnHandle::Released, this, [this] { memory_.KeepBoxShare(); });
    // A photo dropped from a file manager opens.
    new PhotoDrop(*this, [this](const QString& path) { OpenPicture(path); });
    setWindowTitle(QString::fromUtf8(app_text::kAppTitle));
    setWindowIcon(AppIcon());
    // The buttons are 1600 twips wide whatever the font; a slightly smaller font
    // than the desktop's usual one keeps "Resetta misurazioni" whole on them.
    QFont compact = font();
    compact.setPointSizeF(std::min(compact.pointSizeF(), 7.5));
    setFont(compact);
    resize(scale_.ToPixelSize(12120, 8385));

    Resetta->setEnabled(false);
    Inizia->setEnabled(false);
    Text1->setPlainText(UiText(app_text::kStartupText));

    // The viewport clips the surface; the pointer is a crosshair over all of it,
    // the surface included.
    picContainer->setCursor(Qt::CrossCursor);
    picContainer->setAutoFillBackground(true);
    picContainer->setBackgroundRole(QPalette::Mid);
    // A click on the photo gives it the keyboard, as a picture box takes it on a
    // click, so its keys act right after a click.
    picContainer->setFocusPolicy(Qt::StrongFocus);
    picPicture->setFocusPolicy(Qt::StrongFocus);
    picPicture->setGeometry(scale_.ToPixels(360, 240, 3612, 2172));
    viewport_ =
        new PhotoViewport(*picContainer, *picPicture, *HScroll1, *VScroll1, scale_,
                          [this](const std::function<void()>& work) { actions_->Guard(work); });
    // Tab leaves the results box like any other control; notes are typed with
    // Enter between lines.
    Text1->setTabChangesFocus(true);
    // Keyboard order: viewport, surface, bars, then the controls.
    SetTabOrder({picContainer, picPicture, HScroll1, VScroll1, cmdOpen, Text1, CopiaDati, Inizia,
                 Resetta, Esci, Info});

    connect(cmdOpen, &QPushButton::clicked, this, [this] { cmdOpen_Click(); });
    connect(Inizia, &QPushButton::clicked, this, [this] { Inizia_Click(); });
    connect(Resetta, &QPushButton::clicked, this, [this] { Resetta_Click(); });
    connect(CopiaDati, &QPushButton::clicked, this, [this] { CopiaDati_Click(); });
    connect(Info, &QPushButton::clicked, this, [this] { Info_Click(); });
    connect(Esci, &QPushButton::clicked, this, [this] { Esci_Click(); });
    // A tracking bar says valueChanged at every step of a drag too; its
    // sliderMoved would move the picture a second time for the same step.
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
    connect(picPicture, &ImageSurface::MouseDown, this,
            [this](float x, float y) { picPicture_MouseDown(x, y); });
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Minimizing and restoring count as resizes too.
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
        // Maximised or not is remembered at once, not only at a normal end:
        // after a crash or a kill the window comes back as it was.
        if (!isMinimized() && isVisible()) {
            memory_.KeepWindow(*this);
        }
    }
}

void Form1::Form_Resize() {
    if (windowState().testFlag(Qt::WindowMinimized)) {
        return;
    }
    // The layout works from the outer size, frame and title bar included.
    const QSize frame = frameGeometry().size() - size();
    const QSize minOuter = scale_.ToPixelSize(kMinOuterWidth, kMinOuterHeight);
    setMinimumSize((minOuter - frame).expandedTo(QSize(1, 1)));
    QSize outer = size() + frame;
    if (outer.width() < minOuter.width() || outer.height() < minOuter.height()) {
        outer = outer.expandedTo(minOuter);
        resize(outer - frame);
    }
    const auto client = static_cast<float>(scale_.ToTwips(outer.width() - frame.width()));
    const WindowLayout layout = ComputeLayout(static_cast<float>(scale_.ToTwips(outer.width())),
                                              static_cast<float>(scale_.ToTwips(outer.height())),
                                              BoxWider(client, memory_.BoxShare()));
    const auto place = [this](QWidget* widget, const ControlGeometry& g) {
        widget->setGeometry(scale_.ToPixels(g.left, g.top, g.width, g.height));
    };
    place(picContainer, layout.picContainer);
    VScroll1->setVisible(layout.scrollBarsVisible);
    place(VScroll1, layout.vScroll1);
    HScroll1->setVisible(layout.scrollBarsVisible);
    place(HScroll1, layout.hScroll1);
    place(Text1, layout.text1);
    place(CopiaDati, layout.copiaDati);
    place(cmdOpen, layout.cmdOpen);
    place(Inizia, layout.inizia);
    place(Resetta, layout.resetta);
    place(Info, layout.info);
    place(Esci, layout.esci);
    // At the first width and below the layout is the fixed one: no handle.
    columnHandle_->setVisible(BoxWider(client, 1.0) > 0);
    place(columnHandle_, layout.columnGap);
    viewport_->FollowViewport();
}

void Form1::cmdOpen_Click() {
    actions_->Perform(UserAction::Open);
}

void Form1::OpenPicture(const QString& path) {
    actions_->Perform(UserAction::OpenPath, {.x = 0, .y = 0, .path = path});
}

void Form1::Inizia_Click() {
    actions_->Perform(UserAction::Inizia);
}

void Form1::picPicture_MouseDown(float x, float y) {
    // Every button counts, with or without Shift, Ctrl or Alt.
    actions_->Perform(UserAction::Click, {.x = x, .y = y, .path = {}});
}

void Form1::Resetta_Click() {
    actions_->Perform(UserAction::Resetta);
}

void Form1::CopiaDati_Click() {
    actions_->Perform(UserAction::CopiaDati);
}

void Form1::Info_Click() {
    actions_->Perform(UserAction::Info);
}

void Form1::Esci_Click() {
    actions_->Perform(UserAction::Quit);
}

void Form1::HScroll1_Change() {
    viewport_->HorizontalBarMoved();
}

void Form1::VScroll1_Change() {
    viewport_->VerticalBarMoved();
}

void Form1::closeEvent(QCloseEvent* event) {
    event->setAccepted(session_->MayClose(*actions_));
}

void Form1::RecoverSession(const JournalReading& reading, const QString& keptAt) {
    ReplaySession(reading, keptAt,
                  {*desk_, *opener_, *Text1, recording_, *actions_, session_->Recorder()});
}

}  // namespace vardesca
