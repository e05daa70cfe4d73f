// SPDX-License-Identifier: GPL-3.0-or-later
// The metafile player and our QPainter device on their own.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "picture/wmf_renderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vardesca::fuzzing::EnsureApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const vardesca::ImageLoadResult result = vardesca::RenderWmf(bytes, 15.0, 4 * 1024 * 1024);
    if (result.picture && result.picture->image.isNull())
        __builtin_trap();
    return 0;
}
