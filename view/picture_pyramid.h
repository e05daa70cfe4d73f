// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <vector>

namespace vardesca {

// Reduced copies of a picture, each half the size of the one before. Drawing a
// 48-megapixel photo at a sixth of its size straight from the full picture skips
// most of its pixels (bilinear sampling: grain and edges shimmer); a level at
// most twice the shown size, scaled by bilinear sampling, is smooth. Making the
// first level means touching 48 MB of new memory, which can take longer than a
// frame, so levels are made a band of rows at a time between events and a view
// draws from the best level made so far until its own is ready.
class PicturePyramid {
  public:
    void SetPicture(const QImage& picture);

    struct Level {
        const QImage* image;
        double scale;  // its size as a fraction of the picture's
    };
    // The level made for drawing at `zoom`: the picture itself above one half,
    // otherwise the one whose scale s has zoom ≤ s < 2 × zoom.
    [[nodiscard]] int WantedLevel(double zoom) const;
    // The best level to draw from now: the wanted one if it is made, else the
    // nearest finer one that is (the picture itself at worst).
    [[nodiscard]] Level Best(double zoom) const;
    enum class Progress {
        Working,      // more rows to make
        Done,         // the level `zoom` wants is made
        OutOfMemory,  // it cannot be: the finer level serves
    };
    // Makes up to `rows` more rows towards the level `zoom` wants.
    Progress Advance(double zoom, int rows);
    // Makes the level `zoom` wants at once and returns it.
    [[nodiscard]] Level ForZoom(double zoom);
    // Whether making the level `zoom` wants ran out of memory: it is not tried
    // again until ForgetFailures (memory may have been freed since).
    [[nodiscard]] bool Failed(double zoom) const;
    void ForgetFailures();

    // The number of reduced copies made so far (benchmarks and tests).
    [[nodiscard]] std::size_t LevelsMade() const;

  private:
    struct Reduced {
        QImage image;  // null until begun
        int rowsDone = 0;
        bool failed = false;
        [[nodiscard]] bool Made() const { return !image.isNull() && rowsDone == image.height(); }
    };
    [[nodiscard]] const QImage& Source(int level) const;

    QImage picture_;
    QImage picture32_;  // the picture as 32-bit pixels, when it is not already
    // levels_[i] is the picture reduced by 2^(i+1).
    std::vector<Reduced> levels_;
};

// Rows [first, first + count) of `half`, the picture at half its size: each pixel
// the rounded mean of a 2×2 block, the last column or row repeated where a block
// runs past an odd edge. 32-bit pictures only (RGB32, ARGB32, premultiplied).
void HalveRows(const QImage& source, QImage& half, int first, int count);

}  // namespace vardesca
