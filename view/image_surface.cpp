// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/image_surface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstring>

#include "picture/pixel_memory.h"

#include "view/zoom.h"

namespace vardesca {

namespace {

QColor FromBgr(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

int ButtonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int ShiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

}  // namespace

ImageSurface::ImageSurface(const TwipsScale& scale, QWidget* parent)
    : QWidget(parent), scale_(scale) {
    // The picture covers the whole widget; Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Pointer moves feed the loupe.
    setMouseTracking(true);
    refine_.setSingleShot(true);
    refine_.setInterval(0);
    connect(&refine_, &QTimer::timeout, this, [this] {
        // About 2 MB of reduced picture a slice: a few milliseconds.
        const int rows = std::max(16, (1 << 19) / std::max(1, picture_.width() / 2));
        if (pyramid_.Advance(zoom_, rows)) {
            update();
        } else {
            refine_.start();
        }
    });
}

void ImageSurface::SetPicture(QImage picture, double widthTwips, double heightTwips) {
    picture_ = std::move(picture);
    pyramid_.SetPicture(picture_);
    widthTwips_ = widthTwips;
    heightTwips_ = heightTwips;
    marks_.clear();
    labels_.clear();
    crossCentre_.reset();
    zoom_ = 1.0;
    resize(picture_.size());
    update();
}

void ImageSurface::ReleaseReducedCopies() {
    refine_.stop();
    pyramid_.SetPicture(picture_);
}

QSizeF ImageSurface::ZoomedSize() const {
    return QSizeF(picture_.size()) * zoom_;
}

void ImageSurface::SetZoom(double zoom) {
    if (zoom == zoom_) {
        return;
    }
    zoom_ = zoom;
    resize(ZoomedSize().toSize().expandedTo(QSize(1, 1)));
    update();
}

void ImageSurface::MoveTo(double leftTwips, double topTwips) {
    leftTwips_ = leftTwips;
    topTwips_ = topTwips;
    move(scale_.ToPixels(leftTwips), scale_.ToPixels(topTwips));
}

QPointF ImageSurface::ScreenA(const Mark& mark, double zoom) {
    return mark.arm ? mark.centre * zoom + mark.a : mark.a * zoom;
}

QPointF ImageSurface::ScreenB(const Mark& mark, double zoom) {
    return mark.arm ? mark.centre * zoom + mark.b : mark.b * zoom;
}

QRect ImageSurface::Bounds(const Mark& mark) const {
    const QPointF a = ScreenA(mark, zoom_);
    const QRectF box = mark.circle ? QRectF(a.x() - mark.radius, a.y() - mark.radius,
                                            2 * mark.radius, 2 * mark.radius)
                                   : QRectF(a, ScreenB(mark, zoom_)).normalized();
    return box.toAlignedRect().adjusted(-2, -2, 2, 2);
}

void ImageSurface::AddMark(Mark mark) {
    update(Bounds(mark));
    marks_.push_back(std::move(mark));
}

void ImageSurface::DrawCircle(float cx, float cy, float radius, std::uint32_t colour) {
    const QPointF centre = scale_.ToPixels(cx, cy);
    crossCentre_ = centre;
    AddMark({true, centre, {}, scale_.ToPixelsF(radius), FromBgr(colour), false, {}});
}

void ImageSurface::DrawLine(float xa, float ya, float xb, float yb, std::uint32_t colour) {
    const QPointF a = scale_.ToPixels(xa, ya);
    const QPointF b = scale_.ToPixels(xb, yb);
    // A level or upright line centred on the last circle is an arm of its cross.
    if (crossCentre_ && (a.x() == b.x() || a.y() == b.y())) {
        const QPointF middle = (a + b) / 2;
        const QPointF centre = *crossCentre_;
        if (std::abs(middle.x() - centre.x()) < 1e-3 && std::abs(middle.y() - centre.y()) < 1e-3) {
            AddMark({false, a - centre, b - centre, 0, FromBgr(colour), true, centre});
            return;
        }
    }
    crossCentre_.reset();
    AddMark({false, a, b, 0, FromBgr(colour), false, {}});
}

void ImageSurface::EraseMarks(std::size_t first, std::size_t count) {
    if (first >= marks_.size()) {
        return;
    }
    const auto begin = marks_.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = marks_.begin() + static_cast<std::ptrdiff_t>(std::min(marks_.size(), first + count));
    for (auto it = begin; it != end; ++it) {
        update(Bounds(*it));
    }
    marks_.erase(begin, end);
    crossCentre_.reset();
}

void ImageSurface::AddLabel(float xa, float ya, float xb, float yb, const QString& text,
                            std::uint32_t colour, int key) {
    labels_.push_back({scale_.ToPixels(xa, ya), scale_.ToPixels(xb, yb), text, FromBgr(colour), key});
    update(LabelBox(labels_.back(), zoom_).toAlignedRect().adjusted(-2, -2, 2, 2));
}

void ImageSurface::RemoveLabel(int key) {
    for (auto it = labels_.rbegin(); it != labels_.rend(); ++it) {
        if (it->key == key) {
            update(LabelBox(*it, zoom_).toAlignedRect().adjusted(-2, -2, 2, 2));
            labels_.erase(std::next(it).base());
            return;
        }
    }
}

void ImageSurface::SetLabelsVisible(bool visible) {
    labelsVisible_ = visible;
    update();
}

QFont ImageSurface::LabelFont(double size) const {
    QFont labelFont = font();
    if (size != 1.0) {
        if (labelFont.pixelSize() > 0) {
            labelFont.setPixelSize(static_cast<int>(std::lround(labelFont.pixelSize() * size)));
        } else {
            labelFont.setPointSizeF(labelFont.pointSizeF() * size);
        }
    }
    return labelFont;
}

QRectF ImageSurface::LabelBox(const Label& label, double zoom, double size) const {
    const QFontMetricsF metrics(LabelFont(size));
    const QPointF middle = (label.a + label.b) / 2 * zoom;
    // Up and to the right of the middle, clear of the line's own pixel.
    const QSizeF box(metrics.horizontalAdvance(label.text) + 2 * size, metrics.height());
    return {middle + QPointF(4 * size, -box.height() - 2 * size), box};
}

void ImageSurface::DrawLabel(QPainter& painter, const Label& label, double zoom, double size) const {
    const QFont labelFont = LabelFont(size);
    const QRectF box = LabelBox(label, zoom, size);
    const QPointF baseline(box.left() + size, box.top() + QFontMetricsF(labelFont).ascent());
    QPainterPath path;
    path.addText(baseline, labelFont, label.text);
    // A dark halo under the coloured text reads on light and dark photos alike.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.strokePath(path, QPen(QColor(0, 0, 0, 210), 3 * size, Qt::SolidLine, Qt::RoundCap,
                                  Qt::RoundJoin));
    painter.fillPath(path, label.colour);
    painter.restore();
}

QImage ImageSurface::Annotated() const {
    if (picture_.isNull()) {
        return {};
    }
    // A copy, so the shown picture stays clean; in huge pages, because for a
    // 48 MP photo the page faults of an ordinary copy cost half an encoding.
    const QImage::Format paintable = picture_.hasAlphaChannel()
                                         ? QImage::Format_ARGB32_Premultiplied
                                         : QImage::Format_RGB32;
    const QImage source =
        picture_.format() == paintable ? picture_ : picture_.convertToFormat(paintable);
    QImage out = MakePixelImage(source.width(), source.height(), paintable);
    if (out.isNull() || source.isNull()) {
        return {};
    }
    const auto rowBytes = static_cast<std::size_t>(source.width()) * 4;
    for (int y = 0; y < source.height(); ++y) {
        std::memcpy(out.scanLine(y), source.constScanLine(y), rowBytes);
    }
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // Marks and labels as they look on a screen of a thousand pixels showing the
    // whole photo: one pixel wide on a 24 MP photo would vanish in any viewer.
    const double size = std::max(1.0, std::min(out.width(), out.height()) / 1000.0);
    for (const Mark& mark : marks_) {
        DrawMark(painter, mark, 1.0, size);
    }
    for (const Label& label : labels_) {
        DrawLabel(painter, label, 1.0, size);
    }
    return out;
}

void ImageSurface::DrawPicture(QPainter& painter, const QRectF& area, double magnification) {
    const double shown = zoom_ * magnification;
    if (shown == 1.0 && magnification == 1.0) {
        // The natural size: pixels copied as they are.
        const QRect exposed = area.toAlignedRect();
        painter.drawImage(exposed, picture_, exposed);
        return;
    }
    const PicturePyramid::Level level = pyramid_.Best(shown);
    if (magnification == 1.0 && level.scale > std::ldexp(1.0, -pyramid_.WantedLevel(shown))) {
        refine_.start();  // drawn from a finer level for now
    }
    // From surface pixels to the level's pixels.
    const double f = zoom_ / level.scale;
    const QImage& image = *level.image;
    const int x0 = std::max(0, static_cast<int>(std::floor(area.left() / f)) - 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(area.top() / f)) - 1);
    const int x1 = std::min(image.width(), static_cast<int>(std::ceil(area.right() / f)) + 1);
    const int y1 = std::min(image.height(), static_cast<int>(std::ceil(area.bottom() / f)) + 1);
    if (x1 <= x0 || y1 <= y0) {
        return;
    }
    // Smaller than natural: filtered. Larger: sharp pixels, so that the user sees
    // exactly which pixel a click lands on.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, shown < 1.0);
    const QRect source(x0, y0, x1 - x0, y1 - y0);
    painter.drawImage(QRectF(x0 * f, y0 * f, source.width() * f, source.height() * f), image,
                      source);
}

void ImageSurface::DrawMark(QPainter& painter, const Mark& mark, double zoom, double size) {
    // Width 0 is Qt's one-pixel line; a larger size, a line that many pixels wide.
    painter.setPen(QPen(mark.colour, size == 1.0 ? 0.0 : size, Qt::SolidLine));
    if (mark.circle) {
        painter.drawEllipse(mark.a * zoom, mark.radius * size, mark.radius * size);
    } else if (mark.arm) {
        painter.drawLine(mark.centre * zoom + mark.a * size, mark.centre * zoom + mark.b * size);
    } else {
        painter.drawLine(mark.a * zoom, mark.b * zoom);
    }
}

void ImageSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    if (picture_.isNull()) {
        painter.fillRect(exposed, palette().color(QPalette::Mid));
    } else {
        // White under transparent pixels (GIF, icons), as a sheet of paper would be.
        if (picture_.hasAlphaChannel()) {
            painter.fillRect(exposed, Qt::white);
        }
        DrawPicture(painter, exposed, 1.0);
    }
    // One pixel wide, solid, no antialiasing: each drawn pixel takes the colour.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // Only the marks that touch what is being repainted: on a photo with
    // thousands of measurements a new mark repaints a few of them, not all.
    const QRegion& region = event->region();
    for (const Mark& mark : marks_) {
        const QRect bounds = Bounds(mark);
        if (!bounds.intersects(exposed) || !region.intersects(bounds)) {
            continue;
        }
        DrawMark(painter, mark, zoom_);
    }
    if (labelsVisible_) {
        for (const Label& label : labels_) {
            if (LabelBox(label, zoom_).toAlignedRect().adjusted(-2, -2, 2, 2).intersects(exposed)) {
                DrawLabel(painter, label, zoom_);
            }
        }
    }
}

void ImageSurface::RenderArea(QPainter& painter, const QRectF& area, double magnification) {
    if (picture_.isNull()) {
        painter.fillRect(area, palette().color(QPalette::Mid));
    } else {
        if (picture_.hasAlphaChannel()) {
            painter.fillRect(area, Qt::white);
        }
        DrawPicture(painter, area, magnification);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    const QRect touched = area.toAlignedRect();
    for (const Mark& mark : marks_) {
        if (Bounds(mark).intersects(touched)) {
            DrawMark(painter, mark, zoom_);
        }
    }
}

void ImageSurface::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    const double tpp = scale_.TwipsPerPixel();
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                   static_cast<float>(ScreenToPictureTwips(p.x(), zoom_, tpp)),
                   static_cast<float>(ScreenToPictureTwips(p.y(), zoom_, tpp)));
}

void ImageSurface::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
    // Qt's default turns the second press into another press; a habitual double
    // click would otherwise record a zero-length line.
}

void ImageSurface::mouseMoveEvent(QMouseEvent* event) {
    emit PointerMoved(event->position());
    QWidget::mouseMoveEvent(event);
}

void ImageSurface::leaveEvent(QEvent* event) {
    emit PointerLeft();
    QWidget::leaveEvent(event);
}

}  // namespace vardesca
