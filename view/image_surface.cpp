#include "view/image_surface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

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
}

void ImageSurface::SetPicture(QImage picture, double widthTwips, double heightTwips) {
    picture_ = std::move(picture);
    widthTwips_ = widthTwips;
    heightTwips_ = heightTwips;
    marks_.clear();
    resize(picture_.size());
    update();
}

void ImageSurface::MoveTo(double leftTwips, double topTwips) {
    leftTwips_ = leftTwips;
    topTwips_ = topTwips;
    move(scale_.ToPixels(leftTwips), scale_.ToPixels(topTwips));
}

void ImageSurface::AddMark(Mark mark) {
    update(mark.bounds);
    marks_.push_back(std::move(mark));
}

void ImageSurface::DrawCircle(float cx, float cy, float radius, std::uint32_t colour) {
    const QPointF centre = scale_.ToPixels(cx, cy);
    const double r = scale_.ToPixelsF(radius);
    const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    AddMark({true, centre, {}, r, FromBgr(colour), box.toAlignedRect().adjusted(-2, -2, 2, 2)});
}

void ImageSurface::DrawLine(float xa, float ya, float xb, float yb, std::uint32_t colour) {
    const QPointF a = scale_.ToPixels(xa, ya);
    const QPointF b = scale_.ToPixels(xb, yb);
    const QRectF box = QRectF(a, b).normalized();
    AddMark({false, a, b, 0, FromBgr(colour), box.toAlignedRect().adjusted(-2, -2, 2, 2)});
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
        painter.drawImage(exposed, picture_, exposed);
    }
    // One pixel wide, solid, no antialiasing: each drawn pixel takes the colour.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // Only the marks that touch what is being repainted: on a photo with
    // thousands of measurements a new mark repaints a few of them, not all.
    const QRegion& region = event->region();
    for (const Mark& mark : marks_) {
        if (!mark.bounds.intersects(exposed) || !region.intersects(mark.bounds)) {
            continue;
        }
        painter.setPen(QPen(mark.colour, 0, Qt::SolidLine));
        if (mark.circle) {
            painter.drawEllipse(mark.a, mark.radius, mark.radius);
        } else {
            painter.drawLine(mark.a, mark.b);
        }
    }
}

void ImageSurface::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                   static_cast<float>(scale_.ToTwips(p.x())),
                   static_cast<float>(scale_.ToTwips(p.y())));
}

}  // namespace vardesca
