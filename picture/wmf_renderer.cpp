// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/wmf_renderer.h"

#include <QPainter>
#include <QtEndian>
#include <cmath>
#include <memory>

#include "picture/picture_text.h"
#include "picture/wmf_painter.h"

namespace vardesca {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7u;
struct ApiDeleter {
    void operator()(wmfAPI* api) const { wmf_lite_destroy(api); }
};

// The header's box in the player's coordinates. For most files the player
// measures in points (1/72 inch) from the box's top-left corner, and then the
// whole box is the page, margins included. Where the records set up a window
// that does not map that way, the drawing's own extent is the page, as
// libwmf's own renderers take it.
QRectF PlayerPage(const wmfD_Rect& drawn, double unitsWide, double unitsHigh, double inch) {
    const double w = unitsWide * 72.0 / inch;
    const double h = unitsHigh * 72.0 / inch;
    const double slackX = w * 0.02;
    const double slackY = h * 0.02;
    if (drawn.TL.x >= -slackX && drawn.TL.y >= -slackY && drawn.BR.x <= w + slackX &&
        drawn.BR.y <= h + slackY) {
        return {0, 0, w, h};
    }
    return QRectF(QPointF(drawn.TL.x, drawn.TL.y), QPointF(drawn.BR.x, drawn.BR.y));
}

ImageLoadResult Refused(const char* reason) {
    return {std::nullopt, Because(reason), std::nullopt};
}

// The placeable header's box, in metafile units, and how many of them make an inch.
struct PlaceableBox {
    qint16 left, top, right, bottom;
    quint16 inch;
};

const char* ReadPlaceable(const QByteArray& data, PlaceableBox& box) {
    if (data.size() < 22 || qFromLittleEndian<quint32>(data.constData()) != kPlaceableKey) {
        return picture_text::kWmfNotPlaceable;
    }
    const auto* h = reinterpret_cast<const uchar*>(data.constData());
    box = {qFromLittleEndian<qint16>(h + 6), qFromLittleEndian<qint16>(h + 8),
           qFromLittleEndian<qint16>(h + 10), qFromLittleEndian<qint16>(h + 12),
           qFromLittleEndian<quint16>(h + 14)};
    if (box.inch == 0) {
        return picture_text::kWmfZeroInch;
    }
    if (box.right <= box.left || box.bottom <= box.top) {
        return picture_text::kWmfEmptyBox;
    }
    return nullptr;
}

// Scans the opened metafile for its drawing's extent, then plays it onto a white
// `image` of `size` pixels that shows `box`; the reason when it cannot. Closes
// the metafile.
const char* Play(wmfAPI* api, wmf::Device& device, const PlaceableBox& box, QSize size, QImage& image) {
    wmfD_Rect bbox{};
    device.clock.start();
    wmf_status_function(api, &device, wmf::Status);
    if (wmf_scan(api, 0, &bbox) != wmf_E_None) {
        wmf_mem_close(api);
        return picture_text::kWmfDamaged;
    }
    const double bw = double(bbox.BR.x) - bbox.TL.x;
    const double bh = double(bbox.BR.y) - bbox.TL.y;
    if (!(bw > 0) || !(bh > 0) || !std::isfinite(bw) || !std::isfinite(bh)) {
        wmf_mem_close(api);
        return picture_text::kWmfNoDrawing;
    }
    image = QImage(size, QImage::Format_RGB32);
    if (image.isNull()) {
        wmf_mem_close(api);
        return picture_text::kOutOfMemory;
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRectF page = PlayerPage(bbox, double(box.right) - box.left, double(box.bottom) - box.top,
                                   box.inch);
    painter.scale(image.width() / page.width(), image.height() / page.height());
    painter.translate(-page.topLeft());
    device.painter = &painter;
    const wmf_error_t played = wmf_play(api, 0, &bbox);
    painter.end();
    wmf_mem_close(api);
    if (played != wmf_E_None) {
        return played == wmf_E_UserExit ? picture_text::kWmfTooSlow : picture_text::kWmfDamaged;
    }
    return nullptr;
}

}  // namespace

bool LooksLikeWmf(const QByteArray& head) {
    if (head.size() >= 4 && qFromLittleEndian<quint32>(head.constData()) == kPlaceableKey) {
        return true;
    }
    // A plain metafile header: type 1 (memory) or 2 (disk), nine words long.
    return head.size() >= 6 && (head[0] == 1 || head[0] == 2) && head[1] == 0 && head[2] == 9 &&
           head[3] == 0;
}

ImageLoadResult RenderWmf(const QByteArray& data, double twipsPerPixel, qint64 maxPixels) {
    PlaceableBox box{};
    if (const char* refused = ReadPlaceable(data, box)) {
        return Refused(refused);
    }
    const double widthTwips = (double(box.right) - box.left) * 1440.0 / box.inch;
    const double heightTwips = (double(box.bottom) - box.top) * 1440.0 / box.inch;
    const int widthPx = std::max(1, static_cast<int>(std::lround(widthTwips / twipsPerPixel)));
    const int heightPx = std::max(1, static_cast<int>(std::lround(heightTwips / twipsPerPixel)));
    if (qint64(widthPx) * heightPx > maxPixels) {
        return Refused(picture_text::kTooLarge);
    }

    wmf::Device device;
    wmfAPI_Options options{};
    options.function = wmf::SetUp;
    wmfAPI* raw = nullptr;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_lite_create(&raw, flags, &options) != wmf_E_None || raw == nullptr) {
        return Refused(picture_text::kWmfCannotPrepare);
    }
    std::unique_ptr<wmfAPI, ApiDeleter> api(raw);
    if (api->function_reference == nullptr || api->font_data == nullptr) {
        return Refused(picture_text::kOutOfMemory);
    }
    api->device_data = &device;
    device.maxBitmapPixels = maxPixels;

    // libwmf reads from a buffer it does not change, though its signature says otherwise.
    QByteArray copy = data;
    if (wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(copy.data()), copy.size()) !=
        wmf_E_None) {
        return Refused(picture_text::kWmfUnreadable);
    }
    QImage image;
    if (const char* failed = Play(api.get(), device, box, {widthPx, heightPx}, image)) {
        return Refused(failed);
    }
    return {LoadedPicture{std::move(image), widthTwips, heightTwips}, std::nullopt, std::nullopt};
}

}  // namespace vardesca
