// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/exif_orientation.h"

#include <cstring>

namespace vardesca {

namespace {

std::uint16_t Read16(const unsigned char* p, bool big) {
    return big ? static_cast<std::uint16_t>((p[0] << 8) | p[1])
               : static_cast<std::uint16_t>((p[1] << 8) | p[0]);
}

std::uint32_t Read32(const unsigned char* p, bool big) {
    return big ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                     (std::uint32_t{p[2]} << 8) | p[3]
               : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                     (std::uint32_t{p[1]} << 8) | p[0];
}

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

}  // namespace

int ExifOrientation(const unsigned char* app1, std::size_t length) {
    if (length < 14 || std::memcmp(app1, "Exif\0\0", 6) != 0)
        return 1;
    const unsigned char* tiff = app1 + 6;
    const std::size_t size = length - 6;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if (!big && !(tiff[0] == 'I' && tiff[1] == 'I'))
        return 1;
    if (Read16(tiff + 2, big) != 42)
        return 1;
    const std::uint32_t ifd = Read32(tiff + 4, big);
    if (ifd > size - 2)
        return 1;
    const unsigned entries = Read16(tiff + ifd, big);
    for (unsigned i = 0; i < entries; ++i) {
        const std::uint64_t at = std::uint64_t{ifd} + 2 + std::uint64_t{i} * 12;
        if (at + 12 > size)
            break;
        if (Read16(tiff + at, big) == kOrientationTag && Read16(tiff + at + 2, big) == kShortType) {
            const int value = Read16(tiff + at + 8, big);
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

}  // namespace vardesca
