// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/jpeg_decoder.h"

#include "picture/exif_orientation.h"
#include "picture/jpeg_bands.h"
#include "picture/pixel_memory.h"
#include "picture/upright_transform.h"
#include "picture/worker_threads.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

// libjpeg's own modules' header: the marker reader's count of bytes skipped
// before a marker, which a band asks at its end (BytesLeftUnsaid).
#include <jpegint.h>


namespace vardesca {

namespace {

using jpeg_bands::BandPlan;
using jpeg_bands::Target;

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

// Bytes a restart interval holds beyond its blocks are counted when the
// restart is made, but said (as a warning) only when the decoder next reads a
// marker from the file itself; when it had already read up to the restart
// marker, that is the marker after, or the end, and where that too had been
// read ahead they are never said. A band that ends between the two would call
// whole a photo the decode from the top calls damaged, and either could miss
// them at the end. So both also ask what is counted and not yet said.
bool BytesLeftUnsaid(const jpeg_decompress_struct& cinfo) {
    return cinfo.marker != nullptr && cinfo.marker->discarded_bytes != 0;
}

// What a decode owns; kept in memory (its address is taken), so its fields are
// still right after a longjmp from the decoder. Everything with a destructor
// that lives while the decoder may jump is in here, made before the jump's
// target: the jump then passes over no live object, and the pieces are freed
// when the decode returns.
struct Work {
    uchar* pixels = nullptr;
    std::size_t bytes = 0;
    std::vector<uchar> strip;
    std::vector<BandPlan> plan;
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
// them back into the band's decode: they own nothing that needs destroying.

// The band's rows, read `kStrip` at a time: the rows above the band (a restart
// band begins one row of blocks early, for the colour's context) are read into
// the strip and dropped; the band's own go straight into the picture, or for a
// turned photo into the strip and from there where the upright picture wants
// each pixel. All the strip's rows go in each call: the decoder then need not
// keep a spare row of its own for subsampled colour.
// False when the decode was stopped on the way.
bool ReadBand(jpeg_decompress_struct& cinfo, const BandPlan& band, const Target& t,
              std::vector<uchar>& strip) {
    constexpr int kStrip = 32;
    const int w = static_cast<int>(cinfo.output_width);
    const int h = t.height;
    const std::size_t rowBytes = std::size_t(w) * 4;
    strip.resize(rowBytes * kStrip);
    JSAMPROW row[kStrip];
    while (int(cinfo.output_scanline) + band.startRow < band.last) {
        if (t.Stopped()) {
            return false;
        }
        const int y = int(cinfo.output_scanline) + band.startRow;
        const int n = std::min(kStrip, (y < band.first ? band.first : band.last) - y);
        const bool direct = y >= band.first && t.orientation == 1;
        for (int i = 0; i < n; ++i) {
            row[i] = direct ? t.pixels + std::size_t(y + i) * rowBytes
                            : strip.data() + std::size_t(i) * rowBytes;
        }
        int got = 0;
        while (got < n) {
            got += int(jpeg_read_scanlines(&cinfo, row + got, JDIMENSION(n - got)));
        }
        if (y >= band.first && t.orientation != 1) {
            PlaceStrip(reinterpret_cast<const std::uint32_t*>(strip.data()), w, h, y, n,
                       t.orientation, reinterpret_cast<std::uint32_t*>(t.pixels), t.dw);
        }
    }
    return true;
}

struct BandOutcome {
    bool decoded = false;
    bool warned = false;  // corrupt or missing data on the way
};

// One band on its own decoder. A band that is not the picture's last stops when
// its rows are in; the last reads the file to its end, as a whole decode does.
BandOutcome DecodeBand(const Target& t, const BandPlan& band, bool last) {
    struct BandWork {
        jpeg_decompress_struct cinfo;
        ErrorManager err;
        jpeg_bands::RestartSource source;
        std::vector<uchar> strip;
    };
    BandWork work;
    BandWork* const job = &work;
    job->cinfo.err = jpeg_std_error(&job->err.base);
    job->err.base.error_exit = ErrorExit;
    job->err.base.emit_message = Silence;
    job->err.base.output_message = SilenceOutput;
    if (setjmp(job->err.jump)) {
        jpeg_destroy_decompress(&job->cinfo);
        return {};
    }
    jpeg_create_decompress(&job->cinfo);
    // Out of memory for the band's own buffers: the band did not decode, and
    // its decoder is let go of all the same.
    try {
        if (band.dataOffset != 0) {
            jpeg_bands::ReadFromRestart(job->cinfo, job->source, t, band);
        } else {
            jpeg_mem_src(&job->cinfo, t.data, static_cast<unsigned long>(t.size));
        }
        jpeg_read_header(&job->cinfo, TRUE);
        job->cinfo.out_color_space = JCS_EXT_BGRX;  // Qt's RGB32 byte order on this machine
        jpeg_start_decompress(&job->cinfo);
        // Read past the rows above in steps, so that a stop is heard within
        // one of them rather than after half the picture.
        constexpr int kSkipStep = 256;  // a whole number of rows of blocks
        for (int skipped = 0; band.dataOffset == 0 && skipped < band.first;) {
            if (t.Stopped()) {
                jpeg_destroy_decompress(&job->cinfo);
                return {};
            }
            const int step = std::min(kSkipStep, band.first - skipped);
            const int got = int(jpeg_skip_scanlines(&job->cinfo, JDIMENSION(step)));
            if (got <= 0) {
                break;  // the picture ended early: the band reads what there is
            }
            skipped += got;
        }
        if (!ReadBand(job->cinfo, band, t, job->strip)) {
            jpeg_destroy_decompress(&job->cinfo);
            return {};
        }
    } catch (const std::exception&) {
        jpeg_destroy_decompress(&job->cinfo);
        return {};
    }
    BandOutcome outcome{true, BytesLeftUnsaid(job->cinfo)};
    if (last) {
        jpeg_finish_decompress(&job->cinfo);
    }
    outcome.warned = outcome.warned || job->cinfo.err->num_warnings > 0;
    jpeg_destroy_decompress(&job->cinfo);
    return outcome;
}

}  // namespace

namespace {

// Where the upright picture goes, and what the bands read it from.
Target TargetOf(const uchar* data, qint64 size, jpeg_decompress_struct& cinfo,
                const std::atomic<bool>* stop) {
    Target target;
    target.data = data;
    target.size = std::size_t(size);
    target.headerSize = std::size_t(cinfo.src->next_input_byte - data);
    target.heightAt = jpeg_bands::FrameHeightAt(data, target.headerSize);
    target.height = static_cast<int>(cinfo.image_height);
    target.orientation = SavedOrientation(cinfo);
    target.dw = static_cast<int>(target.orientation >= 5 ? cinfo.image_height : cinfo.image_width);
    target.stop = stop;
    return target;
}

// The bands the picture is split into; fewer than two: read from the top. A
// progressive photo is whole only after its last scan: every band would
// decode all of it, so it stays on one thread.
void PlanBands(const jpeg_decompress_struct& cinfo, const Target& target, int threads,
               JpegBands bands, std::vector<BandPlan>& plan) {
    if (threads <= 1 || cinfo.progressive_mode) {
        return;
    }
    if (bands != JpegBands::Skipping) {
        plan = jpeg_bands::RestartBands(cinfo, target, threads);
    }
    if (plan.size() < 2) {
        plan = jpeg_bands::SkippingBands(cinfo, threads);
    }
}

// Each band on a decoder of its own, side by side: whether every one came out
// whole. A band that met anything amiss sends the photo through the decode
// from the top, so a damaged photo shows, and is said to be damaged, exactly as
// it always was; a band that ran out of memory on its thread is one more band
// that did not decode.
bool DecodeSideBySide(const Target& target, const std::vector<BandPlan>& plan) {
    try {
        std::vector<BandOutcome> outcomes(plan.size());
        RunSideBySide(int(plan.size()), [&](int k) {
            outcomes[std::size_t(k)] =
                DecodeBand(target, plan[std::size_t(k)], std::size_t(k) + 1 == plan.size());
        });
        return std::all_of(outcomes.begin(), outcomes.end(),
                           [](const BandOutcome& o) { return o.decoded && !o.warned; });
    } catch (const std::exception&) {
        return false;
    }
}

// The photo read from the top on `cinfo`, which has read only the header so
// far; false when stopped on the way. The decoder may jump out of here, so it
// owns nothing.
bool ReadFromTop(jpeg_decompress_struct& cinfo, const Target& target, std::vector<uchar>& strip,
                 bool& damaged) {
    cinfo.out_color_space = JCS_EXT_BGRX;  // Qt's RGB32 byte order on this machine
    jpeg_start_decompress(&cinfo);
    if (!ReadBand(cinfo, BandPlan{0, target.height}, target, strip)) {
        return false;
    }
    // Read before the decoder lets go of its tables, as finishing does.
    const bool everyScan = EveryCoefficientReceived(cinfo);
    const bool unsaid = BytesLeftUnsaid(cinfo);
    jpeg_finish_decompress(&cinfo);
    damaged = cinfo.err->num_warnings > 0 || !everyScan || unsaid;
    return true;
}

}  // namespace

JpegDecode DecodeJpegInBands(const uchar* data, qint64 size, qint64 maxPixels, int threads,
                             JpegBands bands, const std::atomic<bool>* stop) {
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
    if (!OursToDecode(cinfo) || w <= 0 || h <= 0 || qint64(w) * h > maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        if (OursToDecode(cinfo) && w > 0 && h > 0) {
            result.outcome = JpegDecode::Outcome::TooLarge;
        }
        return result;
    }
    Target target = TargetOf(data, size, cinfo, stop);
    const int dw = target.dw;
    const int dh = target.orientation >= 5 ? w : h;  // upright
    PlanBands(cinfo, target, threads, bands, job->plan);

    job->bytes = std::size_t(dw) * std::size_t(dh) * 4;
    job->pixels = AllocatePixelMemory(job->bytes);
    uchar* const pixels = job->pixels;
    if (pixels == nullptr) {
        jpeg_destroy_decompress(&cinfo);
        result.outcome = JpegDecode::Outcome::TooLarge;
        return result;
    }
    target.pixels = pixels;

    const std::vector<BandPlan>& plan = job->plan;
    const bool whole = plan.size() >= 2 && DecodeSideBySide(target, plan);
    if (whole) {
        result.bands = int(plan.size());
        result.atRestartMarkers = plan.back().dataOffset != 0;
    }
    if (target.Stopped() || (!whole && !ReadFromTop(cinfo, target, job->strip, result.damaged))) {
        jpeg_destroy_decompress(&cinfo);
        job->pixels = nullptr;
        FreePixelMemory(pixels, job->bytes);
        result.outcome = JpegDecode::Outcome::Stopped;
        return result;
    }
    jpeg_destroy_decompress(&cinfo);
    job->pixels = nullptr;
    result.image = AdoptPixelMemory(pixels, job->bytes, dw, dh, qsizetype(std::size_t(dw) * 4),
                                    QImage::Format_RGB32);
    result.outcome = JpegDecode::Outcome::Decoded;
    return result;
}

JpegDecode DecodeJpeg(const uchar* data, qint64 size, qint64 maxPixels,
                      const std::atomic<bool>* stop) {
    // Below a quarter of a megabyte of file the threads cost more than they save.
    constexpr qint64 kWorthSplitting = 256 * 1024;
    const int threads = size >= kWorthSplitting ? WorkerThreads() : 1;
    return DecodeJpegInBands(data, size, maxPixels, threads, JpegBands::Fastest, stop);
}

}  // namespace vardesca
