// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/png_writer.h"

#include <QtEndian>
#include <algorithm>
#include <new>

#include "picture/worker_threads.h"

#include <zlib.h>

namespace vardesca {

namespace {

void Put32(QByteArray& out, quint32 value) {
    char b[4];
    qToBigEndian(value, b);
    out.append(b, 4);
}

// A chunk: length, type, data, and the CRC of type and data.
void AppendChunk(QByteArray& out, const char type[4], const char* data, qsizetype size) {
    Put32(out, quint32(size));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data, size);
    const auto* crcFrom = reinterpret_cast<const Bytef*>(out.constData() + start);
    Put32(out, quint32(crc32(0, crcFrom, uInt(out.size() - start))));
}

// Row `y` of the image as PNG samples (R G B, or R G B A with straight alpha).
void Samples(const QImage& image, int y, bool alpha, unsigned char* out) {
    const auto* px = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const int w = image.width();
    if (alpha) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = px[x];
            out[4 * x] = uchar(qRed(p));
            out[4 * x + 1] = uchar(qGreen(p));
            out[4 * x + 2] = uchar(qBlue(p));
            out[4 * x + 3] = uchar(qAlpha(p));
        }
    } else {
        for (int x = 0; x < w; ++x) {
            out[3 * x] = uchar(qRed(px[x]));
            out[3 * x + 1] = uchar(qGreen(px[x]));
            out[3 * x + 2] = uchar(qBlue(px[x]));
        }
    }
}

// Compressed bytes gathered in blocks of 4 MiB, each reserved whole: no
// growing buffer's spare room and no copies as it grows, and each block later
// an IDAT chunk of the file as it stands.
constexpr qsizetype kBlock = qsizetype(4) << 20;

bool Append(std::vector<QByteArray>& blocks, const char* data, qsizetype size) {
    try {
        while (size > 0) {
            if (blocks.empty() || blocks.back().size() == kBlock) {
                blocks.emplace_back();
                blocks.back().reserve(kBlock);
            }
            const qsizetype take = std::min(size, kBlock - blocks.back().size());
            blocks.back().append(data, take);
            data += take;
            size -= take;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

struct Band {
    int first = 0;
    int last = 0;
    // Whole deflate blocks; the first band's open with the zlib header, the
    // last band's end the stream.
    std::vector<QByteArray> deflated;
    uLong adler = 1;
    uLong length = 0;  // the filtered bytes it holds
    bool done = false;
};

// A raw deflate stream whose output goes, a chunk at a time, into a band's
// blocks.
class Deflater {
  public:
    explicit Deflater(std::vector<QByteArray>& out) : out_(out) {}
    ~Deflater() {
        if (open_) {
            deflateEnd(&z_);
        }
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Raw deflate: the zlib header and checksum are written once for all bands.
    // The fastest level, matching runs only: on a photograph's filtered rows
    // longer matches are rare, and looking for them is most of the time.
    bool Open() {
        open_ = deflateInit2(&z_, 1, Z_DEFLATED, -15, 8, Z_RLE) == Z_OK;
        return open_;
    }
    // `bytes` compressed (Z_NO_FLUSH), or the band ended on a byte with its
    // blocks complete (Z_SYNC_FLUSH) so that the next band's follow straight on.
    bool Pump(const unsigned char* bytes, std::size_t size, int flush) {
        z_.next_in = const_cast<unsigned char*>(bytes);
        z_.avail_in = uInt(size);
        do {
            z_.next_out = chunk_;
            z_.avail_out = sizeof chunk_;
            if (deflate(&z_, flush) == Z_STREAM_ERROR || !Emit()) {
                return false;
            }
        } while (z_.avail_out == 0);
        return true;
    }
    // The last band ends the stream.
    bool Finish() {
        int r = Z_OK;
        while (r == Z_OK) {
            z_.next_out = chunk_;
            z_.avail_out = sizeof chunk_;
            r = deflate(&z_, Z_FINISH);
            if (!Emit()) {
                return false;
            }
        }
        return r == Z_STREAM_END;
    }

  private:
    bool Emit() {
        return Append(out_, reinterpret_cast<const char*>(chunk_),
                      qsizetype(sizeof chunk_ - z_.avail_out));
    }
    std::vector<QByteArray>& out_;
    z_stream z_{};
    bool open_ = false;
    unsigned char chunk_[1 << 16];
};

void DeflateBand(const QImage& image, bool alpha, bool finalBand, Band& band,
                 EncodingProgress* progress) {
    const int channels = alpha ? 4 : 3;
    const std::size_t rowBytes = std::size_t(image.width()) * std::size_t(channels);
    std::vector<unsigned char> above, row, filtered;
    try {
        above.assign(rowBytes, 0);
        row.resize(rowBytes);
        filtered.resize(rowBytes + 1);
    } catch (const std::bad_alloc&) {
        return;
    }
    Deflater deflater(band.deflated);
    if (!deflater.Open())
        return;
    if (band.first > 0)
        Samples(image, band.first - 1, alpha, above.data());
    // The zlib header of the fastest level opens the stream.
    bool failed = band.first == 0 && !Append(band.deflated, "\x78\x01", 2);
    for (int y = band.first; y < band.last && !failed; ++y) {
        if (progress != nullptr && progress->stop != nullptr &&
            progress->stop->load(std::memory_order_relaxed)) {
            failed = true;
            break;
        }
        Samples(image, y, alpha, row.data());
        // Each byte less the one above it ("Up"): one subtraction, which the
        // compiler does sixteen at a time; on photographs it compresses within a
        // few percent of the costlier Paeth predictor.
        filtered[0] = 2;  // Up
        for (std::size_t i = 0; i < rowBytes; ++i) {
            filtered[i + 1] = uchar(row[i] - above[i]);
        }
        band.adler = adler32(band.adler, filtered.data(), uInt(filtered.size()));
        band.length += uLong(filtered.size());
        failed = !deflater.Pump(filtered.data(), filtered.size(), Z_NO_FLUSH);
        std::swap(above, row);
        if (progress != nullptr)
            progress->rowsDone.fetch_add(1, std::memory_order_relaxed);
    }
    if (!failed) {
        failed = finalBand ? !deflater.Finish() : !deflater.Pump(nullptr, 0, Z_SYNC_FLUSH);
    }
    band.done = !failed;
}

// The file's signature, its header and its resolution.
QByteArray PngHead(const QImage& image, bool alpha) {
    QByteArray head("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    Put32(ihdr, quint32(image.width()));
    Put32(ihdr, quint32(image.height()));
    ihdr.append(char(8)).append(char(alpha ? 6 : 2)).append(3, '\0');
    AppendChunk(head, "IHDR", ihdr.constData(), ihdr.size());
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        QByteArray phys;
        Put32(phys, quint32(image.dotsPerMeterX()));
        Put32(phys, quint32(image.dotsPerMeterY()));
        phys.append(char(1));  // per metre
        AppendChunk(head, "pHYs", phys.constData(), phys.size());
    }
    return head;
}

// Each block of compressed bytes is an IDAT chunk of its own, framed where it
// lies (its length and type before it, its CRC after it): the compressed photo,
// the largest thing the save holds besides the pictures, is never copied.
void FrameBlocks(std::vector<QByteArray>& blocks, std::vector<QByteArray>& file) {
    for (QByteArray& data : blocks) {
        QByteArray frame;
        Put32(frame, quint32(data.size()));
        frame.append("IDAT", 4);
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4);
        crc = crc32_z(crc, reinterpret_cast<const Bytef*>(data.constData()),
                      std::size_t(data.size()));
        QByteArray check;
        Put32(check, quint32(crc));
        file.push_back(std::move(frame));
        file.push_back(std::move(data));
        file.push_back(std::move(check));
    }
    blocks.clear();
}

}  // namespace

std::vector<QByteArray> EncodePng(const QImage& picture, int bands, EncodingProgress* progress) {
    if (picture.isNull())
        return {};
    const QImage::Format format = picture.format();
    // Premultiplied pixels are taken back to straight alpha by Qt itself, as its
    // own writer does, so that every pixel reads back as it did before.
    const bool ours = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32;
    const QImage image =
        ours ? picture
             : picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const bool alpha = image.hasAlphaChannel();
    const int h = image.height();
    const int count = std::clamp(bands, 1, std::max(1, h / 16));
    std::vector<Band> parts(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        parts[std::size_t(k)].first = int(qint64(h) * k / count);
        parts[std::size_t(k)].last = int(qint64(h) * (k + 1) / count);
    }
    RunSideBySide(count, [&](int k) {
        DeflateBand(image, alpha, k + 1 == count, parts[std::size_t(k)], progress);
    });
    if (!std::all_of(parts.begin(), parts.end(), [](const Band& b) { return b.done; }))
        return {};

    uLong adler = adler32(0, nullptr, 0);
    for (Band& band : parts) {
        adler = adler32_combine(adler, band.adler, z_off_t(band.length));
    }
    std::vector<QByteArray> file;
    file.push_back(PngHead(image, alpha));
    for (std::size_t k = 0; k < parts.size(); ++k) {
        std::vector<QByteArray>& blocks = parts[k].deflated;
        if (k + 1 == parts.size() && !blocks.empty()) {
            Put32(blocks.back(), quint32(adler));  // the stream's checksum closes it
        }
        FrameBlocks(blocks, file);
    }
    QByteArray end;
    AppendChunk(end, "IEND", nullptr, 0);
    file.push_back(std::move(end));
    return file;
}

}  // namespace vardesca
