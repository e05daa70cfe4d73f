#pragma once

#include <QImage>
#include <QWidget>
#include <vector>

#include "engine/measure_engine.h"
#include "view/twips.h"

namespace vardesca {

// The image surface: the picture and, over it, the engine's marks. Marks are kept
// as shapes in picture coordinates and painted over the picture, so they survive
// repaints and scrolling, the picture itself stays clean, and a new picture
// removes them. Only the exposed part of the picture is painted, which keeps
// scrolling a 48-megapixel photo smooth.
class ImageSurface : public QWidget, public MarkSurface {
    Q_OBJECT

  public:
    ImageSurface(const TwipsScale& scale, QWidget* parent);

    // Shows `picture` at its natural size (in twips), removing every mark.
    void SetPicture(QImage picture, double widthTwips, double heightTwips);
    [[nodiscard]] const QImage& Picture() const { return picture_; }
    [[nodiscard]] double WidthTwips() const { return widthTwips_; }
    [[nodiscard]] double HeightTwips() const { return heightTwips_; }

    // Left and Top in the viewport, in twips.
    void MoveTo(double leftTwips, double topTwips);
    [[nodiscard]] double LeftTwips() const { return leftTwips_; }
    [[nodiscard]] double TopTwips() const { return topTwips_; }

    void DrawCircle(float cx, float cy, float radius, std::uint32_t colour) override;
    void DrawLine(float xa, float ya, float xb, float yb, std::uint32_t colour) override;
    [[nodiscard]] std::size_t MarkCount() const { return marks_.size(); }

  signals:
    // A mouse button pressed over the surface: button 1 left, 2 right, 4 middle;
    // shift bits 1 Shift, 2 Ctrl, 4 Alt; position in twips of the surface.
    void MouseDown(int button, int shift, float x, float y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    struct Mark {
        bool circle;
        QPointF a;  // circle: centre; line: start (pixels)
        QPointF b;  // line: end
        double radius;
        QColor colour;
        QRect bounds;  // pixels touched, for partial repaints
    };
    void AddMark(Mark mark);

    const TwipsScale& scale_;
    QImage picture_;
    double widthTwips_ = 0;
    double heightTwips_ = 0;
    double leftTwips_ = 0;
    double topTwips_ = 0;
    std::vector<Mark> marks_;
};

}  // namespace vardesca
