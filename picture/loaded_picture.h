// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <optional>

#include "picture/failure.h"

namespace vardesca {

// A picture as the image surface takes it: the image, ready to paint, and its
// natural size in twips.
struct LoadedPicture {
    QImage image;
    double widthTwips = 0;
    double heightTwips = 0;
};

struct ImageLoadResult {
    std::optional<LoadedPicture> picture;
    Outcome failure;  // why not, when there is no picture
    // What is missing or wrong in a picture that opened all the same; nothing
    // for a sound one.
    Outcome damage;
};

}  // namespace vardesca
