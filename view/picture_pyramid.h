#pragma once

#include <QImage>
#include <vector>

namespace vardesca {

// Reduced copies of a picture, each half the size of the one before, made on
// first use. Drawing a 48-megapixel photo at a sixth of its size straight from
// the full picture either skips most of its pixels (bilinear sampling: grain and
// edges shimmer) or reads all of them at every repaint (area averaging: far too
// slow to scroll). A level at most twice the shown size, scaled by bilinear
// sampling, is both smooth and quick.
class PicturePyramid {
  public:
    void SetPicture(const QImage& picture);

    // The copy to draw from at `zoom` (< 1) and the zoom it was reduced to; the
    // picture itself for a zoom above one half.
    struct Level {
        const QImage* image;
        double scale;
    };
    [[nodiscard]] Level ForZoom(double zoom);

    // The number of reduced copies made so far (benchmarks and tests).
    [[nodiscard]] std::size_t LevelsMade() const;

  private:
    QImage picture_;
    // levels_[i] is the picture reduced by 2^(i+1); a null image is not made yet.
    std::vector<QImage> levels_;
};

// The picture at half its size: each pixel the rounded mean of a 2×2 block, the
// last column or row repeated where a block runs past an odd edge. 32-bit
// pictures only (RGB32, ARGB32, premultiplied ARGB32).
[[nodiscard]] QImage HalvePicture(const QImage& source);

}  // namespace vardesca
