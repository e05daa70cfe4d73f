// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/photo_viewport.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "view/zoom.h"

namespace vardesca {

PhotoViewport::PhotoViewport(QWidget& viewport, ImageSurface& surface, QScrollBar& hBar,
                             QScrollBar& vBar, const TwipsScale& scale, Guard guard)
    : QObject(&viewport),
      viewport_(viewport),
      surface_(surface),
      hBar_(hBar),
      vBar_(vBar),
      scale_(scale),
      guard_(std::move(guard)) {
    viewport_.installEventFilter(this);
    surface_.installEventFilter(this);
}

void PhotoViewport::ShowNewPicture() {
    fitted_ = false;
    surface_.MoveTo(0, 0);
    // At 100 %, from the viewport as it stands on the screen, in whole pixels: a
    // picture that fits what the user sees needs no bar.
    ComputeZoomedRanges();
    ApplyScrollRange(hBar_, hRange_);
    ApplyScrollRange(vBar_, vRange_);
}

void PhotoViewport::ApplyScrollRange(QScrollBar& bar, const ScrollRange& range) {
    bar.setEnabled(range.enabled);
    // A bar whose value no longer fits is clamped without moving the picture:
    // after a load the picture stands at the top left until a bar is moved.
    const QSignalBlocker quiet(&bar);
    bar.setMaximum(static_cast<int>(std::clamp<std::int64_t>(range.max, 0, INT_MAX)));
    // The page step is what the viewport shows, so that a click in the trough
    // pages through the picture and the thumb shows how much of it is in view.
    const int visible = bar.orientation() == Qt::Horizontal ? viewport_.width() : viewport_.height();
    bar.setPageStep(std::max(1, static_cast<int>(scale_.ToTwips(visible))));
}

void PhotoViewport::HorizontalBarMoved() {
    surface_.MoveTo(-static_cast<double>(hBar_.value()), surface_.TopTwips());
}

void PhotoViewport::VerticalBarMoved() {
    surface_.MoveTo(surface_.LeftTwips(), -static_cast<double>(vBar_.value()));
}

void PhotoViewport::ZoomAround(double zoom, QPointF anchor) {
    if (!HasPicture()) {
        return;
    }
    // A picture point p (picture pixels) stands in the viewport at e + p·z, e
    // being the surface's edge and z the zoom. For the point under the anchor a
    // to stay under it when z becomes z':
    //     a = e + p·z = e' + p·z'   ⇒   p = (a − e) / z,   e' = a − (a − e) · z'/z,
    // on each axis (AnchoredOffset); the bars then hold e' as far as they reach.
    const double from = surface_.Zoom();
    const double to = ClampZoom(zoom);
    const QPointF edge(surface_.pos());
    const QPointF newEdge(AnchoredOffset(edge.x(), anchor.x(), from, to),
                          AnchoredOffset(edge.y(), anchor.y(), from, to));
    surface_.SetZoom(to);
    PlaceSurface(newEdge);
    emit ZoomChanged(to);
}

void PhotoViewport::ZoomInStep() {
    fitted_ = false;
    ZoomAround(ZoomIn(surface_.Zoom()), QRectF(viewport_.rect()).center());
}

void PhotoViewport::ZoomOutStep() {
    fitted_ = false;
    ZoomAround(ZoomOut(surface_.Zoom()), QRectF(viewport_.rect()).center());
}

void PhotoViewport::Fit() {
    if (!HasPicture()) {
        return;
    }
    const QSize picture = surface_.Picture().size();
    fitted_ = true;
    ZoomAround(FitZoom(picture.width(), picture.height(), viewport_.width(), viewport_.height()),
               {0, 0});
}

void PhotoViewport::NaturalSize() {
    fitted_ = false;
    ZoomAround(1.0, QRectF(viewport_.rect()).center());
}

void PhotoViewport::ComputeZoomedRanges() {
    const double zoom = surface_.Zoom();
    hRange_ = ComputeScrollRange(surface_.WidthTwips() * zoom, scale_.ToTwips(viewport_.width()));
    vRange_ = ComputeScrollRange(surface_.HeightTwips() * zoom, scale_.ToTwips(viewport_.height()));
}

void PhotoViewport::PlaceSurface(QPointF edge) {
    const double tpp = scale_.TwipsPerPixel();
    const QSizeF zoomed = surface_.ZoomedSize();
    ComputeZoomedRanges();
    // At 100 % a picture that fits stands at the top left, as a load puts it;
    // at any other zoom it is centred.
    const bool centre = fitted_ || surface_.Zoom() != 1.0;
    const auto axis = [&](QScrollBar& bar, const ScrollRange& range, double edgePx,
                          double zoomedPx, int viewportPx) {
        ApplyScrollRange(bar, range);
        const QSignalBlocker quiet(&bar);
        if (!range.enabled) {
            bar.setValue(0);
            return centre ? (viewportPx - zoomedPx) / 2.0 * tpp : 0.0;
        }
        bar.setValue(static_cast<int>(std::clamp<double>(std::nearbyint(-edgePx * tpp), 0,
                                                         static_cast<double>(bar.maximum()))));
        return -static_cast<double>(bar.value());
    };
    const double left = axis(hBar_, hRange_, edge.x(), zoomed.width(), viewport_.width());
    const double top = axis(vBar_, vRange_, edge.y(), zoomed.height(), viewport_.height());
    surface_.MoveTo(left, top);
}

void PhotoViewport::FollowViewport() {
    if (!HasPicture()) {
        return;
    }
    if (fitted_) {
        Fit();
        return;
    }
    ComputeZoomedRanges();
    for (auto [bar, range] : {std::pair{&hBar_, hRange_}, std::pair{&vBar_, vRange_}}) {
        const int before = bar->value();
        ApplyScrollRange(*bar, range);
        // A value that no longer fits was clamped quietly; the picture follows it.
        if (bar->value() != before) {
            bar == &hBar_ ? HorizontalBarMoved() : VerticalBarMoved();
        }
    }
    if (surface_.Zoom() != 1.0) {
        const QSizeF zoomed = surface_.ZoomedSize();
        const double tpp = scale_.TwipsPerPixel();
        double left = surface_.LeftTwips();
        double top = surface_.TopTwips();
        if (!hRange_.enabled) {
            left = (viewport_.width() - zoomed.width()) / 2.0 * tpp;
        }
        if (!vRange_.enabled) {
            top = (viewport_.height() - zoomed.height()) / 2.0 * tpp;
        }
        surface_.MoveTo(left, top);
    }
}

void PhotoViewport::ScrollBy(QScrollBar& bar, double twips) {
    if (!bar.isEnabled()) {
        return;
    }
    const double target = std::clamp(bar.value() + twips, static_cast<double>(bar.minimum()),
                                     static_cast<double>(bar.maximum()));
    bar.setValue(static_cast<int>(std::nearbyint(target)));
}

void PhotoViewport::ArrowStep(int dx, int dy) {
    if (dx != 0) {
        ScrollBy(hBar_, static_cast<double>(dx) * hBar_.singleStep());
    }
    if (dy != 0) {
        ScrollBy(vBar_, static_cast<double>(dy) * vBar_.singleStep());
    }
}

bool PhotoViewport::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && (watched == &viewport_ || watched == &surface_)) {
        const auto& wheel = static_cast<const QWheelEvent&>(*event);
        const QPointF inViewport = watched == &surface_
                                       ? wheel.position() + QPointF(surface_.pos())
                                       : wheel.position();
        guard_([this, &wheel, inViewport] { Wheel(wheel, inViewport); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PhotoViewport::Wheel(const QWheelEvent& event, QPointF inViewport) {
    if (event.modifiers().testFlag(Qt::ControlModifier)) {
        // One rung for each notch (120 eighths of a degree), however the wheel
        // delivers them.
        zoomWheel_ += event.angleDelta().y();
        while (std::abs(zoomWheel_) >= 120) {
            const bool in = zoomWheel_ > 0;
            zoomWheel_ += in ? -120 : 120;
            fitted_ = false;
            ZoomAround(in ? ZoomIn(surface_.Zoom()) : ZoomOut(surface_.Zoom()), inViewport);
        }
        return;
    }
    double dx = 0;
    double dy = 0;
    const double tpp = scale_.TwipsPerPixel();
    if (!event.pixelDelta().isNull()) {
        // A touchpad says how far the content should move, in screen pixels.
        dx = -event.pixelDelta().x() * tpp;
        dy = -event.pixelDelta().y() * tpp;
    } else {
        // A wheel notch moves the desktop's number of lines, a line being an
        // arrow step of the bar.
        const double lines = QApplication::wheelScrollLines();
        dx = -event.angleDelta().x() / 120.0 * lines * hBar_.singleStep();
        dy = -event.angleDelta().y() / 120.0 * lines * vBar_.singleStep();
    }
    if (event.modifiers().testFlag(Qt::ShiftModifier) && dx == 0) {
        std::swap(dx, dy);
    }
    ScrollBy(hBar_, dx);
    ScrollBy(vBar_, dy);
}

}  // namespace vardesca
