// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/upright_transform.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vardesca {

namespace {

// Orientations 1 to 4 keep rows as rows: copied, mirrored, or both. False for
// the others, which turn rows into columns.
bool PlaceRows(const std::uint32_t* in, int w, int h, int y0, int n, int orientation,
               std::uint32_t* out, int dw) {
    if (orientation > 4) {
        return false;
    }
    for (int i = 0; i < n; ++i) {
        const int y = y0 + i;
        const std::uint32_t* src = in + std::size_t(i) * std::size_t(w);
        const int dy = (orientation == 3 || orientation == 4) ? h - 1 - y : y;
        std::uint32_t* dst = out + std::size_t(dy) * std::size_t(dw);
        if (orientation == 2 || orientation == 3) {
            std::reverse_copy(src, src + w, dst);
        } else {
            std::copy(src, src + w, dst);
        }
    }
    return true;
}

// Rows become columns, sixteen source columns (one cache line) per pass, so that
// both sides stay in the cache. `block` moves whole 4 × 4 blocks where it can
// and returns the number of strip rows it placed; the rest go pixel by pixel.
constexpr int kBlock = 16;

template <typename Blocks>
void PlaceColumns(const std::uint32_t* in, int w, int h, int y0, int n, int orientation,
                  std::uint32_t* out, int dw, Blocks block) {
    const bool bottomUp = orientation == 7 || orientation == 8;     // dy = w − 1 − x
    const bool rightToLeft = orientation == 6 || orientation == 7;  // dx = h − 1 − y
    for (int xb = 0; xb < w; xb += kBlock) {
        const int m = std::min(kBlock, w - xb);
        std::uint32_t* rows[kBlock];
        for (int k = 0; k < m; ++k) {
            const int x = xb + k;
            const int dy = bottomUp ? w - 1 - x : x;
            const int dx = rightToLeft ? h - 1 - y0 : y0;
            rows[k] = out + std::size_t(dy) * std::size_t(dw) + std::size_t(dx);
        }
        int i = m == kBlock ? block(in + std::size_t(xb), w, n, rows, rightToLeft) : 0;
        for (; i < n; ++i) {
            const std::uint32_t* src = in + std::size_t(i) * std::size_t(w) + std::size_t(xb);
            const std::ptrdiff_t at = rightToLeft ? -i : i;
            for (int k = 0; k < m; ++k)
                rows[k][at] = src[k];
        }
    }
}

}  // namespace

void PlaceStripPortable(const std::uint32_t* in, int w, int h, int y0, int n, int orientation,
                        std::uint32_t* out, int dw) {
    if (PlaceRows(in, w, h, y0, n, orientation, out, dw)) {
        return;
    }
    PlaceColumns(in, w, h, y0, n, orientation, out, dw,
                 [](const std::uint32_t*, int, int, std::uint32_t**, bool) { return 0; });
}

#if defined(__SSE2__)
void PlaceStripSse2(const std::uint32_t* in, int w, int h, int y0, int n, int orientation,
                    std::uint32_t* out, int dw) {
    if (PlaceRows(in, w, h, y0, n, orientation, out, dw)) {
        return;
    }
    // 4 × 4 pixels at a time in SSE2 registers: every store writes four pixels.
    const auto blocks = [](const std::uint32_t* column, int width, int count,
                           std::uint32_t** rows, bool rightToLeft) {
        int i = 0;
        for (; i + 4 <= count; i += 4) {
            const std::uint32_t* src = column + std::size_t(i) * std::size_t(width);
            for (int r = 0; r < 4; ++r)
                _mm_prefetch(reinterpret_cast<const char*>(src + std::size_t(r) * std::size_t(width) + 4 * kBlock), _MM_HINT_T0);
            for (int k = 0; k < kBlock; k += 4) {
                const auto load = [&](int r) {
                    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                        src + std::size_t(r) * std::size_t(width) + std::size_t(k)));
                };
                const __m128i r0 = load(0), r1 = load(1), r2 = load(2), r3 = load(3);
                const __m128i t0 = _mm_unpacklo_epi32(r0, r1);
                const __m128i t1 = _mm_unpacklo_epi32(r2, r3);
                const __m128i t2 = _mm_unpackhi_epi32(r0, r1);
                const __m128i t3 = _mm_unpackhi_epi32(r2, r3);
                __m128i c[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1),
                                _mm_unpacklo_epi64(t2, t3), _mm_unpackhi_epi64(t2, t3)};
                for (int j = 0; j < 4; ++j) {
                    if (rightToLeft) {
                        // Later rows go further left: the four stored reversed.
                        c[j] = _mm_shuffle_epi32(c[j], 0x1B);
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[k + j] - i - 3), c[j]);
                    } else {
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[k + j] + i), c[j]);
                    }
                }
            }
        }
        return i;
    };
    PlaceColumns(in, w, h, y0, n, orientation, out, dw, blocks);
}
#endif

void PlaceStrip(const std::uint32_t* in, int w, int h, int y0, int n, int orientation,
                std::uint32_t* out, int dw) {
#if defined(__SSE2__) && !defined(VARDESCA_PORTABLE_DECODING)
    PlaceStripSse2(in, w, h, y0, n, orientation, out, dw);
#else
    PlaceStripPortable(in, w, h, y0, n, orientation, out, dw);
#endif
}

}  // namespace vardesca
