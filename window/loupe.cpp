// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/loupe.h"

#include <QEvent>
#include <QPainter>

#include "view/image_surface.h"

namespace vardesca {

Loupe::Loupe(ImageSurface& surface, QWidget* viewport) : QWidget(viewport), surface_(surface) {
    setObjectName(QStringLiteral("loupe"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    resize(kSide, kSide);
    hide();
    connect(&surface_, &ImageSurface::PointerMoved, this, [this](QPointF onSurface) {
        pointer_ = onSurface + QPointF(surface_.pos());
        Refresh();
    });
    connect(&surface_, &ImageSurface::PointerLeft, this, [this] {
        pointer_.reset();
        hide();
    });
    // A scroll moves the surface and a zoom resizes it: the pointer stays where
    // it is on the screen, over another part of the photo.
    surface_.installEventFilter(this);
}

bool Loupe::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &surface_ &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        Refresh();
    }
    return QWidget::eventFilter(watched, event);
}

void Loupe::Toggle() {
    enabled_ = !enabled_;
    Refresh();
}

QRect Loupe::PlaceFor(QSize viewport, QPointF pointer) {
    // The corner diagonally across from the pointer's quarter of the viewport.
    const int x = pointer.x() < viewport.width() / 2.0 ? viewport.width() - kSide : 0;
    const int y = pointer.y() < viewport.height() / 2.0 ? viewport.height() - kSide : 0;
    const QRect place(x, y, kSide, kSide);
    // In a viewport too small for it, it would cover the very point being aimed at.
    const QRectF keepClear(pointer.x() - kArea / 2.0, pointer.y() - kArea / 2.0, kArea, kArea);
    if (x < 0 || y < 0 || QRectF(place).intersects(keepClear)) {
        return {};
    }
    return place;
}

void Loupe::Refresh() {
    if (!enabled_ || !pointer_ || surface_.Picture().isNull()) {
        hide();
        return;
    }
    const QPointF onSurface = *pointer_ - QPointF(surface_.pos());
    if (!QRectF(QPointF(0, 0), QSizeF(surface_.size())).contains(onSurface)) {
        hide();
        return;
    }
    const QRect place = PlaceFor(parentWidget()->size(), *pointer_);
    if (place.isEmpty()) {
        hide();
        return;
    }
    centre_ = point_.value_or(onSurface);
    if (geometry() != place) {
        setGeometry(place);
    }
    raise();
    show();
    update();
}

void Loupe::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    painter.save();
    painter.setClipRect(inner);
    // Surface pixels around the pointer, eight times larger, the pointer at the
    // centre of the inset.
    const QPointF c(inner.x() + inner.width() / 2.0, inner.y() + inner.height() / 2.0);
    painter.translate(c);
    painter.scale(kMagnification, kMagnification);
    painter.translate(-centre_);
    const QRectF area(centre_.x() - kArea / 2.0, centre_.y() - kArea / 2.0, kArea, kArea);
    surface_.RenderArea(painter, area, kMagnification);
    painter.restore();

    // The crosshair: two contrasting lines with a gap, so the pixel itself shows.
    // The pointer's pixel lies right of and below the centre; the gap leaves it
    // clear of the three-pixel dark line too.
    const double gap = kMagnification + 2;
    const auto cross = [&](const QPen& pen) {
        painter.setPen(pen);
        painter.drawLine(QPointF(inner.left(), c.y()), QPointF(c.x() - gap, c.y()));
        painter.drawLine(QPointF(c.x() + gap, c.y()), QPointF(inner.right() + 1, c.y()));
        painter.drawLine(QPointF(c.x(), inner.top()), QPointF(c.x(), c.y() - gap));
        painter.drawLine(QPointF(c.x(), c.y() + gap), QPointF(c.x(), inner.bottom() + 1));
    };
    cross(QPen(Qt::black, 3));
    cross(QPen(Qt::white, 1));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vardesca
