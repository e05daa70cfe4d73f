// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as the body of a JPEG's APP1 segment: the orientation read from them
// is always 1 to 8, and reading never goes past the end (ASan watches the copy
// the bytes are put in, exactly as long as they are).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "picture/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<unsigned char> body(data, data + size);
    const int orientation = vardesca::ExifOrientation(body.data(), body.size());
    if (orientation < 1 || orientation > 8)
        std::abort();
    return 0;
}
