// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

#include "commands/about.h"
#include "engine/checked_int.h"
#include "picture/picture_names.h"
#include "text/ui_text.h"
#include "window/app_icon.h"
#include "window/app_text.h"
#include "window/caption.h"
#include "window/controls.h"
#include "window/photo_drop.h"

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
      dialogs_(recording_),
      locale_(locale),
      imageSource_(scale_.TwipsPerPixel()),
      export_(recording_),
      annotated_(recording_),
      tableExport_(recording_),
      folder_(imageSource_),
      settings_(settings),
      quit_([] { QCoreApplication::quit(); }),
      engineDialogs_(recording_),
      engineButtons_(*Inizia, *Resetta),
      engine_(std::make_unique<MeasureEngine>(*picPicture, engineDialogs_, *Text1, engineButtons_,
                                              locale)) {
    events_ = std::make_unique<EngineEvents>(*picPicture, *engine_, table_, scale_, locale_, [this] {
        return QFileInfo(fileName_).fileName();
    });
    engine_->SetObserver(events_.get());
    recorder_ = std::make_unique<SessionRecorder>(*Text1, table_, recording_, dialogs_, nullptr);
    SetUpControls();
    DefineActions();
    ConnectHandlers();
    MakeShortcuts();

    RestoreRemembered();
    // The first layout pass, before the window is first shown.
    Form_Resize();
    // The keyboard starts on the first control of the tab order.
    picContainer->setFocus();
}

Form1::~Form1() = default;

void Form1::SetUpControls() {
    columnHandle_ = new ColumnHandle(this);
    connect(columnHandle_, &ColumnHandle::Dragged, this, [this](double x) { DragColumn(x); });
    connect(columnHandle_, &ColumnHandle::Released, this, [this] {
        if (settings_ != nullptr) {
            settings_->SetBoxShare(boxShare_);
        }
    });
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
    viewport_ = new PhotoViewport(*picContainer, *picPicture, *HScroll1, *VScroll1, scale_,
                                  [this](const std::function<void()>& work) { actions_->Guard(work); });
    connect(viewport_, &PhotoViewport::ZoomChanged, this, [this] {
        UpdateCaption();
        RememberViewMode();
    });
    loupe_ = new Loupe(*picPicture, picContainer);
    staleClicks_ = new StaleClicks(*picPicture);
    // Tab leaves the results box like any other control; notes are typed with
    // Enter between lines.
    Text1->setTabChangesFocus(true);

    // Keyboard order: viewport, surface, bars, then the controls.
    const QList<QWidget*> tabOrder = {picContainer, picPicture, HScroll1, VScroll1, cmdOpen, Text1,
                                      CopiaDati,    Inizia,     Resetta,  Esci,     Info};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

void Form1::ConnectHandlers() {
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
        if (settings_ != nullptr && !isMinimized() && isVisible()) {
            settings_->SetWindowGeometry(saveGeometry());
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
                                              BoxWider(client, boxShare_));
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
    if (columnHandle_ != nullptr) {
        // At the first width and below the layout is the fixed one: no handle.
        columnHandle_->setVisible(BoxWider(client, 1.0) > 0);
        place(columnHandle_, layout.columnGap);
    }
    viewport_->FollowViewport();
}

void Form1::DragColumn(double x) {
    const QSize frame = frameGeometry().size() - size();
    boxShare_ = BoxShareAt(static_cast<float>(scale_.ToTwips(width() + frame.width())),
                           static_cast<float>(scale_.ToTwips(width())),
                           static_cast<float>(scale_.ToTwips(x)));
    Form_Resize();
}

void Form1::cmdOpen_Click() {
    actions_->Perform(UserAction::Open);
}

void Form1::OpenPicture(const QString& path) {
    actions_->Perform(UserAction::OpenPath, {.x = 0, .y = 0, .path = path});
}

void Form1::ChooseAndLoad() {
    // The folder of the photo shown, or of the last one of an earlier session.
    const QString folder = !fileName_.isEmpty()   ? QFileInfo(fileName_).absolutePath()
                           : settings_ != nullptr ? settings_->PhotoFolder()
                                                  : QString();
    const std::optional<QString> chosen =
        dialogs_.OpenFile(UiText(app_text::kOpenTitle), app_text::OpenFilters(), folder);
    // A cancelled dialog changes nothing: reloading would wipe a calibration.
    if (chosen) {
        Load(*chosen);
    }
}

void Form1::Load(const QString& path, std::optional<ImageLoadResult> prefetched) {
    picPicture->ReleaseReducedCopies();
    if (!prefetched) {
        // At most the picture shown and one more are held.
        folder_.DropAhead();
    }
    const ImageLoadResult loaded = prefetched ? std::move(*prefetched) : imageSource_.Load(path);
    staleClicks_->BusyUntilNow();
    if (!loaded.picture) {
        dialogs_.ShowBox(QString(), UiText(app_text::kOpenFailed).arg(path, loaded.failure->reason),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
        return;
    }
    recorder_->RecordPicture(path);
    inizializza(path, *loaded.picture);
    if (std::exchange(firstPhoto_, false) && fittedRemembered_.value_or(false)) {
        viewport_->Fit();
    }
    RememberViewMode();
    recorder_->PhotoStarted();
    if (settings_ != nullptr) {
        settings_->SetPhotoFolder(QFileInfo(path).absolutePath());
    }
    // The next photo the user will likely want is decoded while this one is
    // measured.
    folder_.Shown(path);
    // Opened, but not whole: the user should know before trusting it.
    if (loaded.damage) {
        dialogs_.ShowBox(QString(),
                         UiText(app_text::kOpenedDamaged).arg(path, loaded.damage->reason),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    }
}

void Form1::Resetta_Click() {
    actions_->Perform(UserAction::Resetta);
}

void Form1::ResetMeasurements() {
    const auto answer =
        dialogs_.ShowBox(UiText(app_text::kResetTitle), UiText(app_text::kResetQuestion),
                         WindowDialogs::Buttons::OkCancel);
    if (answer != WindowDialogs::Answer::Ok) {
        return;
    }
    Text1->SetText("");
    table_.Clear();
    recorder_->PhotoStarted();
    // The surface keeps the picture clean (marks lie over it), so the same
    // picture comes back without marks even if the file has since been
    // changed or deleted.
    const LoadedPicture same{picPicture->Picture(), picPicture->WidthTwips(),
                             picPicture->HeightTwips()};
    inizializza(fileName_, same);
}

void Form1::inizializza(const QString& fileName, const LoadedPicture& picture) {
    // The start-up instructions go at the first load; results and notes stay.
    if (QString::fromStdString(Text1->GetText()).startsWith(app_text::StartupMarker())) {
        Text1->SetText("");
    }
    fileName_ = fileName;
    picPicture->SetPicture(picture.image, picture.widthTwips, picture.heightTwips);
    viewport_->ShowNewPicture();
    engine_->Reset();
    UpdateCaption();
    loupe_->Refresh();
}

void Form1::HScroll1_Change() {
    viewport_->HorizontalBarMoved();
}

void Form1::VScroll1_Change() {
    viewport_->VerticalBarMoved();
}

void Form1::CopiaDati_Click() {
    actions_->Perform(UserAction::CopiaDati);
}

void Form1::Info_Click() {
    actions_->Perform(UserAction::Info);
}

bool Form1::ConfirmExit() {
    return dialogs_.ShowBox(QString(), UiText(kExitQuestion), WindowDialogs::Buttons::YesNo) ==
           WindowDialogs::Answer::Yes;
}

void Form1::Esci_Click() {
    actions_->Perform(UserAction::Quit);
}

void Form1::closeEvent(QCloseEvent* event) {
    // The close box asks the exit question too: unexported results live only here.
    if (quitting_) {
        event->accept();
        return;
    }
    // A logout: the journal is up to date and stays for the next start.
    if (quietClose_) {
        quitting_ = true;
        RememberAtExit();
        event->accept();
        return;
    }
    if (actions_->SaveHolds()) {
        event->ignore();
        return;
    }
    bool confirmed = false;
    actions_->Guard([this, &confirmed] { confirmed = ConfirmExit(); });
    if (confirmed) {
        quitting_ = true;
        RememberAtExit();
        recorder_->Finish();
        event->accept();
    } else {
        event->ignore();
    }
}

void Form1::Inizia_Click() {
    actions_->Perform(UserAction::Inizia);
}

void Form1::picPicture_MouseDown(float x, float y) {
    // Every button counts, with or without Shift, Ctrl or Alt.
    actions_->Perform(UserAction::Click, {.x = x, .y = y, .path = {}});
}

void Form1::AfterEngineAction() {
    if (events_->TakeReferencesToCheck()) {
        CheckReferences(*engine_, *picPicture, dialogs_, locale_);
    }
    UpdateCaption();
    loupe_->Refresh();
}

void Form1::UndoClick() {
    actions_->Perform(UserAction::Undo);
}

void Form1::RedoClick() {
    actions_->Perform(UserAction::Redo);
}

void Form1::GiveUpPendingPoint() {
    actions_->Perform(UserAction::GiveUpPendingPoint);
}

void Form1::ToggleLabels() {
    actions_->Perform(UserAction::ToggleLabels);
}

bool Form1::HasPicture() const {
    return !picPicture->Picture().isNull();
}

void Form1::UpdateCaption() {
    if (!HasPicture()) {
        return;
    }
    std::optional<CaptionScale> scale;
    std::optional<int> nextClick;
    if (engine_->azione() == MeasureEngine::Measuring) {
        const auto [s1, s2] = engine_->ReferenceScales();
        scale = CaptionScale{static_cast<double>(engine_->k()) / scale_.TwipsPerPixel(), s1, s2};
    } else if (engine_->azione() == MeasureEngine::Calibrating) {
        nextClick = engine_->punti();
    }
    const QString caption = Caption(fileName_, picPicture->Zoom(), scale, locale_, nextClick);
    if (windowTitle() != caption) {
        setWindowTitle(caption);
    }
}

}  // namespace vardesca
