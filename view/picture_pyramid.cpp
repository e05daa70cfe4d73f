// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/picture_pyramid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "picture/pixel_memory.h"

namespace vardesca {

namespace {

// The four channels of a pixel as two pairs of 16-bit lanes, so that the sum of
// up to 256 pixels is taken in two 32-bit additions without spilling.
constexpr std::uint32_t kLanes = 0x00FF00FFu;

// One output row of a 2×2 reduction; `r1` may be `r0` on a last odd row.
void HalveRow(const std::uint32_t* __restrict r0, const std::uint32_t* __restrict r1, int width,
              std::uint32_t* __restrict out) {
    const int pairs = width / 2;
    for (int x = 0; x < pairs; ++x) {
        const std::uint32_t a = r0[2 * x];
        const std::uint32_t b = r0[2 * x + 1];
        const std::uint32_t c = r1[2 * x];
        const std::uint32_t d = r1[2 * x + 1];
        const std::uint32_t lo = (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + 0x00020002u;
        const std::uint32_t hi = ((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) +
                                 ((d >> 8) & kLanes) + 0x00020002u;
        out[x] = ((lo >> 2) & kLanes) | (((hi >> 2) & kLanes) << 8);
    }
    if (width % 2 != 0) {
        const std::uint32_t a = r0[width - 1];
        const std::uint32_t c = r1[width - 1];
        const std::uint32_t lo = 2 * (a & kLanes) + 2 * (c & kLanes) + 0x00020002u;
        const std::uint32_t hi = 2 * ((a >> 8) & kLanes) + 2 * ((c >> 8) & kLanes) + 0x00020002u;
        out[pairs] = ((lo >> 2) & kLanes) | (((hi >> 2) & kLanes) << 8);
    }
}

}  // namespace

void HalveRows(const QImage& source, QImage& half, int first, int count) {
    const int w = source.width();
    const int h = source.height();
    const int last = std::min(half.height(), first + count);
    for (int y = first; y < last; ++y) {
        const auto* r0 = reinterpret_cast<const std::uint32_t*>(source.constScanLine(2 * y));
        const auto* r1 =
            reinterpret_cast<const std::uint32_t*>(source.constScanLine(std::min(2 * y + 1, h - 1)));
        HalveRow(r0, r1, w, reinterpret_cast<std::uint32_t*>(half.scanLine(y)));
    }
}

void PicturePyramid::SetPicture(const QImage& picture) {
    picture_ = picture;
    picture32_ = QImage();
    levels_.clear();
}

int PicturePyramid::WantedLevel(double zoom) const {
    if (zoom > 0.5 || picture_.isNull()) {
        return 0;
    }
    int wanted = static_cast<int>(std::floor(std::log2(1.0 / zoom) + 1e-9));
    // Nothing below one pixel a side is worth keeping.
    while (wanted > 0 && ((picture_.width() >> wanted) < 1 || (picture_.height() >> wanted) < 1)) {
        --wanted;
    }
    return wanted;
}

const QImage& PicturePyramid::Source(int level) const {
    if (level == 0) {
        return picture32_.isNull() ? picture_ : picture32_;
    }
    return levels_[static_cast<std::size_t>(level - 1)].image;
}

PicturePyramid::Level PicturePyramid::Best(double zoom) const {
    for (int level = WantedLevel(zoom); level > 0; --level) {
        if (static_cast<std::size_t>(level) <= levels_.size() &&
            levels_[static_cast<std::size_t>(level - 1)].Made()) {
            return {&levels_[static_cast<std::size_t>(level - 1)].image, std::ldexp(1.0, -level)};
        }
    }
    return {&picture_, 1.0};
}

PicturePyramid::Progress PicturePyramid::Advance(double zoom, int rows) {
    const int wanted = WantedLevel(zoom);
    if (levels_.size() < static_cast<std::size_t>(wanted)) {
        levels_.resize(static_cast<std::size_t>(wanted));
    }
    // Each level from the one before, so every later zoom step finds its level
    // a cheap halving away.
    for (int level = 1; level <= wanted; ++level) {
        Reduced& r = levels_[static_cast<std::size_t>(level - 1)];
        if (r.Made()) {
            continue;
        }
        if (r.failed) {
            return Progress::OutOfMemory;
        }
        if (level == 1 && picture_.depth() != 32 && picture32_.isNull()) {
            picture32_ = picture_.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            if (picture32_.isNull()) {
                r.failed = true;
                return Progress::OutOfMemory;
            }
        }
        const QImage& from = Source(level - 1);
        if (r.image.isNull()) {
            r.image = MakePixelImage((from.width() + 1) / 2, (from.height() + 1) / 2, from.format());
            if (r.image.isNull()) {
                r.failed = true;
                return Progress::OutOfMemory;
            }
        }
        const int count = std::min(rows, r.image.height() - r.rowsDone);
        HalveRows(from, r.image, r.rowsDone, count);
        r.rowsDone += count;
        rows -= count;
        if (rows <= 0) {
            return wanted == level && r.Made() ? Progress::Done : Progress::Working;
        }
    }
    return Progress::Done;
}

PicturePyramid::Level PicturePyramid::ForZoom(double zoom) {
    while (Advance(zoom, 1 << 20) == Progress::Working) {
    }
    return Best(zoom);
}

bool PicturePyramid::Failed(double zoom) const {
    const auto wanted = static_cast<std::size_t>(std::max(0, WantedLevel(zoom)));
    for (std::size_t i = 0; i < std::min(wanted, levels_.size()); ++i) {
        if (levels_[i].failed) {
            return true;
        }
    }
    return false;
}

void PicturePyramid::ForgetFailures() {
    for (Reduced& r : levels_) {
        r.failed = false;
    }
}

std::size_t PicturePyramid::LevelsMade() const {
    return static_cast<std::size_t>(
        std::count_if(levels_.begin(), levels_.end(), [](const Reduced& r) { return r.Made(); }));
}

}  // namespace vardesca
