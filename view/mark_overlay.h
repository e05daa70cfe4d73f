// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <QString>
#include <optional>
#include <vector>

class QPainter;

namespace vardesca {

// The engine's marks and the view's labels over a photo, kept in photo pixels
// so that they survive repaints, scrolling and zooming and the photo itself
// stays clean. Painted at any zoom: lines join their points, while circles,
// crosses and labels keep their size on the screen. The surface paints it over
// the shown picture, the loupe through the surface, and the annotated photo
// onto a full-size copy.
class MarkOverlay {
  public:
    struct Mark {
        bool circle;
        QPointF a;      // circle: centre; line: start (photo pixels)
        QPointF b;      // line: end
        double radius;  // screen pixels
        QColor colour;
        // An arm of a point's cross: a and b are screen-pixel offsets from
        // `centre`, so the cross keeps its size on the screen at every zoom.
        bool arm = false;
        QPointF centre = {};
    };
    // A label: its text beside the middle of a segment (photo pixels), kept
    // apart from the engine's marks.
    struct Label {
        QPointF a, b;
        QString text;
        QColor colour;
        int key;
    };

    // Each call returns the surface pixels to repaint at `zoom`.
    QRect AddCircle(QPointF centre, double radius, QColor colour, double zoom);
    // A level or upright line centred on the last circle drawn (within 1e-3 px)
    // is an arm of that point's cross: the engine draws a point as a circle and
    // two arms through it.
    QRect AddLine(QPointF a, QPointF b, QColor colour, double zoom);
    QRegion Erase(std::size_t first, std::size_t count, double zoom);
    // Mark `index` put where AddCircle or AddLine would put it now, in its
    // place among the others (a line is an arm when centred on its point's
    // circle); the pixels to repaint, or nothing for no such mark.
    std::optional<QRect> ReplaceCircle(std::size_t index, QPointF centre, double radius,
                                       QColor colour, double zoom);
    std::optional<QRect> ReplaceLine(std::size_t index, QPointF a, QPointF b, QColor colour,
                                     double zoom);
    void Clear();
    [[nodiscard]] const std::vector<Mark>& Marks() const { return marks_; }

    // `key` names a label for RemoveLabel (a measurement's number).
    QRect AddLabel(QPointF a, QPointF b, const QString& text, QColor colour, int key, double zoom);
    QRect RemoveLabel(int key, double zoom);  // the last label with that key
    // The last label with that key put beside a new segment.
    QRect MoveLabel(int key, QPointF a, QPointF b, double zoom);
    // The point the user has selected (photo pixels), ringed on the screen so
    // that it can be told apart; never on the annotated photo. Nothing: none.
    QRect SetSelection(std::optional<QPointF> point, double zoom);
    [[nodiscard]] std::optional<QPointF> Selection() const { return selection_; }
    // The surface pixels the selection's ring covers at `zoom`.
    [[nodiscard]] static QRect SelectionBounds(QPointF point, double zoom);
    [[nodiscard]] const std::vector<Label>& Labels() const { return labels_; }
    void SetLabelsVisible(bool visible) { labelsVisible_ = visible; }
    [[nodiscard]] bool LabelsVisible() const { return labelsVisible_; }
    // Labels are written in this font, scaled with `size`.
    void SetFont(const QFont& font) { font_ = font; }
    // The picture's size (photo pixels): a label goes on the side of its
    // segment with more room. Unknown (empty): above it.
    void SetPictureSize(QSizeF size) { pictureSize_ = size; }
    [[nodiscard]] const QFont& Font() const { return font_; }

    // The surface pixels a mark touches at `zoom`, for partial repaints.
    [[nodiscard]] static QRect Bounds(const Mark& mark, double zoom);

    // Paints what touches `region` at `zoom`: every mark one pixel wide, solid,
    // each drawn pixel in its colour; labels when shown.
    void Paint(QPainter& painter, const QRegion& region, double zoom) const;
    void PaintMarks(QPainter& painter, const QRect& touched, double zoom) const;
    // Everything onto the photo itself at its natural size, `size` times larger
    // than on the screen (circles, crosses, labels and line width alike).
    void PaintOnPhoto(QPainter& painter, double size) const;

  private:
    static void DrawMark(QPainter& painter, const Mark& mark, double zoom, double size);
    [[nodiscard]] QFont LabelFont(double size) const;
    // A label's text box at `zoom`, beside its segment's middle.
    [[nodiscard]] QRectF LabelBox(const Label& label, double zoom, double size = 1.0) const;
    void DrawLabel(QPainter& painter, const Label& label, double zoom, double size) const;
    [[nodiscard]] QRect LabelBounds(const Label& label, double zoom) const;
    QRect Add(Mark mark, double zoom);
    // A line as a mark: an arm of the cross centred on `circle`, or a line.
    static Mark LineMark(QPointF a, QPointF b, QColor colour, std::optional<QPointF> circle);
    std::optional<QRect> Replace(std::size_t index, Mark mark, double zoom);

    std::vector<Mark> marks_;
    std::vector<Label> labels_;
    bool labelsVisible_ = true;
    QFont font_;
    QSizeF pictureSize_;
    // The centre of the last circle drawn, while the lines after it are the arms
    // of its cross.
    std::optional<QPointF> crossCentre_;
    std::optional<QPointF> selection_;
};

// The halo around a label's text: dark around a light colour, light around a
// dark one.
[[nodiscard]] QColor LabelHalo(QColor text);

}  // namespace vardesca
