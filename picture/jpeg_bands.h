// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>

// How a JPEG is split into bands of rows that decoders on separate threads can
// each give on their own (used by the decoder in jpeg_decoder.cpp).

#include <QtGlobal>
#include <cstddef>
#include <cstdio>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace vardesca::jpeg_bands {

// Where a band of the picture begins in the file and which rows it gives.
struct BandPlan {
    int first = 0;  // picture rows [first, last) are this band's
    int last = 0;
    // Decoding from a restart marker: the entropy data from `dataOffset` (just
    // after the marker ending the interval before), the picture row the decoder's
    // first row is, and the marker number the decoder must be made to see as 0.
    // Without one (`dataOffset` 0) the decoder starts at the top and skips.
    std::size_t dataOffset = 0;
    int startRow = 0;
    int markerShift = 0;
};

// What every band shares: the file, its header, and where the rows go.
struct Target {
    const uchar* data = nullptr;
    std::size_t size = 0;
    std::size_t headerSize = 0;  // the file up to the first byte of entropy data
    std::size_t heightAt = 0;    // where the frame header keeps the picture's height
    int height = 0;  // the stored picture's (a restart band's decoder is told less)
    int orientation = 1;
    uchar* pixels = nullptr;
    int dw = 0;  // the upright picture's width
    // Asked between strips: the decode is no longer wanted (a photo decoded
    // ahead that the user went away from).
    const std::atomic<bool>* stop = nullptr;
    [[nodiscard]] bool Stopped() const {
        return stop != nullptr && stop->load(std::memory_order_relaxed);
    }
};

// A source that gives the file's header, then the entropy data from a restart
// marker on, with every restart marker renumbered so that the decoder finds the
// sequence it expects from the top of a picture (RST0 after the first interval).
// The data is copied a chunk at a time: the file itself is never written.
struct RestartSource {
    jpeg_source_mgr pub{};
    const Target* target = nullptr;
    std::size_t at = 0;  // next byte of the file to give
    int shift = 0;
    bool headerGiven = false;
    bool afterFF = false;  // the chunk before ended inside a marker's 0xFF run
    // The file's header with the height of the rows from the band's first on:
    // the decoder then knows where the picture ends, and a last band finishes
    // (reading to the end mark) as a decode from the top does.
    std::vector<uchar> header;
    std::vector<uchar> chunk;
};

// Points `cinfo` at the band's restart marker through `source`, which must
// outlive the decode.
void ReadFromRestart(jpeg_decompress_struct& cinfo, RestartSource& source, const Target& t,
                     const BandPlan& band);

// Where the frame header (SOF) keeps the height; 0 when it is not found before
// the entropy data.
[[nodiscard]] std::size_t FrameHeightAt(const uchar* data, std::size_t headerSize);

// The rows of one row of blocks (an iMCU row): bands begin on them.
[[nodiscard]] int RowsPerBlockRow(const jpeg_decompress_struct& cinfo);

// Bands of about equal height, each begun at a restart marker, when the file
// has them where rows of blocks begin; none otherwise.
[[nodiscard]] std::vector<BandPlan> RestartBands(const jpeg_decompress_struct& cinfo,
                                                 const Target& t, int count);

// Bands for a file read from the top by every band's decoder.
[[nodiscard]] std::vector<BandPlan> SkippingBands(const jpeg_decompress_struct& cinfo, int count);

}  // namespace vardesca::jpeg_bands
