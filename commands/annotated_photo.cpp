// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/annotated_photo.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include "commands/safe_file.h"
#include "picture/photo_folder.h"
#include <QPainter>
#include <cstring>

#include "picture/pixel_memory.h"
#include "view/mark_overlay.h"

namespace vardesca {

QImage AnnotatedPicture(const QImage& picture, const MarkOverlay& overlay) {
    if (picture.isNull()) {
        return {};
    }
    // A copy, so the shown picture stays clean; in huge pages, because for a
    // 48 MP photo the page faults of an ordinary copy cost half an encoding.
    const QImage::Format paintable = picture.hasAlphaChannel()
                                         ? QImage::Format_ARGB32_Premultiplied
                                         : QImage::Format_RGB32;
    const QImage source =
        picture.format() == paintable ? picture : picture.convertToFormat(paintable);
    QImage out = MakePixelImage(source.width(), source.height(), paintable);
    if (out.isNull() || source.isNull()) {
        return {};
    }
    const auto rowBytes = static_cast<std::size_t>(source.width()) * 4;
    for (int y = 0; y < source.height(); ++y) {
        std::memcpy(out.scanLine(y), source.constScanLine(y), rowBytes);
    }
    QPainter painter(&out);
    overlay.PaintOnPhoto(painter, std::max(1.0, std::min(out.width(), out.height()) / 1000.0));
    return out;
}

QString AnnotatedName(const QString& photoPath) {
    const QFileInfo photo(photoPath);
    return photo.dir().filePath(photo.completeBaseName() + QString::fromUtf8(kAnnotatedNameMark) +
                                QString::fromUtf8(annotated_text::kNameType));
}

namespace {

// The encoder a name's extension asks for, whatever its case.
struct ImageType {
    QByteArray format;  // empty: not one the program writes
    int quality = -1;
};

ImageType TypeForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        return {"PNG", -1};
    }
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        return {"JPEG", 92};
    }
    return {};
}

}  // namespace

Outcome EncodeForPath(const QImage& image, const QString& path, QByteArray& bytes) {
    const auto [format, quality] = TypeForPath(path);
    if (format.isEmpty()) {
        return Because(annotated_text::kUnknownType);
    }
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image)) {
        return Because(annotated_text::kEncodeFailed);
    }
    return std::nullopt;
}

void AnnotatedPhotoExport::Save(const QImage& picture, const MarkOverlay& overlay,
                                const QString& photoPath) {
    const auto fail = [this](const QString& path, const Failure& failure) {
        dialogs_.ShowBox(QString(),
                         QString::fromUtf8(annotated_text::kSaveFailed).arg(path, failure.reason),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
    };
    if (picture.isNull()) {
        dialogs_.ShowBox(QString(), QString::fromUtf8(annotated_text::kNoPicture),
                         WindowDialogs::Buttons::Ok, WindowDialogs::Icon::Warning);
        return;
    }
    const std::optional<QString> chosen = dialogs_.SaveFile(AnnotatedName(photoPath));
    if (!chosen) {
        return;
    }
    // A name of no known type, or a target that can never be written, is said
    // at once, not after seconds of encoding a large photo.
    if (TypeForPath(*chosen).format.isEmpty()) {
        fail(*chosen, Because(annotated_text::kUnknownType));
        return;
    }
    SafeFile file;
    if (const Outcome failure = file.Open(*chosen)) {
        fail(*chosen, *failure);
        return;
    }
    const QImage annotated = AnnotatedPicture(picture, overlay);
    if (annotated.isNull()) {
        fail(*chosen, Because(annotated_text::kNoMemory));
        return;
    }
    QByteArray bytes;
    if (const auto failure = EncodeForPath(annotated, *chosen, bytes)) {
        fail(*chosen, *failure);
        return;
    }
    if (Outcome failure = file.Write(bytes); failure || (failure = file.Commit())) {
        fail(*chosen, *failure);
    }
}

}  // namespace vardesca
