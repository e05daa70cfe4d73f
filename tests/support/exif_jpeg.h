// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cstdint>

namespace vardesca::testing {

// The body of an APP1 segment: "Exif", two zero bytes, a TIFF header (big- or
// little-endian) pointing at an IFD `ifdOffset` bytes in, and in that IFD
// `padding` other entries followed by the orientation entry of type `type`.
inline QByteArray ExifBody(std::uint16_t orientation, bool big = false, std::uint16_t type = 3,
                           std::uint32_t ifdOffset = 8, int padding = 0) {
    QByteArray tiff;
    const auto put16 = [&](std::uint16_t v) {
        const char b[2] = {static_cast<char>(big ? v >> 8 : v & 0xFF),
                           static_cast<char>(big ? v & 0xFF : v >> 8)};
        tiff.append(b, 2);
    };
    const auto put32 = [&](std::uint32_t v) {
        if (big) {
            put16(static_cast<std::uint16_t>(v >> 16));
            put16(static_cast<std::uint16_t>(v & 0xFFFF));
        } else {
            put16(static_cast<std::uint16_t>(v & 0xFFFF));
            put16(static_cast<std::uint16_t>(v >> 16));
        }
    };
    tiff.append(big ? "MM" : "II", 2);
    put16(42);
    put32(ifdOffset);
    while (tiff.size() < static_cast<qsizetype>(ifdOffset)) {
        tiff.append('\0');
    }
    put16(static_cast<std::uint16_t>(padding + 1));
    for (int i = 0; i < padding; ++i) {  // ImageDescription, ASCII, nothing in it
        put16(0x010E);
        put16(2);
        put32(0);
        put32(0);
    }
    put16(0x0112);
    put16(type);
    put32(1);
    put16(orientation);
    put16(0);
    put32(0);  // no next IFD
    return QByteArray("Exif\0\0", 6) + tiff;
}

// A JPEG of `image` with an APP1 segment holding `body` right after the SOI.
inline QByteArray JpegWithApp1(const QImage& image, const QByteArray& body, int quality = 95) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    const auto length = static_cast<std::uint16_t>(body.size() + 2);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(static_cast<char>(length >> 8));
    segment.append(static_cast<char>(length & 0xFF));
    jpeg.insert(2, segment + body);
    return jpeg;
}

inline QByteArray JpegWithOrientation(const QImage& image, std::uint16_t orientation) {
    return JpegWithApp1(image, ExifBody(orientation));
}

}  // namespace vardesca::testing
