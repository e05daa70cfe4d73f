// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/photo_drop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace vardesca {

PhotoDrop::PhotoDrop(QWidget& window, std::function<void(const QString&)> open)
    : QObject(&window), open_(std::move(open)) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

QString PhotoDrop::DroppedFile(const QMimeData& data) {
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

bool PhotoDrop::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (!DroppedFile(*enter->mimeData()).isEmpty()) {
            enter->acceptProposedAction();
        }
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = DroppedFile(*drop->mimeData());
        if (!path.isEmpty()) {
            drop->acceptProposedAction();
            open_(path);
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vardesca
