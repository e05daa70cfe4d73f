// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/photo_viewport.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QNativeGestureEvent>
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
    heldAnchor_.reset();
    hBeyond_ = false;
    vBeyond_ = false;
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
    bar.setRange(0, static_cast<int>(std::clamp<std::int64_t>(range.max, 0, INT_MAX)));
    // The page step is what the viewport shows, so that a click in the trough
    // pages through the picture and the thumb shows how much of it is in view.
    const int visible = bar.orientation() == Qt::Horizontal ? viewport_.width() : viewport_.height();
    bar.setPageStep(std::max(1, static_cast<int>(scale_.ToTwips(visible))));
}

void PhotoViewport::HorizontalBarMoved() {
    heldAnchor_.reset();
    const double left = hBeyond_ ? -ComeBack(hBar_, hRange_, Usual(Qt::Horizontal), hBeyond_)
                                 : -static_cast<double>(hBar_.value());
    surface_.MoveTo(left, surface_.TopTwips());
}

void PhotoViewport::VerticalBarMoved() {
    heldAnchor_.reset();
    const double top = vBeyond_ ? -ComeBack(vBar_, vRange_, Usual(Qt::Vertical), vBeyond_)
                                : -static_cast<double>(vBar_.value());
    surface_.MoveTo(surface_.LeftTwips(), top);
}

PhotoViewport::UsualValues PhotoViewport::Usual(Qt::Orientation axis) const {
    const bool horizontal = axis == Qt::Horizontal;
    const ScrollRange& range = horizontal ? hRange_ : vRange_;
    if (range.enabled) {
        return {0.0, static_cast<double>(range.max)};
    }
    // At 100 % a picture that fits stands at the top left, as a load puts it;
    // at any other zoom it is centred.
    if (!fitted_ && surface_.Zoom() == 1.0) {
        return {0.0, 0.0};
    }
    const QSizeF zoomed = surface_.ZoomedSize();
    const double gap = horizontal ? viewport_.width() - zoomed.width()
                                  : viewport_.height() - zoomed.height();
    const double value = -gap / 2.0 * scale_.TwipsPerPixel();
    return {value, value};
}

double PhotoViewport::ComeBack(QScrollBar& bar, const ScrollRange& range, UsualValues usual,
                               bool& beyond) {
    const int value = bar.value();
    const int lo = static_cast<int>(std::floor(usual.lo));
    const int hi = static_cast<int>(std::ceil(usual.hi));
    if (value >= lo && value <= hi) {
        // Back within the usual limits: they hold again.
        beyond = false;
        ApplyScrollRange(bar, range);
        if (!range.enabled) {
            const QSignalBlocker quiet(&bar);
            bar.setValue(0);
            return usual.lo;
        }
        return value;
    }
    // The room beyond the picture's edge shrinks as the picture comes back,
    // and never grows by scrolling.
    const QSignalBlocker quiet(&bar);
    bar.setRange(std::min(value, lo), std::max(value, hi));
    return value;
}

void PhotoViewport::ZoomAround(double zoom, QPointF anchor) {
    ZoomTo(zoom, anchor, true);
}

void PhotoViewport::ZoomTo(double zoom, QPointF anchor, bool keepPoint) {
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
    // The picture stands on whole pixels, within half a pixel of where it
    // should. A first notch keeps the point seen under the pointer; the next
    // ones around the same place keep that same point, not the one each
    // rounding left there, which would drift by up to half a pixel a notch.
    const double tpp = scale_.TwipsPerPixel();
    const bool samePoint = keepPoint && heldAnchor_ == anchor;
    const QPointF edge = samePoint ? QPointF(surface_.LeftTwips() / tpp, surface_.TopTwips() / tpp)
                                   : QPointF(surface_.pos());
    heldAnchor_ = keepPoint ? std::optional<QPointF>(anchor) : std::nullopt;
    const QPointF newEdge(AnchoredOffset(edge.x(), anchor.x(), from, to),
                          AnchoredOffset(edge.y(), anchor.y(), from, to));
    surface_.SetZoom(to);
    PlaceSurface(newEdge, keepPoint);
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
    ZoomTo(FitZoom(picture.width(), picture.height(), viewport_.width(), viewport_.height()),
           {0, 0}, false);
}

void PhotoViewport::NaturalSize() {
    fitted_ = false;
    ZoomTo(1.0, QRectF(viewport_.rect()).center(), false);
}

void PhotoViewport::ComputeZoomedRanges() {
    const double zoom = surface_.Zoom();
    hRange_ = ComputeScrollRange(surface_.WidthTwips() * zoom, scale_.ToTwips(viewport_.width()));
    vRange_ = ComputeScrollRange(surface_.HeightTwips() * zoom, scale_.ToTwips(viewport_.height()));
}

void PhotoViewport::PlaceSurface(QPointF edge, bool keepPoint) {
    const double tpp = scale_.TwipsPerPixel();
    ComputeZoomedRanges();
    const auto axis = [&](QScrollBar& bar, const ScrollRange& range, UsualValues usual,
                          double edgePx, bool& beyond) {
        const double want = -edgePx * tpp;  // the bar's value that puts the edge there
        // Within a quarter pixel of the limits is within them: no bar for a
        // sliver of grey.
        const double slack = tpp / 4;
        beyond = keepPoint && (want < usual.lo - slack || want > usual.hi + slack);
        if (beyond) {
            // The point stays under the pointer, even if grey shows beyond the
            // picture's edge for it; the bar reaches as far as the picture stands.
            const int value = static_cast<int>(
                std::nearbyint(std::clamp<double>(want, INT_MIN / 2, INT_MAX / 2)));
            ApplyScrollRange(bar, range);
            const QSignalBlocker quiet(&bar);
            bar.setEnabled(true);
            bar.setRange(std::min(value, static_cast<int>(std::floor(usual.lo))),
                         std::max(value, static_cast<int>(std::ceil(usual.hi))));
            bar.setValue(value);
            return -static_cast<double>(value);
        }
        ApplyScrollRange(bar, range);
        const QSignalBlocker quiet(&bar);
        if (!range.enabled) {
            bar.setValue(0);
            return -usual.lo;
        }
        bar.setValue(static_cast<int>(std::clamp<double>(std::nearbyint(want), 0,
                                                         static_cast<double>(bar.maximum()))));
        return -static_cast<double>(bar.value());
    };
    const double left = axis(hBar_, hRange_, Usual(Qt::Horizontal), edge.x(), hBeyond_);
    const double top = axis(vBar_, vRange_, Usual(Qt::Vertical), edge.y(), vBeyond_);
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
    // A new size of the viewport brings the usual limits back.
    heldAnchor_.reset();
    hBeyond_ = false;
    vBeyond_ = false;
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
    if (event->type() == QEvent::NativeGesture && (watched == &viewport_ || watched == &surface_)) {
        const auto& gesture = static_cast<const QNativeGestureEvent&>(*event);
        const QPointF inViewport = watched == &surface_
                                       ? gesture.position() + QPointF(surface_.pos())
                                       : gesture.position();
        const Qt::NativeGestureType type = gesture.gestureType();
        const double value = gesture.value();
        guard_([this, type, value, inViewport] { Pinch(type, value, inViewport); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PhotoViewport::Pinch(Qt::NativeGestureType type, double value, QPointF inViewport) {
    if (type == Qt::BeginNativeGesture || type == Qt::EndNativeGesture) {
        pinchScale_ = 1.0;
        return;
    }
    if (type != Qt::ZoomNativeGesture) {
        return;
    }
    // The fingers' spread, gathered until it makes a rung of the ladder (√2),
    // so that a pinch lands on the same zooms as the wheel.
    pinchScale_ *= 1.0 + value;
    const double rung = std::sqrt(2.0);
    while (pinchScale_ >= rung || pinchScale_ <= 1.0 / rung) {
        const bool in = pinchScale_ >= rung;
        pinchScale_ = in ? pinchScale_ / rung : pinchScale_ * rung;
        fitted_ = false;
        ZoomAround(in ? ZoomIn(surface_.Zoom()) : ZoomOut(surface_.Zoom()), inViewport);
    }
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
