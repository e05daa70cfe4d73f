#include "view/jpeg_decoder.h"

#include <sys/mman.h>

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

// Picture memory from the kernel, in huge pages where it can.
uchar* AllocatePixels(std::size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    madvise(p, bytes, MADV_HUGEPAGE);
    return static_cast<uchar*>(p);
}

// What a decode owns; kept in memory (its address is taken), so its fields are
// still right after a longjmp from the decoder.
struct Work {
    uchar* pixels = nullptr;
    std::size_t bytes = 0;
    std::vector<uchar> strip;
};

struct Owner {
    uchar* data;
    std::size_t bytes;
};

void Release(void* info) {
    auto* owner = static_cast<Owner*>(info);
    munmap(owner->data, owner->bytes);
    delete owner;
}

quint16 Read16(const uchar* p, bool big) {
    return big ? quint16((p[0] << 8) | p[1]) : quint16((p[1] << 8) | p[0]);
}
quint32 Read32(const uchar* p, bool big) {
    return big ? (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3]
               : (quint32(p[3]) << 24) | (quint32(p[2]) << 16) | (quint32(p[1]) << 8) | p[0];
}

// Where a source pixel (x, y) of a w × h picture lands in the upright one.
struct Turn {
    int orientation, w, h;
    bool Swaps() const { return orientation >= 5; }
    void Map(int x, int y, int& dx, int& dy) const {
        switch (orientation) {
            case 2:
                dx = w - 1 - x;
                dy = y;
                break;
            case 3:
                dx = w - 1 - x;
                dy = h - 1 - y;
                break;
            case 4:
                dx = x;
                dy = h - 1 - y;
                break;
            case 5:
                dx = y;
                dy = x;
                break;
            case 6:
                dx = h - 1 - y;
                dy = x;
                break;
            case 7:
                dx = h - 1 - y;
                dy = w - 1 - x;
                break;
            case 8:
                dx = y;
                dy = w - 1 - x;
                break;
            default:
                dx = x;
                dy = y;
                break;
        }
    }
};

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
            munmap(job->pixels, job->bytes);
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
    const Turn turn{orientation, w, h};
    const int dw = turn.Swaps() ? h : w;
    const int dh = turn.Swaps() ? w : h;

    cinfo.out_color_space = JCS_EXT_BGRX;  // Qt's RGB32 byte order on this machine
    jpeg_start_decompress(&cinfo);

    job->bytes = std::size_t(dw) * std::size_t(dh) * 4;
    job->pixels = AllocatePixels(job->bytes);
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
        constexpr int kStrip = 16;
        std::vector<uchar>& strip = job->strip;
        strip.resize(std::size_t(w) * 4 * kStrip);
        auto* out = reinterpret_cast<quint32*>(pixels);
        while (cinfo.output_scanline < cinfo.output_height) {
            const int y0 = int(cinfo.output_scanline);
            const int n = std::min(kStrip, h - y0);
            int got = 0;
            while (got < n) {
                JSAMPROW row = strip.data() + std::size_t(got) * std::size_t(w) * 4;
                got += int(jpeg_read_scanlines(&cinfo, &row, 1));
            }
            const auto* in = reinterpret_cast<const quint32*>(strip.data());
            for (int x = 0; x < w; ++x) {
                for (int i = 0; i < n; ++i) {
                    int dx = 0;
                    int dy = 0;
                    turn.Map(x, y0 + i, dx, dy);
                    out[std::size_t(dy) * std::size_t(dw) + std::size_t(dx)] =
                        in[std::size_t(i) * std::size_t(w) + std::size_t(x)];
                }
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);

    auto* owner = new Owner{pixels, job->bytes};
    job->pixels = nullptr;
    result.image = QImage(pixels, dw, dh, qsizetype(stride), QImage::Format_RGB32, Release, owner);
    result.outcome = JpegDecode::Outcome::Decoded;
    return result;
}

}  // namespace vardesca
