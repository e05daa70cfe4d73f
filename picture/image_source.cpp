// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/image_source.h"

#include "picture/damage_check.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <new>

#include "picture/jpeg_decoder.h"
#include "picture/wmf_renderer.h"

namespace vardesca {

namespace {

ImageLoadResult Failure(const QString& reason) {
    return {std::nullopt, reason, {}};
}

QString ReaderError(QImageReader::ImageReaderError error) {
    switch (error) {
        case QImageReader::FileNotFoundError:
            return QStringLiteral("file non trovato");
        case QImageReader::DeviceError:
            return QStringLiteral("errore di lettura del file");
        case QImageReader::UnsupportedFormatError:
            return QStringLiteral("il file non è un'immagine di un formato riconosciuto");
        case QImageReader::InvalidDataError:
            return QStringLiteral("il file è danneggiato o incompleto");
        default:
            return QStringLiteral("il file non può essere letto come immagine");
    }
}

const QString kTooLarge = QStringLiteral("immagine troppo grande per la memoria disponibile");

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
        return Failure(ReaderError(reader.error()));
    }
    return Picture(std::move(best));
}

namespace {
constexpr const char* kJpegDamaged = "i dati della foto sono danneggiati o incompleti";
}  // namespace

ImageLoadResult ImageSource::Load(const QString& path) const {
    // Only a regular file: opening a FIFO would block, a folder cannot be read.
    const QFileInfo info(path);
    if (!info.exists()) {
        return Failure(QStringLiteral("file non trovato"));
    }
    if (info.isDir()) {
        return Failure(QStringLiteral("è una cartella, non un file"));
    }
    if (!info.isFile()) {
        return Failure(QStringLiteral("non è un file normale"));
    }
    if (!info.isReadable()) {
        return Failure(QStringLiteral("permesso di lettura negato"));
    }
    if (info.size() == 0) {
        return Failure(QStringLiteral("il file è vuoto"));
    }
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return Failure(QStringLiteral("impossibile aprire il file"));
        }
        if (LooksLikeWmf(file.peek(32))) {
            // Metafiles are small; a bigger file is no metafile worth drawing.
            if (file.size() > 256LL * 1024 * 1024) {
                return Failure(kTooLarge);
            }
            const QByteArray data = file.readAll();
            ImageLoadResult result = RenderWmf(data, twipsPerPixel_, maxPixels_);
            if (result.picture) {
                result.damage = WmfDamage(data);
            }
            return result;
        }
        if (file.peek(2) == QByteArrayLiteral("\xFF\xD8")) {
            // Mapped, not read: the decoder takes the bytes where they lie.
            const qint64 size = file.size();
            const uchar* bytes = file.map(0, size);
            if (bytes != nullptr) {
                JpegDecode jpeg = DecodeJpeg(bytes, size, maxPixels_);
                file.unmap(const_cast<uchar*>(bytes));
                if (jpeg.outcome == JpegDecode::Outcome::TooLarge) {
                    return Failure(kTooLarge);
                }
                if (jpeg.outcome == JpegDecode::Outcome::Decoded) {
                    ImageLoadResult result = Picture(std::move(jpeg.image));
                    if (result.picture && jpeg.damaged) {
                        result.damage = QString::fromUtf8(kJpegDamaged);
                    }
                    return result;
                }
            }
        }
        // Qt's readers open a damaged BMP, GIF or icon without a word: the file's
        // own structure says what is missing. (JPEGs Qt decodes: their end mark.)
        QString damage;
        const QByteArray head = file.peek(4);
        if (head.startsWith("\xFF\xD8")) {
            file.seek(std::max<qint64>(0, file.size() - 64));
            if (!file.read(64).contains("\xFF\xD9")) {
                damage = QString::fromUtf8(kJpegDamaged);
            }
        } else if (head.startsWith("BM") || head.startsWith("GIF8") ||
                   (head.size() == 4 && head[0] == 0 && head[1] == 0 && head[3] == 0)) {
            damage = FindDamage(file.readAll());
        }
        file.close();
        ImageLoadResult result = LoadRaster(path);
        if (result.picture) {
            result.damage = damage;
        }
        return result;
    } catch (const std::bad_alloc&) {
        return Failure(kTooLarge);
    }
}

ImageLoadResult ImageSource::LoadRaster(const QString& path) const {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // EXIF orientation: the photo is shown upright, as the camera was held.
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        return Failure(ReaderError(reader.error()));
    }
    if (reader.format() == "ico") {
        return LoadIcon(reader);
    }
    const QSize size = reader.size();
    if (size.isValid()) {
        if (size.isEmpty()) {
            return Failure(QStringLiteral("l'immagine non ha dimensioni"));
        }
        if (qint64(size.width()) * size.height() > maxPixels_) {
            return Failure(kTooLarge);
        }
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return Failure(ReaderError(reader.error()));
    }
    return Picture(std::move(image));
}

ImageLoadResult ImageSource::Picture(QImage image) const {
    if (qint64(image.width()) * image.height() > maxPixels_) {
        return Failure(kTooLarge);
    }
    // The surface paints these two formats without converting on every repaint.
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted) {
        image.convertTo(wanted);
        if (image.isNull()) {
            return Failure(kTooLarge);
        }
    }
    const double w = image.width() * twipsPerPixel_;
    const double h = image.height() * twipsPerPixel_;
    return {LoadedPicture{std::move(image), w, h}, {}, {}};
}

}  // namespace vardesca
