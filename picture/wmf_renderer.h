// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include "picture/loaded_picture.h"

namespace vardesca {

// Whether the bytes start like a Windows metafile (placeable or plain).
[[nodiscard]] bool LooksLikeWmf(const QByteArray& head);

// A Windows metafile drawn on white at the size its placeable header declares,
// through libwmf's player with QPainter doing the drawing, so that embedded
// bitmaps come out pixel for pixel; `twipsPerPixel` screen twips a pixel.
// Pictures of more than `maxPixels` pixels are refused before anything is drawn.
[[nodiscard]] ImageLoadResult RenderWmf(const QByteArray& data, double twipsPerPixel,
                                        qint64 maxPixels);

}  // namespace vardesca
