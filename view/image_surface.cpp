// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/image_surface.h"

#include <QApplication>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>
#include <system_error>

#include "picture/worker_threads.h"
#include "view/zoom.h"

namespace vardesca {

namespace {

QColor FromBgr(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

}  // namespace

ImageSurface::ImageSurface(const TwipsScale& scale, QWidget* parent)
    : QWidget(parent), scale_(scale) {
    // The picture covers the whole widget; Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Pointer moves feed the loupe.
    setMouseTracking(true);
    overlay_.SetFont(LabelFont());
}

QFont ImageSurface::LabelFont() {
    // The desktop's usual size, not the window's compact one: a number beside
    // a fish must be read at a glance, on any photo.
    QFont font = QApplication::font();
    font.setBold(true);
    return font;
}

// What the reducing job works on and gives back; shared with it, so that
// either side may be the last to let go.
struct ImageSurface::Reducing {
    PicturePyramid pyramid;
    double zoom = 1.0;
};

ImageSurface::~ImageSurface() {
    StopReducing();
}

void ImageSurface::StartReducing() {
    if (reducing_ != nullptr && reducer_.Finished()) {
        // Over, and its call back still on its way or lost for want of memory.
        TakeReduced();
    }
    if (reducing_ != nullptr) {
        return;  // when it is back, the zoom of then is looked at again
    }
    // Out of memory for it last time: the finer level serves until a zoom
    // change or a new picture, never a thread and a repaint after another.
    if (pyramid_.Failed(zoom_) || reductionFailed_) {
        return;
    }
    ++reductionsStarted_;
    auto job = std::make_shared<Reducing>();
    job->pyramid = pyramid_;
    job->zoom = zoom_;
    reducing_ = job;
    // About 2 MB of reduced picture a slice, so that a stop is heard soon.
    const int rows = std::max(16, (1 << 19) / std::max(1, picture_.width() / 2));
    // With no thread to be had, made here, as a thread would have.
    reducer_.Start(
        [job, rows](std::atomic<bool>& stop) {
            while (!stop.load() &&
                   job->pyramid.Advance(job->zoom, rows) == PicturePyramid::Progress::Working) {
            }
        },
        this, [this] { TakeReduced(); });
}

void ImageSurface::TakeReduced() {
    // Out of memory on its thread: the finer level serves instead.
    const bool failed = reducer_.Threw();
    reducer_.Stop();
    const std::shared_ptr<Reducing> done = std::move(reducing_);
    reducing_ = nullptr;
    if (failed || done == nullptr) {
        reductionFailed_ = true;
        return;
    }
    pyramid_ = std::move(done->pyramid);
    update();
}

void ImageSurface::StopReducing() {
    reducer_.Stop();
    reducing_ = nullptr;
}

void ImageSurface::SetPicture(QImage picture, double widthTwips, double heightTwips) {
    StopReducing();
    picture_ = std::move(picture);
    pyramid_.SetPicture(picture_);
    reductionFailed_ = false;
    widthTwips_ = widthTwips;
    heightTwips_ = heightTwips;
    overlay_.Clear();
    overlay_.SetPictureSize(picture_.size());
    zoom_ = 1.0;
    resize(picture_.size());
    update();
}

void ImageSurface::ClearMarks() {
    overlay_.Clear();
    update();
}

void ImageSurface::ReleaseReducedCopies() {
    StopReducing();
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
    // Memory may have been freed since a reduced copy could not be made.
    pyramid_.ForgetFailures();
    reductionFailed_ = false;
    resize(ZoomedSize().toSize().expandedTo(QSize(1, 1)));
    update();
}

void ImageSurface::MoveTo(double leftTwips, double topTwips) {
    leftTwips_ = leftTwips;
    topTwips_ = topTwips;
    move(scale_.ToPixels(leftTwips), scale_.ToPixels(topTwips));
}

void ImageSurface::DrawCircle(float cx, float cy, float radius, std::uint32_t colour) {
    update(overlay_.AddCircle(scale_.ToPixels(cx, cy), scale_.ToPixelsF(radius), FromBgr(colour),
                              zoom_));
}

void ImageSurface::DrawLine(float xa, float ya, float xb, float yb, std::uint32_t colour) {
    update(
        overlay_.AddLine(scale_.ToPixels(xa, ya), scale_.ToPixels(xb, yb), FromBgr(colour), zoom_));
}

void ImageSurface::EraseMarks(std::size_t first, std::size_t count) {
    update(overlay_.Erase(first, count, zoom_));
}

bool ImageSurface::ReplaceCircle(std::size_t index, float cx, float cy, float radius,
                                 std::uint32_t colour) {
    const auto touched = overlay_.ReplaceCircle(index, scale_.ToPixels(cx, cy),
                                                scale_.ToPixelsF(radius), FromBgr(colour), zoom_);
    if (touched) {
        update(*touched);
    }
    return touched.has_value();
}

bool ImageSurface::ReplaceLine(std::size_t index, float xa, float ya, float xb, float yb,
                               std::uint32_t colour) {
    const auto touched = overlay_.ReplaceLine(index, scale_.ToPixels(xa, ya),
                                              scale_.ToPixels(xb, yb), FromBgr(colour), zoom_);
    if (touched) {
        update(*touched);
    }
    return touched.has_value();
}

void ImageSurface::AddLabel(float xa, float ya, float xb, float yb, const QString& text,
                            std::uint32_t colour, int key) {
    update(overlay_.AddLabel(scale_.ToPixels(xa, ya), scale_.ToPixels(xb, yb), text,
                             FromBgr(colour), key, zoom_));
}

void ImageSurface::RemoveLabel(int key) {
    update(overlay_.RemoveLabel(key, zoom_));
}

void ImageSurface::MoveLabel(int key, float xa, float ya, float xb, float yb) {
    update(overlay_.MoveLabel(key, scale_.ToPixels(xa, ya), scale_.ToPixels(xb, yb), zoom_));
}

void ImageSurface::SetSelection(std::optional<QPointF> twips) {
    std::optional<QPointF> pixels;
    if (twips) {
        pixels = scale_.ToPixels(static_cast<float>(twips->x()), static_cast<float>(twips->y()));
    }
    if (pixels != overlay_.Selection()) {
        update(overlay_.SetSelection(pixels, zoom_));
    }
}

void ImageSurface::SetLabelsVisible(bool visible) {
    overlay_.SetLabelsVisible(visible);
    update();
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
    const double wanted = std::ldexp(1.0, -pyramid_.WantedLevel(shown));
    if (magnification == 1.0 && level.scale > wanted) {
        StartReducing();  // drawn from a finer level for now
    }
    // Until its own level is made, a view far smaller than the level it draws
    // from samples it without filtering: a smooth draw of a whole 48 MP photo
    // would cost the first view as much again, for the few frames it is shown.
    const bool interim = level.scale > 2 * wanted;
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
    painter.setRenderHint(QPainter::SmoothPixmapTransform, shown < 1.0 && !interim);
    const QRect source(x0, y0, x1 - x0, y1 - y0);
    painter.drawImage(QRectF(x0 * f, y0 * f, source.width() * f, source.height() * f), image,
                      source);
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
    overlay_.Paint(painter, event->region(), zoom_);
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
    overlay_.PaintMarks(painter, area.toAlignedRect(), zoom_);
}

void ImageSurface::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    const double tpp = scale_.TwipsPerPixel();
    emit MouseDown(static_cast<float>(ScreenToPictureTwips(p.x(), zoom_, tpp)),
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

void ImageSurface::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ApplicationFontChange) {
        overlay_.SetFont(LabelFont());
    }
    QWidget::changeEvent(event);
}

void ImageSurface::leaveEvent(QEvent* event) {
    emit PointerLeft();
    QWidget::leaveEvent(event);
}

}  // namespace vardesca
