// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace vardesca {

// The EXIF orientation (1 to 8) in the body of a JPEG's APP1 segment ("Exif",
// two zero bytes, then a TIFF header and its first IFD), or 1 — upright — for
// anything else: another APP1, a broken header, an IFD or an entry past the
// end, a tag of the wrong type or a value out of range. The bytes come from the
// file as it is, so nothing is read beyond `length`.
[[nodiscard]] int ExifOrientation(const unsigned char* app1, std::size_t length);

}  // namespace vardesca
