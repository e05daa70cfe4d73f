// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/jpeg_bands.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vardesca::jpeg_bands {

namespace {

void SourceNothing(j_decompress_ptr) {}

boolean SourceFill(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<RestartSource*>(cinfo->src);
    const Target& t = *src->target;
    if (!src->headerGiven) {
        src->headerGiven = true;
        src->pub.next_input_byte = src->header.data();
        src->pub.bytes_in_buffer = src->header.size();
        return TRUE;
    }
    if (src->at >= t.size) {
        // As libjpeg's own memory source does: a warning and an end mark.
        static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
        ++cinfo->err->num_warnings;
        src->pub.next_input_byte = kEnd;
        src->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    constexpr std::size_t kChunk = 64 * 1024;
    const std::size_t n = std::min(kChunk, t.size - src->at);
    src->chunk.resize(n);
    uchar* out = src->chunk.data();
    std::memcpy(out, t.data + src->at, n);
    src->at += n;
    // After each 0xFF (and any fill 0xFFs), a restart marker's code is renumbered.
    std::size_t i = 0;
    if (src->afterFF) {
        while (i < n && out[i] == 0xFF)
            ++i;
        if (i < n && out[i] >= JPEG_RST0 && out[i] <= JPEG_RST0 + 7)
            out[i] = uchar(JPEG_RST0 + ((out[i] - JPEG_RST0 - src->shift) & 7));
        src->afterFF = i == n;
    }
    while (i < n) {
        const void* ff = std::memchr(out + i, 0xFF, n - i);
        if (ff == nullptr)
            break;
        i = std::size_t(static_cast<const uchar*>(ff) - out);
        while (i < n && out[i] == 0xFF)
            ++i;
        if (i == n) {
            src->afterFF = true;
            break;
        }
        if (out[i] >= JPEG_RST0 && out[i] <= JPEG_RST0 + 7)
            out[i] = uchar(JPEG_RST0 + ((out[i] - JPEG_RST0 - src->shift) & 7));
    }
    src->pub.next_input_byte = out;
    src->pub.bytes_in_buffer = n;
    return TRUE;
}

void SourceSkip(j_decompress_ptr cinfo, long count) {
    auto* src = reinterpret_cast<RestartSource*>(cinfo->src);
    while (count > 0) {
        if (src->pub.bytes_in_buffer == 0) {
            SourceFill(cinfo);
        }
        const std::size_t step = std::min(std::size_t(count), src->pub.bytes_in_buffer);
        src->pub.next_input_byte += step;
        src->pub.bytes_in_buffer -= step;
        count -= long(step);
    }
}

}  // namespace

void ReadFromRestart(jpeg_decompress_struct& cinfo, RestartSource& s, const Target& t,
                     const BandPlan& band) {
    s.target = &t;
    s.at = band.dataOffset;
    s.shift = band.markerShift;
    s.header.assign(t.data, t.data + t.headerSize);
    const int rows = int(t.data[t.heightAt]) * 256 + t.data[t.heightAt + 1] - band.startRow;
    s.header[t.heightAt] = uchar(rows >> 8);
    s.header[t.heightAt + 1] = uchar(rows & 0xFF);
    s.pub.init_source = SourceNothing;
    s.pub.fill_input_buffer = SourceFill;
    s.pub.skip_input_data = SourceSkip;
    s.pub.resync_to_restart = jpeg_resync_to_restart;
    s.pub.term_source = SourceNothing;
    cinfo.src = &s.pub;
}

// Where the frame header (SOF) keeps the height: walked from the start mark
// segment by segment; 0 when the walk does not find it before the entropy data.
std::size_t FrameHeightAt(const uchar* data, std::size_t headerSize) {
    std::size_t i = 2;
    while (i + 4 <= headerSize) {
        if (data[i] != 0xFF) {
            return 0;
        }
        const uchar code = data[i + 1];
        if (code == 0xFF) {
            ++i;  // fill byte
            continue;
        }
        const std::size_t length = std::size_t(data[i + 2]) * 256 + data[i + 3];
        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 &&
                           code != 0xCC;
        if (frame) {
            return i + 5 + 2 <= headerSize ? i + 5 : 0;
        }
        i += 2 + length;
    }
    return 0;
}

// The rows of one row of blocks (an iMCU row): bands begin on them.
int RowsPerBlockRow(const jpeg_decompress_struct& cinfo) {
    return cinfo.max_v_samp_factor * DCTSIZE;
}

// Bands of about `count` rows each, begun at restart markers, when the file has
// them where rows of blocks begin; none otherwise. Each band's decoder starts
// one row of blocks above its first row, so that the colour of its first rows is
// upsampled from the rows above them, exactly as in a decode from the top.
namespace {

// Where each restart interval's data begins, the first right after the
// header, found by scanning the file for its RST markers in their turn.
std::vector<std::size_t> RestartStarts(const Target& t) {
    std::vector<std::size_t> starts{t.headerSize};
    for (std::size_t i = t.headerSize; i + 1 < t.size;) {
        const void* ff = std::memchr(t.data + i, 0xFF, t.size - i - 1);
        if (ff == nullptr)
            break;
        i = std::size_t(static_cast<const uchar*>(ff) - t.data) + 1;
        while (i < t.size && t.data[i] == 0xFF)
            ++i;
        if (i >= t.size)
            break;
        const uchar code = t.data[i++];
        if (code == 0)
            continue;  // a stuffed 0xFF within the data
        if (code < JPEG_RST0 || code > JPEG_RST0 + 7 ||
            code != JPEG_RST0 + (starts.size() - 1) % 8)
            break;  // the end mark, another scan, or a marker out of its turn
        starts.push_back(i);
    }
    return starts;
}

}  // namespace

std::vector<BandPlan> RestartBands(const jpeg_decompress_struct& cinfo, const Target& t,
                                   int count) {
    const int interval = int(cinfo.restart_interval);
    if (interval <= 0 || cinfo.progressive_mode || cinfo.comps_in_scan != cinfo.num_components ||
        t.heightAt == 0 || int(t.data[t.heightAt]) * 256 + t.data[t.heightAt + 1] !=
                               int(cinfo.image_height)) {
        return {};
    }
    const int w = int(cinfo.image_width);
    const int h = int(cinfo.image_height);
    const int blockRow = RowsPerBlockRow(cinfo);
    const int mcuWidth = cinfo.comps_in_scan == 1 ? DCTSIZE : cinfo.max_h_samp_factor * DCTSIZE;
    const long long mcusPerRow = (w + mcuWidth - 1) / mcuWidth;
    const int blockRows = (h + blockRow - 1) / blockRow;
    const long long intervals = (mcusPerRow * blockRows + interval - 1) / interval;
    const std::vector<std::size_t> starts = RestartStarts(t);
    if (static_cast<long long>(starts.size()) != intervals) {
        return {};  // markers missing or extra: the file is read from the top
    }
    std::vector<BandPlan> bands;
    int previous = 0;
    for (int k = 1; k <= count; ++k) {
        // The block row nearest the even split whose row above begins an interval.
        int best = -1;
        if (k < count) {
            const int wanted = int((long long)blockRows * k / count);
            for (int d = 0; d < blockRows && best < 0; ++d) {
                for (const int r : {wanted - d, wanted + d}) {
                    if (r > previous && r < blockRows && ((r - 1) * mcusPerRow) % interval == 0) {
                        best = r;
                        break;
                    }
                }
            }
            if (best < 0)
                continue;
        } else {
            best = blockRows;
        }
        BandPlan band;
        band.first = previous * blockRow;
        band.last = std::min(h, best * blockRow);
        if (previous > 0) {
            const long long index = (previous - 1) * mcusPerRow / interval;
            band.dataOffset = starts[std::size_t(index)];
            band.startRow = (previous - 1) * blockRow;
            band.markerShift = int(index % 8);
        }
        bands.push_back(band);
        previous = best;
        if (best == blockRows)
            break;
    }
    return bands;
}

// Bands for a file without restart markers: every band's decoder reads the
// entropy data of the rows above it to find its own, at about a third of the
// cost of decoding them, so later bands are made shorter for every band to take
// the same time (band k starts where the time of the bands above, less the third
// it spends reaching them, leaves off).
std::vector<BandPlan> SkippingBands(const jpeg_decompress_struct& cinfo, int count) {
    const int h = int(cinfo.image_height);
    const int blockRow = RowsPerBlockRow(cinfo);
    constexpr double kSkip = 1.0 / 3.0;  // skipping a row against decoding it
    const double each = h * kSkip / (1.0 - std::pow(1.0 - kSkip, count));
    std::vector<BandPlan> bands;
    int first = 0;
    double reach = 0;
    for (int k = 0; k < count && first < h; ++k) {
        reach = reach * (1.0 - kSkip) + each;
        int last = k + 1 == count ? h : int(std::lround(reach / blockRow)) * blockRow;
        last = std::min(h, last);
        if (last <= first)
            continue;
        bands.push_back(BandPlan{first, last});
        first = last;
    }
    if (!bands.empty())
        bands.back().last = h;
    return bands;
}

}  // namespace vardesca::jpeg_bands
