#include "window/form1.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <new>

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
      locale_(locale),
      scale_(TwipsScale::ForScreen(QGuiApplication::primaryScreen())),
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

    connect(Inizia, &QPushButton::clicked, this, [this] { Inizia_Click(); });
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
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
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
    layout_ = ComputeLayout(static_cast<float>(scale_.ToTwips(outer.width())),
                            static_cast<float>(scale_.ToTwips(outer.height())));
    const auto place = [this](QWidget* widget, const ControlGeometry& g) {
        widget->setGeometry(scale_.ToPixels(g.left, g.top, g.width, g.height));
    };
    place(picContainer, layout_.picContainer);
    VScroll1->setVisible(layout_.scrollBarsVisible);
    place(VScroll1, layout_.vScroll1);
    HScroll1->setVisible(layout_.scrollBarsVisible);
    place(HScroll1, layout_.hScroll1);
    place(Text1, layout_.text1);
    place(CopiaDati, layout_.copiaDati);
    place(cmdOpen, layout_.cmdOpen);
    place(Inizia, layout_.inizia);
    place(Resetta, layout_.resetta);
    place(Info, layout_.info);
    place(Esci, layout_.esci);
}

void Form1::Inizia_Click() {
    Guarded([this] { engine_->StartCalibration(); });
}

void Form1::picPicture_MouseDown(int /*button*/, int /*shift*/, float x, float y) {
    // Every button counts, with or without Shift, Ctrl or Alt.
    Guarded([this, x, y] { engine_->HandleClick(x, y); });
}

}  // namespace vardesca
