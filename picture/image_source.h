// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QImageReader>
#include <QString>
#include <atomic>

#include "picture/loaded_picture.h"

namespace vardesca {

// Turns a file into a picture: JPEG (shown the way its EXIF orientation says),
// GIF (the first frame), BMP, icons (the largest image), Windows metafiles, and
// whatever else Qt reads (PNG, TIFF, WebP). The kind is told by the content, not
// by the name. Nothing is decoded before the header's size has been checked
// against what a picture may cost, so a crafted header cannot exhaust memory.
class ImageSource {
  public:
    // 512 megapixels, 2 GiB decoded: four times the largest camera sensors sold.
    static constexpr qint64 kDefaultMaxPixels = 512LL * 1024 * 1024;

    explicit ImageSource(double twipsPerPixel, qint64 maxPixels = kDefaultMaxPixels);

    // `stop`, when given and set while a JPEG is decoded, ends the decode
    // within a strip of rows; what it gives then is not to be shown.
    [[nodiscard]] ImageLoadResult Load(const QString& path,
                                       const std::atomic<bool>* stop = nullptr) const;

  private:
    [[nodiscard]] ImageLoadResult LoadWmf(QFile& file) const;
    // Nothing when libjpeg-turbo leaves the file to Qt's reader.
    [[nodiscard]] std::optional<ImageLoadResult> LoadJpeg(QFile& file,
                                                          const std::atomic<bool>* stop) const;
    [[nodiscard]] ImageLoadResult LoadRaster(const QString& path) const;
    [[nodiscard]] ImageLoadResult LoadIcon(QImageReader& reader) const;
    [[nodiscard]] ImageLoadResult Picture(QImage image) const;

    double twipsPerPixel_;
    qint64 maxPixels_;
};

}  // namespace vardesca
