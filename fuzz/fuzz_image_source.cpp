// SPDX-License-Identifier: GPL-3.0-or-later
// ImageSource on arbitrary bytes: every kind it opens, told apart by content.
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "picture/image_source.h"
#include "picture/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vardesca::fuzzing::EnsureApplication();
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("input"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    // A smaller pixel budget than the program's, so that the fuzzer's memory
    // limit measures our bounds and not a legitimately large picture.
    static const vardesca::ImageSource source(15.0, 16LL * 1024 * 1024);
    const vardesca::ImageLoadResult result = source.Load(path);
    if (result.picture) {
        const QImage& image = result.picture->image;
        if (image.isNull() || qint64(image.width()) * image.height() > 16LL * 1024 * 1024 ||
            !(result.picture->widthTwips > 0) || !(result.picture->heightTwips > 0)) {
            __builtin_trap();
        }
    } else if (!result.failure || result.failure->Reason().isEmpty()) {
        __builtin_trap();  // a refusal always says why
    }
    // A JPEG split into bands, at restart markers or not, is the one decoded
    // from the top, damage and all.
    if (size > 2 && data[0] == 0xFF && data[1] == 0xD8) {
        const auto* bytes = reinterpret_cast<const uchar*>(data);
        const qint64 n = static_cast<qint64>(size);
        const vardesca::JpegDecode one = vardesca::DecodeJpegInBands(
            bytes, n, 16LL * 1024 * 1024, 1, vardesca::JpegBands::Fastest);
        for (const auto bands : {vardesca::JpegBands::Fastest, vardesca::JpegBands::Skipping}) {
            const vardesca::JpegDecode many =
                vardesca::DecodeJpegInBands(bytes, n, 16LL * 1024 * 1024, 3, bands);
            if (many.outcome != one.outcome || many.damaged != one.damaged ||
                many.image != one.image) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
