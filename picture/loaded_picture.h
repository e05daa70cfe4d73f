// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>
#include <optional>

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
    QString reason;  // why not, in Italian, when there is no picture
    // What is missing or wrong in a picture that opened all the same, in
    // Italian; empty for a sound one.
    QString damage;
};

}  // namespace vardesca
