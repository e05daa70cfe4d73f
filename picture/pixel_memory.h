// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <cstddef>

namespace vardesca {

// Picture memory straight from the kernel, in huge pages where it can: a
// 48-megapixel picture in 4 KiB pages costs tens of thousands of page faults on
// first touch, which is most of what a decode or a reduction into fresh memory
// takes. Nothing when the memory cannot be had.
[[nodiscard]] uchar* AllocatePixelMemory(std::size_t bytes);
void FreePixelMemory(uchar* pixels, std::size_t bytes);

// A picture over memory from AllocatePixelMemory, which it frees when the last
// copy of the picture goes.
[[nodiscard]] QImage AdoptPixelMemory(uchar* pixels, std::size_t bytes, int width, int height,
                                      qsizetype stride, QImage::Format format);

// A new picture of that size in such memory; a null picture when it cannot be had.
[[nodiscard]] QImage MakePixelImage(int width, int height, QImage::Format format);

// Tests: while on, pixel memory asked for on any thread but the one that
// turned this on is refused, as a system out of memory would.
void RefusePixelMemoryOffThisThreadForTests(bool on);

}  // namespace vardesca
