#include "view/jpeg_decoder.h"

#include "view/pixel_memory.h"

#include <emmintrin.h>

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
void Silence(j_common_ptr, int) {}
void SilenceOutput(j_common_ptr) {}

// What a decode owns; kept in memory (its address is taken), so its fields are
// still right after a longjmp from the decoder.
struct Work {
    uchar* pixels = nullptr;
    std::size_t bytes = 0;
    std::vector<uchar> strip;
};

quint16 Read16(const uchar* p, bool big) {
    return big ? quint16((p[0] << 8) | p[1]) : quint16((p[1] << 8) | p[0]);
}
quint32 Read32(const uchar* p, bool big) {
    return big ? (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3]
               : (quint32(p[3]) << 24) | (quint32(p[2]) << 16) | (quint32(p[1]) << 8) | p[0];
}

// Puts rows y0 … y0 + n − 1 of a w × h picture, decoded into `in`, where the
// upright picture (dw pixels wide) wants them for the EXIF orientation.
void PlaceStrip(const quint32* in, int w, int h, int y0, int n, int orientation, quint32* out,
                int dw) {
    if (orientation <= 4) {
        // Rows stay rows: copied, mirrored, or both.
        for (int i = 0; i < n; ++i) {
            const int y = y0 + i;
            const quint32* src = in + std::size_t(i) * std::size_t(w);
            const int dy = (orientation == 3 || orientation == 4) ? h - 1 - y : y;
            quint32* dst = out + std::size_t(dy) * std::size_t(dw);
            if (orientation == 2 || orientation == 3) {
                std::reverse_copy(src, src + w, dst);
            } else {
                std::copy(src, src + w, dst);
            }
        }
        return;
    }
    // Rows become columns: a blocked transpose, 4 × 4 pixels at a time in SSE2
    // registers, sixteen source columns (one cache line) per pass, so that both
    // sides stay in the cache and every store writes four pixels.
    const bool bottomUp = orientation == 7 || orientation == 8;     // dy = w − 1 − x
    const bool rightToLeft = orientation == 6 || orientation == 7;  // dx = h − 1 − y
    constexpr int kBlock = 16;
    for (int xb = 0; xb < w; xb += kBlock) {
        const int m = std::min(kBlock, w - xb);
        quint32* rows[kBlock];
        for (int k = 0; k < m; ++k) {
            const int x = xb + k;
            const int dy = bottomUp ? w - 1 - x : x;
            const int dx = rightToLeft ? h - 1 - y0 : y0;
            rows[k] = out + std::size_t(dy) * std::size_t(dw) + std::size_t(dx);
        }
        int i = 0;
        if (m == kBlock) {
            for (; i + 4 <= n; i += 4) {
                const quint32* src = in + std::size_t(i) * std::size_t(w) + std::size_t(xb);
                for (int k = 0; k < kBlock; k += 4) {
                    const auto load = [&](int r) {
                        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                            src + std::size_t(r) * std::size_t(w) + std::size_t(k)));
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
        }
        for (; i < n; ++i) {
            const quint32* src = in + std::size_t(i) * std::size_t(w) + std::size_t(xb);
            const std::ptrdiff_t at = rightToLeft ? -i : i;
            for (int k = 0; k < m; ++k)
                rows[k][at] = src[k];
        }
    }
}

}  // namespace

int ExifOrientation(const uchar* app1, unsigned length) {
    if (length < 14 || std::memcmp(app1, "Exif\0\0", 6) != 0)
        return 1;
    const uchar* tiff = app1 + 6;
    const unsigned size = length - 6;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M';
    if (!big && !(tiff[0] == 'I' && tiff[1] == 'I'))
        return 1;
    if (Read16(tiff + 2, big) != 42)
        return 1;
    const quint32 ifd = Read32(tiff + 4, big);
    if (ifd > size - 2)
        return 1;
    const unsigned entries = Read16(tiff + ifd, big);
    for (unsigned i = 0; i < entries; ++i) {
        const quint64 at = quint64(ifd) + 2 + quint64(i) * 12;
        if (at + 12 > size)
            break;
        if (Read16(tiff + at, big) == 0x0112 && Read16(tiff + at + 2, big) == 3) {
            const int value = Read16(tiff + at + 8, big);
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

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

    const bool colour = cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB;
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    if (!(colour && cinfo.num_components == 3) && !(grey && cinfo.num_components == 1)) {
        jpeg_destroy_decompress(&cinfo);
        return result;  // CMYK, YCCK and the like: Qt's reader knows them
    }
    const int w = static_cast<int>(cinfo.image_width);
    const int h = static_cast<int>(cinfo.image_height);
    if (w <= 0 || h <= 0) {
        jpeg_destroy_decompress(&cinfo);
        return result;
    }
    if (qint64(w) * h > maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        result.outcome = JpegDecode::Outcome::TooLarge;
        return result;
    }
    int orientation = 1;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            orientation = ExifOrientation(m->data, m->data_length);
            break;
        }
    }
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
    const int rows = int(cinfo.rec_outbuf_height) > 0 ? int(cinfo.rec_outbuf_height) : 1;
    if (orientation == 1) {
        // Straight into the picture, row after row.
        JSAMPROW row[16];
        while (cinfo.output_scanline < cinfo.output_height) {
            const int y = int(cinfo.output_scanline);
            const int n = std::min({rows, 16, h - y});
            for (int i = 0; i < n; ++i)
                row[i] = pixels + std::size_t(y + i) * stride;
            jpeg_read_scanlines(&cinfo, row, JDIMENSION(n));
        }
    } else {
        // A strip of rows at a time, each pixel put where the turned picture
        // wants it.
        constexpr int kStrip = 32;
        std::vector<uchar>& strip = job->strip;
        strip.resize(std::size_t(w) * 4 * kStrip);
        auto* out = reinterpret_cast<quint32*>(pixels);
        while (cinfo.output_scanline < cinfo.output_height) {
            const int y0 = int(cinfo.output_scanline);
            const int n = std::min(kStrip, h - y0);
            // All the strip's rows in each call: the decoder then need not keep
            // a spare row of its own for subsampled colour.
            JSAMPROW row[kStrip];
            for (int i = 0; i < n; ++i) {
                row[i] = strip.data() + std::size_t(i) * std::size_t(w) * 4;
            }
            int got = 0;
            while (got < n) {
                got += int(jpeg_read_scanlines(&cinfo, row + got, JDIMENSION(n - got)));
            }
            PlaceStrip(reinterpret_cast<const quint32*>(strip.data()), w, h, y0, n, orientation,
                       out, dw);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);

    job->pixels = nullptr;
    result.image =
        AdoptPixelMemory(pixels, job->bytes, dw, dh, qsizetype(stride), QImage::Format_RGB32);
    result.outcome = JpegDecode::Outcome::Decoded;
    return result;
}

}  // namespace vardesca
