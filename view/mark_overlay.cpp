// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/mark_overlay.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <limits>

namespace vardesca {

namespace {

QPointF ScreenA(const MarkOverlay::Mark& mark, double zoom) {
    return mark.arm ? mark.centre * zoom + mark.a : mark.a * zoom;
}

QPointF ScreenB(const MarkOverlay::Mark& mark, double zoom) {
    return mark.arm ? mark.centre * zoom + mark.b : mark.b * zoom;
}

}  // namespace

QRect MarkOverlay::Bounds(const Mark& mark, double zoom) {
    const QPointF a = ScreenA(mark, zoom);
    const QRectF box = mark.circle ? QRectF(a.x() - mark.radius, a.y() - mark.radius,
                                            2 * mark.radius, 2 * mark.radius)
                                   : QRectF(a, ScreenB(mark, zoom)).normalized();
    return box.toAlignedRect().adjusted(-2, -2, 2, 2);
}

QRect MarkOverlay::Add(Mark mark, double zoom) {
    marks_.push_back(std::move(mark));
    return Bounds(marks_.back(), zoom);
}

QRect MarkOverlay::AddCircle(QPointF centre, double radius, QColor colour, double zoom) {
    crossCentre_ = centre;
    return Add({true, centre, {}, radius, colour, false, {}}, zoom);
}

MarkOverlay::Mark MarkOverlay::LineMark(QPointF a, QPointF b, QColor colour,
                                        std::optional<QPointF> circle) {
    if (circle && (a.x() == b.x() || a.y() == b.y())) {
        const QPointF middle = (a + b) / 2;
        const QPointF centre = *circle;
        if (std::abs(middle.x() - centre.x()) < 1e-3 && std::abs(middle.y() - centre.y()) < 1e-3) {
            return {false, a - centre, b - centre, 0, colour, true, centre};
        }
    }
    return {false, a, b, 0, colour, false, {}};
}

QRect MarkOverlay::AddLine(QPointF a, QPointF b, QColor colour, double zoom) {
    Mark mark = LineMark(a, b, colour, crossCentre_);
    if (!mark.arm) {
        crossCentre_.reset();
    }
    return Add(std::move(mark), zoom);
}

std::optional<QRect> MarkOverlay::Replace(std::size_t index, Mark mark, double zoom) {
    if (index >= marks_.size()) {
        return std::nullopt;
    }
    const QRect old = Bounds(marks_[index], zoom);
    marks_[index] = std::move(mark);
    return old | Bounds(marks_[index], zoom);
}

std::optional<QRect> MarkOverlay::ReplaceCircle(std::size_t index, QPointF centre, double radius,
                                                QColor colour, double zoom) {
    if (index < marks_.size() && crossCentre_ && marks_[index].circle &&
        marks_[index].a == *crossCentre_) {
        crossCentre_ = centre;  // the next arms added belong to it
    }
    return Replace(index, {true, centre, {}, radius, colour, false, {}}, zoom);
}

std::optional<QRect> MarkOverlay::ReplaceLine(std::size_t index, QPointF a, QPointF b,
                                              QColor colour, double zoom) {
    // The circle of the point this line would be an arm of: one or two marks before.
    std::optional<QPointF> circle;
    for (std::size_t back = 1; back <= 2 && back <= index; ++back) {
        if (index - back < marks_.size() && marks_[index - back].circle) {
            circle = marks_[index - back].a;
            break;
        }
    }
    return Replace(index, LineMark(a, b, colour, circle), zoom);
}

QRegion MarkOverlay::Erase(std::size_t first, std::size_t count, double zoom) {
    QRegion touched;
    if (first >= marks_.size()) {
        return touched;
    }
    const auto begin = marks_.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end =
        marks_.begin() + static_cast<std::ptrdiff_t>(std::min(marks_.size(), first + count));
    for (auto it = begin; it != end; ++it) {
        touched += Bounds(*it, zoom);
    }
    marks_.erase(begin, end);
    crossCentre_.reset();
    return touched;
}

void MarkOverlay::Clear() {
    marks_.clear();
    labels_.clear();
    crossCentre_.reset();
    selection_.reset();
}

namespace {
// Outside a point's circle and the arms of its cross, at every zoom.
constexpr double kSelectionRadius = 11.0;
}  // namespace

QRect MarkOverlay::SelectionBounds(QPointF point, double zoom) {
    const double r = kSelectionRadius + 3.0;
    return QRectF(point.x() * zoom - r, point.y() * zoom - r, 2 * r, 2 * r).toAlignedRect();
}

QRect MarkOverlay::SetSelection(std::optional<QPointF> point, double zoom) {
    QRect touched;
    if (selection_) {
        touched = SelectionBounds(*selection_, zoom);
    }
    selection_ = point;
    if (selection_) {
        touched |= SelectionBounds(*selection_, zoom);
    }
    return touched;
}

QRect MarkOverlay::MoveLabel(int key, QPointF a, QPointF b, double zoom) {
    for (auto it = labels_.rbegin(); it != labels_.rend(); ++it) {
        if (it->key == key) {
            QRect bounds = LabelBounds(*it, zoom);
            it->a = a;
            it->b = b;
            return bounds | LabelBounds(*it, zoom);
        }
    }
    return {};
}

QRect MarkOverlay::AddLabel(QPointF a, QPointF b, const QString& text, QColor colour, int key,
                            double zoom) {
    labels_.push_back({a, b, text, colour, key});
    return LabelBounds(labels_.back(), zoom);
}

QRect MarkOverlay::RemoveLabel(int key, double zoom) {
    for (auto it = labels_.rbegin(); it != labels_.rend(); ++it) {
        if (it->key == key) {
            const QRect bounds = LabelBounds(*it, zoom);
            labels_.erase(std::next(it).base());
            return bounds;
        }
    }
    return {};
}

QFont MarkOverlay::LabelFont(double size) const {
    QFont labelFont = font_;
    if (size != 1.0) {
        if (labelFont.pixelSize() > 0) {
            labelFont.setPixelSize(static_cast<int>(std::lround(labelFont.pixelSize() * size)));
        } else {
            labelFont.setPointSizeF(labelFont.pointSizeF() * size);
        }
    }
    return labelFont;
}

namespace {

// How far `from` (photo pixels) is from the edge of a picture of `size` going
// along `direction` (a unit vector).
double RoomAlong(QPointF from, QPointF direction, QSizeF size) {
    double room = std::numeric_limits<double>::infinity();
    if (direction.x() != 0) {
        room = std::min(room, (direction.x() > 0 ? size.width() - from.x() : from.x()) /
                                  std::abs(direction.x()));
    }
    if (direction.y() != 0) {
        room = std::min(room, (direction.y() > 0 ? size.height() - from.y() : from.y()) /
                                  std::abs(direction.y()));
    }
    return room;
}

}  // namespace

QRectF MarkOverlay::LabelBox(const Label& label, double zoom, double size) const {
    const QFontMetricsF metrics(LabelFont(size));
    const QSizeF box(metrics.horizontalAdvance(label.text) + 2 * size, metrics.height());
    // Beside the segment's middle, on the side of the segment where the
    // picture has more room (above, or right of an upright one, when even),
    // clear of the line: never over the line nor its end points.
    const QPointF along = label.b - label.a;
    const double length = std::hypot(along.x(), along.y());
    QPointF side = length > 0 ? QPointF(along.y(), -along.x()) / length : QPointF(0, -1);
    if (side.y() > 0 || (side.y() == 0 && side.x() < 0)) {
        side = -side;
    }
    const QPointF middle = (label.a + label.b) / 2;
    if (!pictureSize_.isEmpty() &&
        RoomAlong(middle, -side, pictureSize_) > RoomAlong(middle, side, pictureSize_)) {
        side = -side;
    }
    const double gap = 5 * size;
    const double reach =
        gap + (std::abs(side.x()) * box.width() + std::abs(side.y()) * box.height()) / 2;
    const QPointF centre = middle * zoom + side * reach;
    return {centre - QPointF(box.width() / 2, box.height() / 2), box};
}

QRect MarkOverlay::LabelBounds(const Label& label, double zoom) const {
    return LabelBox(label, zoom).toAlignedRect().adjusted(-3, -3, 3, 3);
}

void MarkOverlay::DrawLabel(QPainter& painter, const Label& label, double zoom, double size) const {
    const QFont labelFont = LabelFont(size);
    const QRectF box = LabelBox(label, zoom, size);
    const QPointF baseline(box.left() + size, box.top() + QFontMetricsF(labelFont).ascent());
    QPainterPath path;
    path.addText(baseline, labelFont, label.text);
    // A halo of the opposite lightness around the coloured text: it reads on
    // light and dark photos alike, on a pale ruler as on a dark fish.
    const QColor halo = LabelHalo(label.colour);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.strokePath(path, QPen(halo, 3 * size, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, label.colour);
    painter.restore();
}

QColor LabelHalo(QColor text) {
    // Perceived lightness (ITU-R BT.601 weights), 0 to 255.
    const double lightness = 0.299 * text.red() + 0.587 * text.green() + 0.114 * text.blue();
    return lightness >= 128 ? QColor(0, 0, 0, 220) : QColor(255, 255, 255, 220);
}

void MarkOverlay::DrawMark(QPainter& painter, const Mark& mark, double zoom, double size) {
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

void MarkOverlay::PaintMarks(QPainter& painter, const QRect& touched, double zoom) const {
    // One pixel wide, solid, no antialiasing: each drawn pixel takes the colour.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    for (const Mark& mark : marks_) {
        if (Bounds(mark, zoom).intersects(touched)) {
            DrawMark(painter, mark, zoom, 1.0);
        }
    }
}

void MarkOverlay::Paint(QPainter& painter, const QRegion& region, double zoom) const {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // Only the marks that touch what is being repainted: on a photo with
    // thousands of measurements a new mark repaints a few of them, not all.
    const QRect exposed = region.boundingRect();
    if (selection_ && SelectionBounds(*selection_, zoom).intersects(exposed)) {
        // A dark ring with a light one inside it, seen on any photo; under the
        // marks, which it never hides.
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QPointF centre = *selection_ * zoom;
        painter.setPen(QPen(Qt::black, 3));
        painter.drawEllipse(centre, kSelectionRadius, kSelectionRadius);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawEllipse(centre, kSelectionRadius, kSelectionRadius);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    for (const Mark& mark : marks_) {
        const QRect bounds = Bounds(mark, zoom);
        if (bounds.intersects(exposed) && region.intersects(bounds)) {
            DrawMark(painter, mark, zoom, 1.0);
        }
    }
    if (labelsVisible_) {
        for (const Label& label : labels_) {
            if (LabelBounds(label, zoom).intersects(exposed)) {
                DrawLabel(painter, label, zoom, 1.0);
            }
        }
    }
}

void MarkOverlay::PaintOnPhoto(QPainter& painter, double size) const {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    for (const Mark& mark : marks_) {
        DrawMark(painter, mark, 1.0, size);
    }
    for (const Label& label : labels_) {
        DrawLabel(painter, label, 1.0, size);
    }
}

}  // namespace vardesca
