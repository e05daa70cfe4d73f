#include "view/picture_pyramid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

QImage HalvePicture(const QImage& source) {
    const int w = source.width();
    const int h = source.height();
    QImage out((w + 1) / 2, (h + 1) / 2, source.format());
    if (out.isNull()) {
        return out;  // out of memory: the caller draws from the finer level
    }
    for (int y = 0; y < out.height(); ++y) {
        const auto* r0 = reinterpret_cast<const std::uint32_t*>(source.constScanLine(2 * y));
        const auto* r1 =
            reinterpret_cast<const std::uint32_t*>(source.constScanLine(std::min(2 * y + 1, h - 1)));
        HalveRow(r0, r1, w, reinterpret_cast<std::uint32_t*>(out.scanLine(y)));
    }
    return out;
}

void PicturePyramid::SetPicture(const QImage& picture) {
    picture_ = picture;
    levels_.clear();
}

PicturePyramid::Level PicturePyramid::ForZoom(double zoom) {
    if (zoom > 0.5 || picture_.isNull()) {
        return {&picture_, 1.0};
    }
    // The level whose scale s satisfies zoom ≤ s < 2 × zoom.
    int wanted = static_cast<int>(std::floor(std::log2(1.0 / zoom) + 1e-9));
    // Nothing below one pixel a side is worth keeping.
    while (wanted > 0 && ((picture_.width() >> wanted) < 1 || (picture_.height() >> wanted) < 1)) {
        --wanted;
    }
    if (wanted <= 0) {
        return {&picture_, 1.0};
    }
    if (levels_.size() < static_cast<std::size_t>(wanted)) {
        levels_.resize(static_cast<std::size_t>(wanted));
    }
    // Each level from the one before: the first fit view pays for the levels down
    // to it, and every zoom step after that finds its level made.
    int have = wanted;
    while (have > 0 && levels_[static_cast<std::size_t>(have - 1)].isNull()) {
        --have;
    }
    QImage source32;
    if (have == 0 && picture_.depth() != 32) {
        source32 = picture_.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    while (have < wanted) {
        const QImage& from = have == 0 ? (source32.isNull() ? picture_ : source32)
                                       : levels_[static_cast<std::size_t>(have - 1)];
        QImage reduced = HalvePicture(from);
        if (reduced.isNull()) {
            break;
        }
        ++have;
        levels_[static_cast<std::size_t>(have - 1)] = std::move(reduced);
    }
    if (have == 0) {
        return {&picture_, 1.0};
    }
    return {&levels_[static_cast<std::size_t>(have - 1)], std::ldexp(1.0, -have)};
}

std::size_t PicturePyramid::LevelsMade() const {
    return static_cast<std::size_t>(
        std::count_if(levels_.begin(), levels_.end(), [](const QImage& l) { return !l.isNull(); }));
}

}  // namespace vardesca
