// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/column_handle.h"

#include <QMouseEvent>

namespace vardesca {

ColumnHandle::ColumnHandle(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SplitHCursor);
    setObjectName(QStringLiteral("ColumnHandle"));
}

void ColumnHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return QWidget::mousePressEvent(event);
    }
    grip_ = event->position().x() - width() / 2.0;
    dragging_ = true;
}

void ColumnHandle::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        emit Dragged(mapToParent(event->position()).x() - grip_);
    }
}

void ColumnHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        emit Released();
    }
}

}  // namespace vardesca
