// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/controls.h"

#include <algorithm>

#include <QScreen>

#include <QGuiApplication>
#include "text/ui_text.h"

namespace vardesca {

QPushButton* MakeButton(const char* caption, QWidget* parent, const char* name) {
    auto* button = new QPushButton(UiText(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QScrollBar* MakeScrollBar(Qt::Orientation orientation, QWidget* parent, const char* name) {
    auto* bar = Named(new QScrollBar(orientation, parent), name);
    bar->setRange(0, 0);
    bar->setSingleStep(500);
    bar->setPageStep(1);
    bar->setVisible(false);
    bar->setEnabled(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

void FitOnScreen(QWidget& window) {
    // A size saved on a larger monitor, or a place on a screen no longer
    // there: the window is made to fit the screen it opens on, with its title
    // bar and its buttons on it.
    QScreen* screen = QGuiApplication::screenAt(window.geometry().center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr || window.isMaximized() || window.isFullScreen()) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    const QSize margins = frame.size() - window.geometry().size();
    const QSize size = window.geometry().size().boundedTo(area.size() - margins);
    if (size != window.geometry().size()) {
        window.resize(size);
    }
    // Its minimum size may still not fit: then its top left corner is kept on.
    const QSize outer = window.size() + margins;
    const int x = std::clamp(frame.x(), area.left(),
                             std::max(area.left(), area.left() + area.width() - outer.width()));
    const int y = std::clamp(frame.y(), area.top(),
                             std::max(area.top(), area.top() + area.height() - outer.height()));
    if (QPoint(x, y) != frame.topLeft()) {
        window.move(x, y);
    }
}

void SetTabOrder(const QList<QWidget*>& widgets) {
    for (qsizetype i = 1; i < widgets.size(); ++i) {
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
    }
}

}  // namespace vardesca
