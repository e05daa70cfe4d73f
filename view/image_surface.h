// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>

#include "engine/measure_engine.h"
#include "picture/background_job.h"
#include "view/mark_overlay.h"
#include "view/picture_pyramid.h"
#include "view/twips.h"

namespace vardesca {

// The image surface: the picture and, over it, the engine's marks and the view's
// labels (a MarkOverlay, in picture pixels; a new picture removes them). Only
// the exposed part of the picture is painted, which keeps scrolling a
// 48-megapixel photo smooth.
//
// The surface is the picture at the current zoom: its widget is that large and
// the viewport clips it. Clicks are reported in picture twips whatever the zoom.
class ImageSurface : public QWidget, public MarkSurface {
    Q_OBJECT

  public:
    ImageSurface(const TwipsScale& scale, QWidget* parent);
    ~ImageSurface() override;
    ImageSurface(const ImageSurface&) = delete;
    ImageSurface& operator=(const ImageSurface&) = delete;

    // Shows `picture` at its natural size (in twips), removing every mark; the
    // zoom goes back to 1.
    void SetPicture(QImage picture, double widthTwips, double heightTwips);
    [[nodiscard]] const QImage& Picture() const { return picture_; }
    // Every mark and label taken away; the picture, zoom and place stay.
    void ClearMarks();
    [[nodiscard]] double WidthTwips() const { return widthTwips_; }
    [[nodiscard]] double HeightTwips() const { return heightTwips_; }
    // Lets go of the reduced copies kept for zooming out (made again when next
    // needed): before a load, so that two pictures' copies are never held at once.
    void ReleaseReducedCopies();
    // Whether a reduced copy is still being made (benchmarks and tests).
    [[nodiscard]] bool Refining() const { return reducing_ != nullptr; }
    [[nodiscard]] std::size_t ReducedCopies() const { return pyramid_.LevelsMade(); }
    // How many reduced copies were set going (tests).
    [[nodiscard]] int ReductionsStarted() const { return reductionsStarted_; }

    // Left and Top in the viewport, in twips.
    void MoveTo(double leftTwips, double topTwips);
    [[nodiscard]] double LeftTwips() const { return leftTwips_; }
    [[nodiscard]] double TopTwips() const { return topTwips_; }

    // The zoom the picture is shown at (1: one picture pixel a screen pixel). The
    // widget takes the zoomed size; the caller places it.
    void SetZoom(double zoom);
    [[nodiscard]] double Zoom() const { return zoom_; }
    // The picture's size at the current zoom, in screen pixels, unrounded.
    [[nodiscard]] QSizeF ZoomedSize() const;

    // Paints what the surface shows in `area` (its own pixels) with the painter's
    // transform as the caller set it, `magnification` being that transform's
    // scale: the loupe draws through this.
    void RenderArea(QPainter& painter, const QRectF& area, double magnification);

    void DrawCircle(float cx, float cy, float radius, std::uint32_t colour) override;
    void DrawLine(float xa, float ya, float xb, float yb, std::uint32_t colour) override;
    void EraseMarks(std::size_t first, std::size_t count) override;
    bool ReplaceCircle(std::size_t index, float cx, float cy, float radius,
                       std::uint32_t colour) override;
    bool ReplaceLine(std::size_t index, float xa, float ya, float xb, float yb,
                     std::uint32_t colour) override;
    [[nodiscard]] std::size_t MarkCount() const { return overlay_.Marks().size(); }
    [[nodiscard]] const MarkOverlay& Overlay() const { return overlay_; }

    // Labels belong to the view, not to the engine's marks: a measurement's
    // number, a reference's length. They keep their size on the screen at every
    // zoom. `key` names a label for RemoveLabel (a measurement's number).
    void AddLabel(float xa, float ya, float xb, float yb, const QString& text, std::uint32_t colour,
                  int key);
    void RemoveLabel(int key);  // the last label with that key
    void MoveLabel(int key, float xa, float ya, float xb, float yb);
    // The selected point ringed (picture twips), or none.
    void SetSelection(std::optional<QPointF> twips);
    void SetLabelsVisible(bool visible);
    [[nodiscard]] bool LabelsVisible() const { return overlay_.LabelsVisible(); }
    [[nodiscard]] std::size_t LabelCount() const { return overlay_.Labels().size(); }

  signals:
    // A mouse button pressed over the surface, any button with any modifier:
    // the position in picture twips.
    void MouseDown(float x, float y);
    // The pointer moved over the surface (its own pixels), or left it.
    void PointerMoved(QPointF position);
    void PointerLeft();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The second press of a double click is not a click, as on a picture box.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Labels are written in the surface's font, which the window sets after it
    // made the surface.
    void changeEvent(QEvent* event) override;

  private:
    // The labels' font: the desktop's usual one, bold.
    [[nodiscard]] static QFont LabelFont();
    void DrawPicture(QPainter& painter, const QRectF& area, double magnification);
    // The reduced copy the current zoom wants, made on a thread of its own from
    // a copy of the pyramid (the pictures are shared, never written) and handed
    // back to the window's thread, which repaints with it.
    void StartReducing();
    // The copy made, put in place; or, when it could not be made, the finer
    // level kept.
    void TakeReduced();
    void StopReducing();
    struct Reducing;

    const TwipsScale& scale_;
    QImage picture_;
    double widthTwips_ = 0;
    double heightTwips_ = 0;
    double leftTwips_ = 0;
    double topTwips_ = 0;
    double zoom_ = 1.0;
    PicturePyramid pyramid_;
    std::shared_ptr<Reducing> reducing_;  // the copy being made, if any
    BackgroundJob reducer_;
    int reductionsStarted_ = 0;
    bool reductionFailed_ = false;  // tried again at the next zoom or picture
    MarkOverlay overlay_;
};

}  // namespace vardesca
