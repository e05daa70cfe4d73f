// SPDX-License-Identifier: GPL-3.0-or-later
// A photo's calibration and measurements taken out of the engine to be kept,
// and put back on the photo another day with the arithmetic the clicks had.
#include <cmath>

#include "engine/checked_int.h"
#include "engine/measure_engine.h"

namespace vardesca {

KeptMeasuring MeasureEngine::Kept() const {
    using P = PointId::Pair;
    KeptMeasuring kept;
    if (azione_ != Calibrating && azione_ != Measuring) {
        return kept;
    }
    for (std::int16_t which = 0; which < 2; ++which) {
        if (const auto& r = references_[static_cast<std::size_t>(which)]) {
            kept.pairs.push_back(
                {P::Reference, which, r->xa, r->ya, r->xb, r->yb, static_cast<double>(r->length)});
        }
    }
    if (azione_ == Measuring) {
        for (const Measurement& m : done_) {
            kept.pairs.push_back(
                {P::Measurement, m.number, m.first.x, m.first.y, m.xb, m.yb, m.length});
        }
    }
    // A first point still waiting for its pair is not kept, so neither is its
    // selection.
    if (lastPoint_ && lastPoint_->pair != P::Pending) {
        kept.selected = lastPoint_;
    }
    return kept;
}

bool MeasureEngine::Restore(const KeptMeasuring& kept) {
    using P = PointId::Pair;
    if (azione_ != Idle) {
        return false;
    }
    const std::vector<KeptPair>& pairs = kept.pairs;
    std::array<std::optional<Reference>, 2> refs;
    std::size_t references = 0;
    for (; references < pairs.size() && pairs[references].pair == P::Reference; ++references) {
        const KeptPair& p = pairs[references];
        // As the calibration keeps a typed length: a float.
        const auto length = static_cast<float>(p.length);
        if (references > 1 || p.number != static_cast<std::int16_t>(references) ||
            !std::isfinite(length) || length <= 0.0f) {
            return false;
        }
        refs[references] = Reference{p.xa, p.ya, p.xb, p.yb, 0, length};
    }
    if (references == 0) {
        return false;
    }
    std::int16_t last = 0;
    for (std::size_t i = references; i < pairs.size(); ++i) {
        const KeptPair& p = pairs[i];
        if (p.pair != P::Measurement || references != 2 || p.number <= last) {
            return false;  // kMaxResults is the int16's own limit
        }
        last = p.number;
    }
    // Every pair as a click would have stored it: its points rounded to whole
    // twips within 32 bits, and apart.
    try {
        for (const KeptPair& p : pairs) {
            if (!std::isfinite(p.xa) || !std::isfinite(p.ya) || !std::isfinite(p.xb) ||
                !std::isfinite(p.yb)) {
                return false;
            }
            const std::int32_t dx = CheckedSub32(RoundToInt32(p.xb), RoundToInt32(p.xa));
            const std::int32_t dy = CheckedSub32(RoundToInt32(p.yb), RoundToInt32(p.ya));
            if (dx == 0 && dy == 0) {
                return false;
            }
        }
    } catch (const ArithmeticOverflow&) {
        return false;
    }
    references_ = refs;
    const std::optional<Scales> scales = ScalesWith(
        0,
        PairPlace{refs[0]->xa, refs[0]->ya, refs[0]->xb, refs[0]->yb, 0, kCalibrationColour, true});
    if (!scales) {
        references_ = {};
        return false;
    }

    // Drawn as the clicks drew them: the first point, then the line from it
    // (rounded) and the second point.
    const auto place = [this](const KeptPair& p, std::uint32_t colour) {
        const std::size_t firstMark = marks_.size();
        DrawPointMarks(p.xa, p.ya, colour);
        x0_ = RoundToInt32(p.xa);
        y0_ = RoundToInt32(p.ya);
        DrawPairMarks(p.xb, p.yb, colour);
        x1_ = RoundToInt32(p.xb);
        y1_ = RoundToInt32(p.yb);
        return firstMark;
    };
    for (std::size_t which = 0; which < references; ++which) {
        references_[which]->firstMark = place(pairs[which], kCalibrationColour);
    }
    k_ = scales->k;
    firstPairScale_ = scales->first;
    referenceLengths_ = {refs[0]->length, refs[1] ? refs[1]->length : 0.0f};
    if (references == 2) {
        referenceScales_ = scales->references;
        azione_ = Measuring;
        punti_ = 0;
        buttons_.SetIniziaEnabled(false);
        buttons_.SetResettaEnabled(true);
    } else {
        azione_ = Calibrating;
        punti_ = 2;  // the first reference done, the second's first click next
    }
    for (std::size_t i = references; i < pairs.size(); ++i) {
        const KeptPair& p = pairs[i];
        const Click first{p.xa, p.ya, marks_.size(), 0, x0_, y0_};
        const std::int32_t x1Before = x1_;
        const std::int32_t y1Before = y1_;
        place(p, kMeasureColour);
        const double length =
            PairDistance(CheckedSub32(x1_, x0_), CheckedSub32(y1_, y0_)) / static_cast<double>(k_);
        // Its line was written another day, if at all: the box is the user's.
        done_.push_back({first, p.xb, p.yb, x1Before, y1Before,
                         ResultLine(p.number, length, locale_), p.number, length, kNotOwnLine});
    }
    n_ = last;
    if (kept.selected && kept.selected->pair != P::Pending && PointAt(*kept.selected)) {
        lastPoint_ = kept.selected;
    }
    if (observer_ != nullptr) {
        observer_->MeasuringRestored();
    }
    return true;
}

}  // namespace vardesca
