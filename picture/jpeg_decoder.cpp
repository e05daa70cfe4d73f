// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/jpeg_decoder.h"

#include "picture/exif_orientation.h"
#include "picture/pixel_memory.h"
#include "picture/upright_transform.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace vardesca {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Corrupt-data warnings are not fatal: the decoder carries on, as Qt's does,
// and a damaged photo still shows what it can.
void Silence(j_common_ptr cinfo, int level) {
    // Counted, as libjpeg's own would: a warning means part of the photo is missing.
    if (level < 0) {
        ++cinfo->err->num_warnings;
    }
}
void SilenceOutput(j_common_ptr) {}

// What a decode owns; kept in memory (its address is taken), so its fields are
// still right after a longjmp from the decoder.
struct Work {
    uchar* pixels = nullptr;
    std::size_t bytes = 0;
    std::vector<uchar> strip;
};

// Colour or grey photos; CMYK, YCCK and the like go to Qt's reader, which knows them.
bool OursToDecode(const jpeg_decompress_struct& cinfo) {
    const bool colour = cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB;
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    return (colour && cinfo.num_components == 3) || (grey && cinfo.num_components == 1);
}

// A progressive photo comes in scans, each adding coefficients or their bits; a
// file cut after its first scans and closed with an end mark decodes without a
// warning, blurred. Whether every coefficient of every component arrived whole
// (the decoder keeps, for each, the lowest bit received, −1 for none).
bool EveryCoefficientReceived(const jpeg_decompress_struct& cinfo) {
    if (!cinfo.progressive_mode || cinfo.coef_bits == nullptr) {
        return true;
    }
    for (int c = 0; c < cinfo.num_components; ++c) {
        for (int k = 0; k < DCTSIZE2; ++k) {
            if (cinfo.coef_bits[c][k] != 0) {
                return false;
            }
        }
    }
    return true;
}

// The orientation the photo's EXIF segment gives, 1 (upright) without one.
int SavedOrientation(const jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            return ExifOrientation(m->data, m->data_length);
        }
    }
    return 1;
}

// The helpers below read scanlines, so the decoder's error exit may jump out of
// them back into DecodeJpeg: they own nothing that needs destroying.

// Straight into the picture, row after row.
void ReadUpright(jpeg_decompress_struct& cinfo, uchar* pixels, std::size_t stride) {
    const int rows = int(cinfo.rec_outbuf_height) > 0 ? int(cinfo.rec_outbuf_height) : 1;
    const int h = static_cast<int>(cinfo.output_height);
    JSAMPROW row[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = int(cinfo.output_scanline);
        const int n = std::min({rows, 16, h - y});
        for (int i = 0; i < n; ++i)
            row[i] = pixels + std::size_t(y + i) * stride;
        jpeg_read_scanlines(&cinfo, row, JDIMENSION(n));
    }
}

// A strip of rows at a time into `strip`, each pixel then put where the turned
// picture (`dw` pixels wide) wants it.
void ReadTurned(jpeg_decompress_struct& cinfo, std::vector<uchar>& strip, int orientation,
                std::uint32_t* out, int dw) {
    constexpr int kStrip = 32;
    const int w = static_cast<int>(cinfo.output_width);
    const int h = static_cast<int>(cinfo.output_height);
    strip.resize(std::size_t(w) * 4 * kStrip);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y0 = int(cinfo.output_scanline);
        const int n = std::min(kStrip, h - y0);
        // All the strip's rows in each call: the decoder then need not keep a
        // spare row of its own for subsampled colour.
        JSAMPROW row[kStrip];
        for (int i = 0; i < n; ++i) {
            row[i] = strip.data() + std::size_t(i) * std::size_t(w) * 4;
        }
        int got = 0;
        while (got < n) {
            got += int(jpeg_read_scanlines(&cinfo, row + got, JDIMENSION(n - got)));
        }
        PlaceStrip(reinterpret_cast<const std::uint32_t*>(strip.data()), w, h, y0, n, orientation,
                   out, dw);
    }
}

}  // namespace

JpegDecode DecodeJpeg(const uchar* data, qint64 size, qint64 maxPixels) {
    JpegDecode result;
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return result;

    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = ErrorExit;
    err.base.emit_message = Silence;
    err.base.output_message = SilenceOutput;
    Work work;
    Work* const job = &work;

    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (job->pixels != nullptr)
            FreePixelMemory(job->pixels, job->bytes);
        return JpegDecode{};  // let Qt's reader have a go and say what is wrong
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);

    const int w = static_cast<int>(cinfo.image_width);
    const int h = static_cast<int>(cinfo.image_height);
    if (!OursToDecode(cinfo) || w <= 0 || h <= 0) {
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    if (qint64(w) * h > maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        result.outcome = JpegDecode::Outcome::TooLarge;
        return result;
    }
    const int orientation = SavedOrientation(cinfo);
    const bool swaps = orientation >= 5;
    const int dw = swaps ? h : w;
    const int dh = swaps ? w : h;

    cinfo.out_color_space = JCS_EXT_BGRX;  // Qt's RGB32 byte order on this machine
    jpeg_start_decompress(&cinfo);

    job->bytes = std::size_t(dw) * std::size_t(dh) * 4;
    job->pixels = AllocatePixelMemory(job->bytes);
    uchar* const pixels = job->pixels;
    if (pixels == nullptr) {
        jpeg_destroy_decompress(&cinfo);
        result.outcome = JpegDecode::Outcome::TooLarge;
        return result;
    }
    const std::size_t stride = std::size_t(dw) * 4;
    if (orientation == 1) {
        ReadUpright(cinfo, pixels, stride);
    } else {
        ReadTurned(cinfo, job->strip, orientation, reinterpret_cast<std::uint32_t*>(pixels), dw);
    }
    // Read before the decoder lets go of its tables, as finishing does.
    const bool everyScan = EveryCoefficientReceived(cinfo);
    jpeg_finish_decompress(&cinfo);
    result.damaged = cinfo.err->num_warnings > 0 || !everyScan;
    jpeg_destroy_decompress(&cinfo);

    job->pixels = nullptr;
    result.image =
        AdoptPixelMemory(pixels, job->bytes, dw, dh, qsizetype(stride), QImage::Format_RGB32);
    result.outcome = JpegDecode::Outcome::Decoded;
    return result;
}

}  // namespace vardesca
