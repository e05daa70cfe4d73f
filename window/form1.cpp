#include "window/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>
#include <new>

#include "commands/about.h"
#include "engine/checked_int.h"
#include "window/app_icon.h"
#include "window/app_text.h"

namespace vardesca {

namespace {

QPushButton* MakeButton(const char* caption, QWidget* parent, const char* name) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A scroll bar counts in twips. The arrow step is the large one, so that arrows
// and the mouse wheel move the picture visibly; the page step is one twip.
QScrollBar* MakeScrollBar(Qt::Orientation orientation, QWidget* parent, const char* name) {
    auto* bar = Named(new QScrollBar(orientation, parent), name);
    bar->setRange(0, 0);
    bar->setSingleStep(500);
    bar->setPageStep(1);
    bar->setVisible(false);
    bar->setEnabled(false);
    return bar;
}

}  // namespace

Form1::Form1(WindowDialogs& dialogs, const LocaleNumbers& locale, QWidget* parent)
    : QWidget(parent),
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
      dialogs_(dialogs),
      scale_(TwipsScale::ForScreen(QGuiApplication::primaryScreen())),
      imageSource_(scale_.TwipsPerPixel()),
      export_(dialogs),
      quit_([] { QCoreApplication::quit(); }),
      engineDialogs_(dialogs),
      engineButtons_(*Inizia, *Resetta),
      engine_(std::make_unique<MeasureEngine>(*picPicture, engineDialogs_, *Text1, engineButtons_,
                                              locale)) {
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
    Text1->setPlainText(QString::fromUtf8(app_text::kStartupText));

    // The viewport clips the surface; the pointer is a crosshair over all of it,
    // the surface included.
    picContainer->setCursor(Qt::CrossCursor);
    picContainer->setAutoFillBackground(true);
    picContainer->setBackgroundRole(QPalette::Mid);
    picContainer->setFocusPolicy(Qt::TabFocus);
    picPicture->setFocusPolicy(Qt::TabFocus);
    picPicture->setGeometry(scale_.ToPixels(360, 240, 3612, 2172));

    // Keyboard order: viewport, surface, bars, then the controls.
    const QList<QWidget*> tabOrder = {picContainer, picPicture, HScroll1, VScroll1, cmdOpen, Text1,
                                      CopiaDati,    Inizia,     Resetta,  Esci,     Info};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    connect(cmdOpen, &QPushButton::clicked, this, [this] { cmdOpen_Click(); });
    connect(Inizia, &QPushButton::clicked, this, [this] { Inizia_Click(); });
    connect(Resetta, &QPushButton::clicked, this, [this] { Resetta_Click(); });
    connect(CopiaDati, &QPushButton::clicked, this, [this] { CopiaDati_Click(); });
    connect(Info, &QPushButton::clicked, this, [this] { Info_Click(); });
    connect(Esci, &QPushButton::clicked, this, [this] { Esci_Click(); });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
    connect(HScroll1, &QScrollBar::sliderMoved, this, [this] { HScroll1_Scroll(); });
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { VScroll1_Change(); });
    connect(VScroll1, &QScrollBar::sliderMoved, this, [this] { VScroll1_Scroll(); });
    connect(picPicture, &ImageSurface::MouseDown, this,
            [this](int button, int shift, float x, float y) {
                picPicture_MouseDown(button, shift, x, y);
            });

    // The first layout pass, before the window is first shown.
    Form_Resize();
}

Form1::~Form1() = default;

template <typename Handler>
void Form1::Guarded(Handler&& handler) {
    QString reason;
    try {
        handler();
        return;
    } catch (const std::bad_alloc&) {
        reason = QString::fromUtf8(app_text::kOutOfMemory);
    } catch (const ArithmeticOverflow& e) {
        reason = QString::fromUtf8(e.what());  // the engine's own, Italian
    } catch (const std::exception&) {
        // The library's own text would be English.
        reason = QString::fromUtf8(app_text::kInternalError);
    }
    dialogs_.Message(QString::fromUtf8(app_text::kErrorText).arg(reason), QString(),
                     WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
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
    const WindowLayout layout = ComputeLayout(static_cast<float>(scale_.ToTwips(outer.width())),
                                              static_cast<float>(scale_.ToTwips(outer.height())));
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
}

void Form1::cmdOpen_Click() {
    Guarded([this] {
        const std::optional<QString> chosen =
            dialogs_.OpenFile(QString::fromUtf8(app_text::kOpenTitle), app_text::OpenFilters());
        // A cancelled dialog changes nothing: reloading would wipe a calibration.
        if (!chosen) {
            return;
        }
        const ImageLoadResult loaded = imageSource_.Load(*chosen);
        if (!loaded.picture) {
            dialogs_.Message(QString::fromUtf8(app_text::kOpenFailed).arg(*chosen, loaded.reason),
                             QString(), WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
            return;
        }
        inizializza(*chosen, *loaded.picture);
    });
}

void Form1::Resetta_Click() {
    Guarded([this] {
        const auto answer = dialogs_.Message(QString::fromUtf8(app_text::kResetQuestion),
                                             QString::fromUtf8(app_text::kResetTitle),
                                             WindowDialogs::Buttons::OkCancel);
        if (answer != WindowDialogs::Answer::Ok) {
            return;
        }
        Text1->SetText("");
        // The surface keeps the picture clean (marks lie over it), so the same
        // picture comes back without marks even if the file has since been
        // changed or deleted.
        const LoadedPicture same{picPicture->Picture(), picPicture->WidthTwips(),
                                 picPicture->HeightTwips()};
        inizializza(fileName_, same);
    });
}

void Form1::inizializza(const QString& fileName, const LoadedPicture& picture) {
    // The start-up instructions go at the first load; results and notes stay.
    if (Text1->GetText().starts_with(app_text::kStartupMarker)) {
        Text1->SetText("");
    }
    fileName_ = fileName;
    picPicture->SetPicture(picture.image, picture.widthTwips, picture.heightTwips);
    setWindowTitle(QStringLiteral("Vardesca [%1]").arg(fileName));
    picPicture->MoveTo(0, 0);
    // The viewport as it stands on the screen, in whole pixels: a picture that
    // fits what the user sees needs no bar.
    hRange_ = ComputeScrollRange(picPicture->WidthTwips(), scale_.ToTwips(picContainer->width()));
    ApplyScrollRange(HScroll1, hRange_);
    vRange_ = ComputeScrollRange(picPicture->HeightTwips(), scale_.ToTwips(picContainer->height()));
    ApplyScrollRange(VScroll1, vRange_);
    engine_->Reset();
}

void Form1::ApplyScrollRange(QScrollBar* bar, const ScrollRange& range) {
    bar->setEnabled(range.enabled);
    // A bar whose value no longer fits is clamped without moving the picture:
    // after a load the picture stands at the top left until a bar is moved.
    const QSignalBlocker quiet(bar);
    bar->setMaximum(static_cast<int>(std::clamp<std::int64_t>(range.max, 0, INT_MAX)));
}

void Form1::HScroll1_Change() {
    picPicture->MoveTo(-static_cast<double>(HScroll1->value()), picPicture->TopTwips());
}

void Form1::HScroll1_Scroll() {
    HScroll1_Change();
}

void Form1::VScroll1_Change() {
    picPicture->MoveTo(picPicture->LeftTwips(), -static_cast<double>(VScroll1->value()));
}

void Form1::VScroll1_Scroll() {
    VScroll1_Change();
}

void Form1::CopiaDati_Click() {
    Guarded([this] { export_.CopiaDati(Text1->GetText()); });
}

void Form1::Info_Click() {
    Guarded([this] {
        dialogs_.Message(AboutText(), QString::fromUtf8(kAboutTitle), WindowDialogs::Buttons::Ok);
    });
}

bool Form1::ConfirmExit() {
    return dialogs_.Message(QString::fromUtf8(kExitQuestion), QString(),
                            WindowDialogs::Buttons::YesNo) == WindowDialogs::Answer::Yes;
}

void Form1::Esci_Click() {
    Guarded([this] {
        if (ConfirmExit()) {
            quitting_ = true;
            quit_();
        }
    });
}

void Form1::closeEvent(QCloseEvent* event) {
    // The close box asks the exit question too: unexported results live only here.
    if (quitting_) {
        event->accept();
        return;
    }
    bool confirmed = false;
    Guarded([this, &confirmed] { confirmed = ConfirmExit(); });
    if (confirmed) {
        quitting_ = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void Form1::Inizia_Click() {
    Guarded([this] { engine_->StartCalibration(); });
}

void Form1::picPicture_MouseDown(int /*button*/, int /*shift*/, float x, float y) {
    // Every button counts, with or without Shift, Ctrl or Alt.
    Guarded([this, x, y] { engine_->HandleClick(x, y); });
}

}  // namespace vardesca
