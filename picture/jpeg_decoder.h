// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>

namespace vardesca {

// Photographs are JPEGs, and large ones: libjpeg-turbo decodes them straight
// into the picture's own memory (asked of the kernel in huge pages, so filling
// 200 MB does not cost a page fault every 4 KB), turned upright by the EXIF
// orientation on the way, a strip at a time, with no second copy of the image.
struct JpegDecode {
    enum class Outcome {
        Decoded,   // `image` holds the upright picture
        TooLarge,  // the header announces more than the allowed pixels
        NotMine,   // not a JPEG this path takes (CMYK, damaged header…): ask Qt
    };
    Outcome outcome = Outcome::NotMine;
    QImage image;
    // libjpeg carried on past corrupt or missing data (grey where it lacked it).
    bool damaged = false;
};

[[nodiscard]] JpegDecode DecodeJpeg(const uchar* data, qint64 size, qint64 maxPixels);

}  // namespace vardesca
