// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace vardesca {

// A JPEG is decoded a strip of rows at a time; these put each strip where the
// upright picture wants it for the EXIF orientation (1 to 8). `in` holds rows
// y0 … y0 + n − 1 of the w × h picture as decoded (w pixels a row); `out` is the
// upright picture, dw pixels a row (h wide when the orientation turns it, w
// otherwise).
void PlaceStrip(const std::uint32_t* in, int w, int h, int y0, int n, int orientation,
                std::uint32_t* out, int dw);

// The two ways PlaceStrip can go, for the tests that hold them to the same
// pixels: plain C++ everywhere, and SSE2 blocks where the processor has them.
// PlaceStrip takes the SSE2 one unless built with VARDESCA_PORTABLE_DECODING.
void PlaceStripPortable(const std::uint32_t* in, int w, int h, int y0, int n, int orientation,
                        std::uint32_t* out, int dw);
#if defined(__SSE2__)
void PlaceStripSse2(const std::uint32_t* in, int w, int h, int y0, int n, int orientation,
                    std::uint32_t* out, int dw);
#endif

}  // namespace vardesca
