#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

namespace vardesca {

// A Windows metafile drawn on white at the size its placeable header declares,
// through libwmf's player with QPainter doing the drawing, so that embedded
// bitmaps come out pixel for pixel.
struct WmfPicture {
    QImage image;
    double widthTwips = 0;
    double heightTwips = 0;
};

struct WmfResult {
    std::optional<WmfPicture> picture;
    QString reason;  // Italian, when there is no picture
};

// Whether the bytes start like a metafile (placeable or plain).
[[nodiscard]] bool LooksLikeWmf(const QByteArray& head);

// Renders `data` with `twipsPerPixel` screen twips a pixel; refuses pictures
// of more than `maxPixels` pixels before drawing anything.
[[nodiscard]] WmfResult RenderWmf(const QByteArray& data, double twipsPerPixel, qint64 maxPixels);

}  // namespace vardesca
