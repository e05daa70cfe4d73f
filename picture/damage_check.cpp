// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/damage_check.h"

#include "picture/picture_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace vardesca {

namespace {

// Little-endian fields, read only where the caller has checked the bytes exist.
struct Bytes {
    const unsigned char* p;
    std::size_t size;

    [[nodiscard]] bool Has(std::size_t at, std::size_t n) const { return at <= size && n <= size - at; }
    [[nodiscard]] std::uint32_t U8(std::size_t at) const { return p[at]; }
    [[nodiscard]] std::uint32_t U16(std::size_t at) const {
        return std::uint32_t{p[at]} | (std::uint32_t{p[at + 1]} << 8);
    }
    [[nodiscard]] std::uint32_t U32(std::size_t at) const {
        return U16(at) | (U16(at + 2) << 16);
    }
    [[nodiscard]] std::int32_t S32(std::size_t at) const {
        return static_cast<std::int32_t>(U32(at));
    }
};

Bytes Of(const QByteArray& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

// The bytes a bottom-up or top-down uncompressed bitmap's pixels take.
std::uint64_t UncompressedBytes(std::int64_t width, std::int64_t height, std::uint32_t bpp) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(std::llabs(width)) * bpp + 31) / 32 * 4;
    return rowBytes * static_cast<std::uint64_t>(std::llabs(height));
}

// An RLE8 (rle4 false) or RLE4 stream from `at`: every run must stay inside the
// width × height picture and the stream must reach its end-of-bitmap mark.
Outcome RleDamage(const Bytes& b, std::size_t at, std::int64_t width, std::int64_t height, bool rle4) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    const auto outside = [&] { return x > width || y >= height; };
    for (;;) {
        if (!b.Has(at, 2)) {
            return Because(picture_text::kRleEndsEarly);
        }
        const std::uint32_t count = b.U8(at);
        const std::uint32_t code = b.U8(at + 1);
        at += 2;
        if (count > 0) {
            if (y >= height) {
                return Because(picture_text::kRlePastPicture);
            }
            x += count;
        } else if (code == 0) {
            x = 0;
            ++y;
            continue;
        } else if (code == 1) {
            return {};
        } else if (code == 2) {
            if (!b.Has(at, 2)) {
                return Because(picture_text::kRleEndsEarly);
            }
            x += b.U8(at);
            y += b.U8(at + 1);
            at += 2;
        } else {
            if (y >= height) {
                return Because(picture_text::kRlePastPicture);
            }
            x += code;
            const std::size_t bytes = rle4 ? (code + 1) / 2 : code;
            at += bytes + (bytes % 2);
        }
        if (outside()) {
            return Because(picture_text::kRlePastPicture);
        }
    }
}

// An indexed bitmap's pixels against the palette the file holds.
struct IndexedBitmap {
    std::uint32_t offBits, header, compression, coloursUsed;
    std::int64_t width, height;
    std::uint32_t bpp;
};

// Indices beyond the palette the file holds show as black or garbage.
Outcome PaletteDamage(const Bytes& b, const IndexedBitmap& bmp) {
    const std::uint32_t bpp = bmp.bpp;
    const std::uint32_t declared = bmp.coloursUsed != 0 ? bmp.coloursUsed : (1u << bpp);
    const std::size_t paletteStart = 14 + bmp.header + (bmp.compression == 3 ? 12 : 0);
    const std::uint32_t present =
        bmp.offBits > paletteStart ? static_cast<std::uint32_t>((bmp.offBits - paletteStart) / 4) : 0;
    const std::uint32_t entries = std::min(declared, present);
    if (entries >= (1u << bpp)) {
        return std::nullopt;
    }
    const std::uint64_t rowBytes = UncompressedBytes(bmp.width, 1, bpp);
    for (std::int64_t y = 0; y < std::llabs(bmp.height); ++y) {
        const std::size_t row =
            bmp.offBits + static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(y);
        for (std::int64_t x = 0; x < std::llabs(bmp.width); ++x) {
            const std::size_t bit = static_cast<std::size_t>(x) * bpp;
            const std::uint32_t byte = b.U8(row + bit / 8);
            const std::uint32_t index = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
            if (index >= entries) {
                return Because(picture_text::kColoursNotInPalette);
            }
        }
    }
    return std::nullopt;
}

}  // namespace

Outcome BmpDamage(const QByteArray& bytes) {
    const Bytes b = Of(bytes);
    if (!b.Has(0, 18) || b.p[0] != 'B' || b.p[1] != 'M') {
        return {};
    }
    const std::uint32_t fileSize = b.U32(2);
    const std::uint32_t offBits = b.U32(10);
    const std::uint32_t header = b.U32(14);
    if (fileSize > b.size) {
        return Because(picture_text::kBmpShorterThanHeader);
    }
    if (offBits > b.size) {
        return Because(picture_text::kBmpPixelsPastEnd);
    }
    if (header < 40 || !b.Has(14, 40)) {
        return {};  // the old OS/2 header: too little to check
    }
    const std::int64_t width = b.S32(18);
    const std::int64_t height = b.S32(22);
    const std::uint32_t bpp = b.U16(28);
    const std::uint32_t compression = b.U32(30);
    const std::uint32_t sizeImage = b.U32(34);
    const std::int32_t xppm = b.S32(38);
    const std::int32_t yppm = b.S32(42);
    const std::uint32_t coloursUsed = b.U32(46);
    // A million pixels a metre is 25,400 dpi: no scanner or camera says more.
    if (xppm < 0 || yppm < 0 || xppm > 1000000 || yppm > 1000000) {
        return Because(picture_text::kBmpBadResolution);
    }
    if (compression == 1 || compression == 2) {
        if (height < 0) {
            return Because(picture_text::kBmpTopDownRle);
        }
        return RleDamage(b, offBits, width, height, compression == 2);
    }
    if (compression != 0 && compression != 3) {
        return {};
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        return {};
    }
    const std::uint64_t need = UncompressedBytes(width, height, bpp);
    if (std::uint64_t{offBits} + need > b.size) {
        return Because(picture_text::kBmpTruncated);
    }
    if (sizeImage != 0 && sizeImage != need) {
        return Because(picture_text::kBmpWrongSize);
    }
    if (bpp == 8 || bpp == 4 || bpp == 1) {
        return PaletteDamage(b, {offBits, header, compression, coloursUsed, width, height, bpp});
    }
    return {};
}

namespace {

// GIF sub-blocks from `at` (which ends past them) into `data` when given; false
// when they run past the end of the file.
bool SubBlocks(const Bytes& b, std::size_t& at, std::vector<unsigned char>* data) {
    for (;;) {
        if (!b.Has(at, 1)) {
            return false;
        }
        const std::size_t length = b.U8(at++);
        if (length == 0) {
            return true;
        }
        if (!b.Has(at, length)) {
            return false;
        }
        if (data != nullptr) {
            data->insert(data->end(), b.p + at, b.p + at + length);
        }
        at += length;
    }
}

// The LZW string table as far as checking needs it: each code's prefix code,
// its last byte and its first.
struct LzwTable {
    std::array<std::int32_t, 4096> prefix{};
    std::array<unsigned char, 4096> suffix{};
    std::array<unsigned char, 4096> first{};

    explicit LzwTable(std::uint32_t clear) {
        for (std::uint32_t i = 0; i < clear; ++i) {
            prefix[i] = -1;
            suffix[i] = first[i] = static_cast<unsigned char>(i);
        }
    }
    // Counts the pixels `code` stands for into `pixels`; false when one of them
    // is a colour past the palette's `colours`.
    bool Output(std::uint32_t code, std::uint32_t colours, std::uint64_t& pixels) const {
        for (auto c = static_cast<std::int32_t>(code); c >= 0; c = prefix[static_cast<std::size_t>(c)]) {
            if (suffix[static_cast<std::size_t>(c)] >= colours) {
                return false;
            }
            ++pixels;
        }
        return true;
    }
};

// The next `size`-bit code of the least-significant-bit-first stream `data` from
// `bit`; nothing once the codes run out.
std::optional<std::uint32_t> NextCode(const std::vector<unsigned char>& data, std::size_t& bit,
                                      std::uint32_t size) {
    if (bit + size > data.size() * 8) {
        return std::nullopt;
    }
    std::uint32_t code = 0;
    for (std::uint32_t i = 0; i < size; ++i, ++bit) {
        code |= ((static_cast<std::uint32_t>(data[bit / 8]) >> (bit % 8)) & 1u) << i;
    }
    return code;
}

// The codes of the image shown, decoded as far as checking needs: every code
// valid, every colour in the palette, at least `wanted` pixels.
Outcome LzwDamage(const std::vector<unsigned char>& data, std::uint32_t minCode,
                  std::uint32_t colours, std::uint64_t wanted) {
    const std::uint32_t clear = 1u << minCode;
    const std::uint32_t end = clear + 1;
    LzwTable table(clear);
    std::uint32_t codeSize = minCode + 1;
    std::uint32_t next = end + 1;
    std::int32_t previous = -1;
    std::uint64_t pixels = 0;
    std::size_t bit = 0;
    // Until the codes run out or their end mark: either way, the pixels count.
    for (auto code = NextCode(data, bit, codeSize); code && *code != end;
         code = NextCode(data, bit, codeSize)) {
        if (*code == clear) {
            codeSize = minCode + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        if (previous < 0 ? *code >= clear : (*code > next || (*code == next && next >= 4096))) {
            return Because(picture_text::kGifBadCode);
        }
        if (previous >= 0 && next < 4096) {
            const auto before = static_cast<std::size_t>(previous);
            table.prefix[next] = previous;
            table.suffix[next] = *code == next ? table.first[before] : table.first[*code];
            table.first[next] = table.first[before];
            ++next;
            if (next == (1u << codeSize) && codeSize < 12) {
                ++codeSize;
            }
        }
        if (!table.Output(*code, colours, pixels)) {
            return Because(picture_text::kColoursNotInPalette);
        }
        const bool afterClear = previous < 0;
        previous = static_cast<std::int32_t>(*code);
        if (!afterClear && pixels > wanted + 4096) {
            break;  // more than the picture: the rest is never shown
        }
    }
    if (pixels < wanted) {
        return Because(picture_text::kGifIncomplete);
    }
    return std::nullopt;
}

// The first image, from its descriptor at `at`: the one shown.
Outcome GifImageDamage(const Bytes& b, std::size_t at, std::uint32_t globalColours) {
    const Failure truncated = Because(picture_text::kGifTruncated);
    if (!b.Has(at, 11)) {
        return truncated;
    }
    const std::uint32_t width = b.U16(at + 5);
    const std::uint32_t height = b.U16(at + 7);
    const std::uint32_t flags = b.U8(at + 9);
    at += 10;
    std::uint32_t colours = globalColours;
    if (flags & 0x80) {
        colours = 2u << (flags & 7);
        at += 3 * std::size_t{colours};
    }
    if (colours == 0) {
        colours = 256;
    }
    if (!b.Has(at, 1)) {
        return truncated;
    }
    const std::uint32_t minCode = b.U8(at++);
    std::vector<unsigned char> data;
    if (!SubBlocks(b, at, &data)) {
        return truncated;
    }
    if (minCode < 1 || minCode > 11) {
        return Because(picture_text::kGifBadLzw);
    }
    return LzwDamage(data, minCode, colours, std::uint64_t{width} * height);
}

}  // namespace

Outcome GifDamage(const QByteArray& bytes) {
    const Bytes b = Of(bytes);
    if (!b.Has(0, 6) || (bytes.left(6) != "GIF87a" && bytes.left(6) != "GIF89a")) {
        return std::nullopt;
    }
    const Failure truncated = Because(picture_text::kGifTruncated);
    if (!b.Has(0, 13)) {
        return truncated;
    }
    const std::uint32_t screenFlags = b.U8(10);
    const std::uint32_t globalColours = (screenFlags & 0x80) ? 2u << (screenFlags & 7) : 0;
    std::size_t at = 13 + 3 * std::size_t{globalColours};
    for (;;) {
        if (!b.Has(at, 1)) {
            return truncated;
        }
        const std::uint32_t kind = b.U8(at);
        if (kind == 0x3B) {
            return std::nullopt;  // the trailer before any image
        }
        if (kind == 0x21) {
            at += 2;
            if (!SubBlocks(b, at, nullptr)) {
                return truncated;
            }
            continue;
        }
        if (kind != 0x2C) {
            return Because(picture_text::kGifForeignBlock);
        }
        return GifImageDamage(b, at, globalColours);
    }
}

Outcome IcoDamage(const QByteArray& bytes) {
    const Bytes b = Of(bytes);
    if (!b.Has(0, 6) || b.U16(0) != 0 || (b.U16(2) != 1 && b.U16(2) != 2)) {
        return {};
    }
    const std::uint32_t count = b.U16(4);
    if (!b.Has(6, 16 * std::size_t{count})) {
        return Because(picture_text::kIcoIndexTooLong);
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * std::size_t{i};
        const std::uint32_t width = b.U8(entry) == 0 ? 256 : b.U8(entry);
        const std::uint32_t height = b.U8(entry + 1) == 0 ? 256 : b.U8(entry + 1);
        const std::uint32_t length = b.U32(entry + 8);
        const std::uint32_t offset = b.U32(entry + 12);
        if (!b.Has(offset, length) || length < 8) {
            return Because(picture_text::kIcoImagePastEnd);
        }
        if (bytes.mid(static_cast<qsizetype>(offset), 8) == QByteArray("\x89PNG\r\n\x1a\n", 8)) {
            continue;
        }
        if (length < 40 || b.U32(offset) < 40) {
            return Because(picture_text::kIcoBadHeader);
        }
        const std::int64_t bmpWidth = b.S32(offset + 4);
        const std::int64_t bmpHeight = b.S32(offset + 8);
        const std::uint32_t compression = b.U32(offset + 16);
        if (bmpWidth != width || (bmpHeight != 2 * std::int64_t{height} && bmpHeight != height)) {
            return Because(picture_text::kIcoWrongSize);
        }
        if (compression != 0 && compression != 3) {
            return Because(picture_text::kIcoBadCompression);
        }
    }
    return {};
}

namespace {

// Whether a device-independent bitmap of `n` bytes holds the pixels its header
// announces (uncompressed ones: compressed sizes are not known in advance).
bool DibFits(const Bytes& b, std::size_t at, std::size_t n) {
    if (n < 40 || !b.Has(at, 40) || b.U32(at) < 40) {
        return true;  // too little or too old to check; libwmf decides
    }
    const std::uint32_t header = b.U32(at);
    const std::int64_t width = b.S32(at + 4);
    const std::int64_t height = b.S32(at + 8);
    const std::uint32_t bpp = b.U16(at + 14);
    const std::uint32_t compression = b.U32(at + 16);
    const std::uint32_t colours = b.U32(at + 32);
    if (compression != 0) {
        return true;
    }
    const std::uint64_t palette = bpp <= 8 ? 4ull * (colours != 0 ? colours : (1ull << bpp)) : 0;
    return std::uint64_t{header} + palette + UncompressedBytes(width, height, bpp) <= n;
}

}  // namespace

Outcome WmfDamage(const QByteArray& bytes) {
    const Bytes b = Of(bytes);
    std::size_t at = 0;
    if (b.Has(0, 4) && b.U32(0) == 0x9AC6CDD7u) {
        at = 22;
    }
    if (!b.Has(at, 18)) {
        return Because(picture_text::kWmfTruncated);
    }
    at += std::size_t{b.U16(at + 2)} * 2;
    const Failure skipped = Because(picture_text::kWmfRecordSkipped);
    while (b.Has(at, 6)) {
        const std::uint64_t words = b.U32(at);
        const std::uint32_t function = b.U16(at + 4);
        if (words < 3 || !b.Has(at, static_cast<std::size_t>(std::min<std::uint64_t>(words * 2, SIZE_MAX)))) {
            return Because(picture_text::kWmfRecordPastEnd);
        }
        if (function == 0) {
            return {};  // the end-of-file record
        }
        const std::size_t params = at + 6;
        const auto paramBytes = static_cast<std::size_t>(words * 2 - 6);
        // Where a record's bitmap starts, for the records that carry one.
        std::size_t dib = 0;
        switch (function) {
            case 0x0626:  // ESCAPE: function, byte count, data
                if (paramBytes >= 4 && b.U16(params + 2) > paramBytes - 4) {
                    return skipped;
                }
                break;
            case 0x0f43:  // STRETCHDIB
                dib = 22;
                break;
            case 0x0b41:  // DIBSTRETCHBLT
                dib = 20;
                break;
            case 0x0940:  // DIBBITBLT
                dib = 16;
                break;
            case 0x0d33:  // SETDIBTODEV
                dib = 18;
                break;
            case 0x0142:  // DIBCREATEPATTERNBRUSH
                dib = 4;
                break;
            default:
                break;
        }
        if (dib != 0 && paramBytes > dib && !DibFits(b, params + dib, paramBytes - dib)) {
            return skipped;
        }
        at += static_cast<std::size_t>(words * 2);
    }
    return Because(picture_text::kWmfNoEndRecord);
}

Outcome FindDamage(const QByteArray& bytes) {
    if (bytes.startsWith("BM")) {
        return BmpDamage(bytes);
    }
    if (bytes.startsWith("GIF8")) {
        return GifDamage(bytes);
    }
    if (bytes.size() >= 4 && bytes[0] == 0 && bytes[1] == 0 && (bytes[2] == 1 || bytes[2] == 2) &&
        bytes[3] == 0) {
        return IcoDamage(bytes);
    }
    return {};
}

}  // namespace vardesca
