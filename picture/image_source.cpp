// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/image_source.h"

#include "picture/damage_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <new>

#include "picture/jpeg_decoder.h"
#include "picture/picture_text.h"
#include "picture/system_name.h"
#include "picture/wmf_renderer.h"

namespace vardesca {

namespace {

ImageLoadResult Refused(const char* reason) {
    return {std::nullopt, Because(reason), std::nullopt};
}

ImageLoadResult Refused(const Failure& failure) {
    return {std::nullopt, failure, std::nullopt};
}

Failure ReaderError(QImageReader::ImageReaderError error) {
    switch (error) {
        case QImageReader::FileNotFoundError:
            return Because(picture_text::kNotFound);
        case QImageReader::DeviceError:
            return Because(picture_text::kReadError);
        case QImageReader::UnsupportedFormatError:
            return Because(picture_text::kUnknownFormat);
        case QImageReader::InvalidDataError:
            return Because(picture_text::kInvalidData);
        default:
            return Because(picture_text::kUnreadable);
    }
}

// Only a regular file: opening a FIFO would block, a folder cannot be read.
Outcome FileProblem(const FileFacts& info) {
    if (!info.exists) {
        return Because(picture_text::kNotFound);
    }
    if (info.isDir) {
        return Because(picture_text::kFolder);
    }
    if (!info.isFile) {
        return Because(picture_text::kNotRegular);
    }
    if (!info.readable) {
        return Because(picture_text::kNoReadPermission);
    }
    if (info.size == 0) {
        return Because(picture_text::kEmpty);
    }
    return std::nullopt;
}

// Qt's readers open a damaged BMP, GIF or icon without a word: the file's own
// structure says what is missing. (JPEGs Qt decodes: their end mark.)
Outcome DamageBeforeQtReads(QFile& file) {
    const QByteArray head = file.peek(4);
    if (head.startsWith("\xFF\xD8")) {
        file.seek(std::max<qint64>(0, file.size() - 64));
        if (!file.read(64).contains("\xFF\xD9")) {
            return Because(picture_text::kJpegDamaged);
        }
        return std::nullopt;
    }
    if (head.startsWith("BM") || head.startsWith("GIF8") ||
        (head.size() == 4 && head[0] == 0 && head[1] == 0 && head[3] == 0)) {
        return FindDamage(file.readAll());
    }
    return std::nullopt;
}

// Qt opens the names it can reach; one holding bytes that are not UTF-8 is
// opened by its exact bytes and handed to Qt as an open file.
bool OpenForReading(const QString& path, QFile& file) {
    if (QtCanReach(path)) {
        file.setFileName(path);
        return file.open(QIODevice::ReadOnly);
    }
    const int fd = ::open(ToSystemName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

}  // namespace

ImageSource::ImageSource(double twipsPerPixel, qint64 maxPixels)
    : twipsPerPixel_(twipsPerPixel), maxPixels_(maxPixels) {
    // Qt's own guard refuses anything over 128 MB, which a 48-megapixel photo
    // exceeds; ours is the pixel count, checked before decoding. Qt's limit is
    // one for the whole process, so it is only ever raised.
    const int needed = static_cast<int>(maxPixels_ * 4 / (1024 * 1024)) + 1;
    if (QImageReader::allocationLimit() < needed) {
        QImageReader::setAllocationLimit(needed);
    }
}

ImageLoadResult ImageSource::LoadIcon(QImageReader& reader) const {
    // An icon holds several images: show the largest. They are small, so each
    // is read; a directory claiming thousands of entries is cut short.
    QImage best;
    const int count = std::min(reader.imageCount(), 64);
    for (int i = 0; i < std::max(count, 1); ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() > maxPixels_)
            continue;
        QImage image;
        if (reader.read(&image) && !image.isNull() &&
            qint64(image.width()) * image.height() > qint64(best.width()) * best.height()) {
            best = std::move(image);
        }
    }
    if (best.isNull()) {
        return Refused(ReaderError(reader.error()));
    }
    return Picture(std::move(best));
}

ImageLoadResult ImageSource::Load(const QString& path, const std::atomic<bool>* stop) const {
    if (const Outcome problem = FileProblem(FactsOf(path))) {
        return Refused(*problem);
    }
    try {
        QFile file;
        if (!OpenForReading(path, file)) {
            return Refused(picture_text::kCannotOpen);
        }
        if (LooksLikeWmf(file.peek(32))) {
            return LoadWmf(file);
        }
        if (file.peek(2) == QByteArrayLiteral("\xFF\xD8")) {
            if (std::optional<ImageLoadResult> decoded = LoadJpeg(file, stop)) {
                return std::move(*decoded);
            }
        }
        const Outcome damage = DamageBeforeQtReads(file);
        file.close();
        ImageLoadResult result = LoadRaster(path);
        if (result.picture) {
            result.damage = damage;
        }
        return result;
    } catch (const std::bad_alloc&) {
        return Refused(picture_text::kTooLarge);
    }
}

ImageLoadResult ImageSource::LoadWmf(QFile& file) const {
    // Metafiles are small; a bigger file is no metafile worth drawing.
    if (file.size() > 256LL * 1024 * 1024) {
        return Refused(picture_text::kTooLarge);
    }
    const QByteArray data = file.readAll();
    ImageLoadResult result = RenderWmf(data, twipsPerPixel_, maxPixels_);
    if (result.picture) {
        result.damage = WmfDamage(data);
    }
    return result;
}

std::optional<ImageLoadResult> ImageSource::LoadJpeg(QFile& file,
                                                      const std::atomic<bool>* stop) const {
    // Read, not mapped: another program rewriting the photo meanwhile (a sync
    // client, an editor saving, a camera's import) would end this one with
    // SIGBUS at the first page the file no longer has. Read, a file cut short
    // under us is a damaged photo like any other; the bytes are a tenth of the
    // picture's. What the decoder reads is what the read gave, whatever its size.
    const QByteArray data = file.readAll();
    if (data.size() < 2) {
        return std::nullopt;
    }
    JpegDecode jpeg =
        DecodeJpeg(reinterpret_cast<const uchar*>(data.constData()), data.size(), maxPixels_, stop);
    if (jpeg.outcome == JpegDecode::Outcome::Stopped) {
        return Refused(picture_text::kCannotOpen);  // no longer wanted: never shown
    }
    if (jpeg.outcome == JpegDecode::Outcome::TooLarge) {
        return Refused(picture_text::kTooLarge);
    }
    if (jpeg.outcome != JpegDecode::Outcome::Decoded) {
        return std::nullopt;  // Qt's reader tries (CMYK, and what libjpeg-turbo refuses here)
    }
    ImageLoadResult result = Picture(std::move(jpeg.image));
    if (result.picture && jpeg.damaged) {
        result.damage = Because(picture_text::kJpegDamaged);
    }
    return result;
}

ImageLoadResult ImageSource::LoadRaster(const QString& path) const {
    QFile file;
    QImageReader reader;
    if (QtCanReach(path)) {
        reader.setFileName(path);
    } else if (OpenForReading(path, file)) {
        reader.setDevice(&file);
    } else {
        return Refused(picture_text::kCannotOpen);
    }
    reader.setDecideFormatFromContent(true);
    // EXIF orientation: the photo is shown upright, as the camera was held.
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        return Refused(ReaderError(reader.error()));
    }
    if (reader.format() == "ico") {
        return LoadIcon(reader);
    }
    const QSize size = reader.size();
    if (size.isValid()) {
        if (size.isEmpty()) {
            return Refused(picture_text::kNoSize);
        }
        if (qint64(size.width()) * size.height() > maxPixels_) {
            return Refused(picture_text::kTooLarge);
        }
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return Refused(ReaderError(reader.error()));
    }
    return Picture(std::move(image));
}

ImageLoadResult ImageSource::Picture(QImage image) const {
    if (qint64(image.width()) * image.height() > maxPixels_) {
        return Refused(picture_text::kTooLarge);
    }
    // The surface paints these two formats without converting on every repaint.
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted) {
        image.convertTo(wanted);
        if (image.isNull()) {
            return Refused(picture_text::kTooLarge);
        }
    }
    const double w = image.width() * twipsPerPixel_;
    const double h = image.height() * twipsPerPixel_;
    return {LoadedPicture{std::move(image), w, h}, std::nullopt, std::nullopt};
}

}  // namespace vardesca
