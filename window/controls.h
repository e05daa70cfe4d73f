// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>
#include <QScrollBar>
#include <QWidget>

namespace vardesca {

// The window's controls made as its design has them: named, so a test or a
// screen reader finds each by the design's name.

// A push button that is never the default one: Enter in the results box types a
// new line and must not press a button.
[[nodiscard]] QPushButton* MakeButton(const char* caption, QWidget* parent, const char* name);

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A scroll bar counts in twips. The arrow step is 500 twips, so that arrows and
// the mouse wheel move the picture visibly; the page step is what the viewport
// shows, set with the range (PhotoViewport), so that a click in the trough
// pages through the picture and the thumb shows how much of it is in view.
[[nodiscard]] QScrollBar* MakeScrollBar(Qt::Orientation orientation, QWidget* parent,
                                        const char* name);

// Tab and Shift+Tab go through `widgets` in this order.
void SetTabOrder(const QList<QWidget*>& widgets);

// A window restored to a size or a place its screen no longer has is made to
// fit the screen it opens on.
void FitOnScreen(QWidget& window);

}  // namespace vardesca
