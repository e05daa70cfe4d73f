// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <atomic>

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
        Stopped,   // `stop` was set before the picture was whole: nothing is kept
    };
    Outcome outcome = Outcome::NotMine;
    QImage image;
    // libjpeg carried on past corrupt or missing data (grey where it lacked it).
    bool damaged = false;
    // How many bands side by side gave the picture (1: decoded from the top).
    int bands = 1;
    bool atRestartMarkers = false;  // and each band entered at a restart marker
};

// On as many threads as `WorkerThreads` gives, for a file large enough to pay
// for them.
// `stop`, when given, is asked between strips of rows (about a millisecond of
// decoding each): once set, the decode lets go of everything and says Stopped.
[[nodiscard]] JpegDecode DecodeJpeg(const uchar* data, qint64 size, qint64 maxPixels,
                                    const std::atomic<bool>* stop = nullptr);

// The picture split into up to `threads` bands of rows, each decoded on a thread
// of its own straight into its place in the picture (turned upright on the way).
// A file with restart markers where rows of blocks begin is entered at a marker
// for each band; otherwise each band's decoder reads past the rows above it. A
// progressive photo, one thread, or a band that meets damage: decoded from the
// top on one thread. Whatever the split, the picture is bit for bit the one the
// single thread gives.
enum class JpegBands {
    Fastest,   // at restart markers where the file has them
    Skipping,  // always by reading past the rows above (for the tests)
};
[[nodiscard]] JpegDecode DecodeJpegInBands(const uchar* data, qint64 size, qint64 maxPixels,
                                           int threads, JpegBands bands,
                                           const std::atomic<bool>* stop = nullptr);

}  // namespace vardesca
