// SPDX-License-Identifier: GPL-3.0-or-later
// Moving a placed point: finding it, checking where it may go, what it then
// gives (a length, or a reference's scale and every length after it), the
// lines of the box rewritten where they still stand as written, and a drag's
// preview on the marks alone.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "engine/checked_int.h"
#include "engine/measure_engine.h"

namespace vardesca {

namespace {

// Calls `visit` with where each line of `text` reading `line` on a line of its
// own begins, in order, until it returns false. `line` ends with its CR LF, so
// a match is a whole line.
template <typename Visit>
void ForEachOwnLine(std::string_view text, std::string_view line, Visit visit) {
    if (line.empty() || text.size() < line.size()) {
        return;
    }
    if (text.compare(0, line.size(), line) == 0 && !visit(std::size_t{0})) {
        return;
    }
    // The line after a line end: memmem keeps this linear on a long box.
    std::string needle = "\n";
    needle += line;
    const char* from = text.data();
    const char* const end = text.data() + text.size();
    while (static_cast<std::size_t>(end - from) >= needle.size()) {
        const void* found =
            memmem(from, static_cast<std::size_t>(end - from), needle.data(), needle.size());
        if (found == nullptr) {
            return;
        }
        const auto at = static_cast<const char*>(found);
        if (!visit(static_cast<std::size_t>(at + 1 - text.data()))) {
            return;
        }
        from = at + 1;
    }
}

std::size_t OwnLinesBefore(std::string_view text, std::string_view line, std::size_t end) {
    std::size_t count = 0;
    ForEachOwnLine(text, line, [&](std::size_t at) {
        if (at >= end) {
            return false;
        }
        ++count;
        return true;
    });
    return count;
}

// Where the line of `text` reading `line` with `before` such lines above it
// begins; npos when there is none.
std::size_t NthOwnLine(std::string_view text, std::string_view line, std::size_t before) {
    std::size_t found = std::string::npos;
    std::size_t seen = 0;
    ForEachOwnLine(text, line, [&](std::size_t at) {
        if (seen++ == before) {
            found = at;
            return false;
        }
        return true;
    });
    return found;
}

float Inside(float value, float limit) {
    if (limit <= 0.0f) {
        return value;
    }
    return std::clamp(value, 0.0f, limit);
}

}  // namespace

MeasureEngine::Measurement* MeasureEngine::MeasurementNumbered(std::int16_t number) {
    for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
        if (it->number == number) {
            return &*it;
        }
    }
    return nullptr;
}

std::optional<MeasureEngine::PairPlace> MeasureEngine::PlaceOf(const PointId& point) const {
    const auto colourAt = [this](std::size_t mark) {
        return mark < marks_.size() ? marks_[mark].colour : kMeasureColour;
    };
    switch (point.pair) {
        case PointId::Pair::Reference: {
            if (point.number < 0 || point.number > 1 ||
                !references_[static_cast<std::size_t>(point.number)]) {
                return std::nullopt;
            }
            const Reference& r = *references_[static_cast<std::size_t>(point.number)];
            return PairPlace{r.xa, r.ya, r.xb, r.yb, r.firstMark, colourAt(r.firstMark), true};
        }
        case PointId::Pair::Measurement:
            for (const Measurement& m : done_) {
                if (m.number == point.number) {
                    return PairPlace{m.first.x, m.first.y,         m.xb,
                                     m.yb,      m.first.firstMark, colourAt(m.first.firstMark),
                                     true};
                }
            }
            return std::nullopt;
        case PointId::Pair::Pending:
            if (!HasPendingPoint()) {
                return std::nullopt;
            }
            return PairPlace{pending_->x, pending_->y,         pending_->x,
                             pending_->y, pending_->firstMark, colourAt(pending_->firstMark),
                             false};
    }
    return std::nullopt;
}

std::optional<PlacedPoint> MeasureEngine::PointAt(const PointId& point) const {
    if (azione_ != Calibrating && azione_ != Measuring) {
        return std::nullopt;
    }
    const std::optional<PairPlace> place = PlaceOf(point);
    if (!place || (place->complete && point.end != 0 && point.end != 1)) {
        return std::nullopt;
    }
    const bool first = point.end == 0 || !place->complete;
    return PlacedPoint{point, first ? place->xa : place->xb, first ? place->ya : place->yb};
}

std::optional<PlacedPoint> MeasureEngine::PointNear(float x, float y, float radius) const {
    if (azione_ != Calibrating && azione_ != Measuring) {
        return std::nullopt;
    }
    std::optional<PlacedPoint> nearest;
    double within = static_cast<double>(radius);
    const auto consider = [&](PointId id, float px, float py) {
        const double d = std::hypot(static_cast<double>(px) - static_cast<double>(x),
                                    static_cast<double>(py) - static_cast<double>(y));
        if (d <= within) {  // on a tie the newer wins: it is drawn on top
            within = d;
            nearest = PlacedPoint{id, px, py};
        }
    };
    using P = PointId::Pair;
    for (std::int16_t which = 0; which < 2; ++which) {
        if (const auto& r = references_[static_cast<std::size_t>(which)]) {
            consider({P::Reference, which, 0}, r->xa, r->ya);
            consider({P::Reference, which, 1}, r->xb, r->yb);
        }
    }
    for (const Measurement& m : done_) {
        consider({P::Measurement, m.number, 0}, m.first.x, m.first.y);
        consider({P::Measurement, m.number, 1}, m.xb, m.yb);
    }
    if (HasPendingPoint()) {
        consider({P::Pending, 0, 0}, pending_->x, pending_->y);
    }
    return nearest;
}

std::optional<MeasureEngine::PairPlace> MeasureEngine::MovedPlace(const PointId& point, float& x,
                                                                  float& y) const {
    if (!PointAt(point)) {
        return std::nullopt;
    }
    std::optional<PairPlace> place = PlaceOf(point);
    x = Inside(x, pictureWidth_);
    y = Inside(y, pictureHeight_);
    if (!place->complete) {
        place->xa = place->xb = x;
        place->ya = place->yb = y;
        static_cast<void>(RoundToInt32(x));
        static_cast<void>(RoundToInt32(y));
        return place;
    }
    if (point.end == 0) {
        place->xa = x;
        place->ya = y;
    } else {
        place->xb = x;
        place->yb = y;
    }
    // Measured as a click there would be: between the points as stored, rounded.
    const std::int32_t dx = CheckedSub32(RoundToInt32(place->xb), RoundToInt32(place->xa));
    const std::int32_t dy = CheckedSub32(RoundToInt32(place->yb), RoundToInt32(place->ya));
    if (dx == 0 && dy == 0) {
        return std::nullopt;  // no length is ever 0, no scale infinite
    }
    if (point.pair == PointId::Pair::Reference && !ScalesWith(point.number, *place)) {
        return std::nullopt;
    }
    return place;
}

std::optional<MeasureEngine::Scales> MeasureEngine::ScalesWith(int which,
                                                               const PairPlace& place) const {
    std::array<std::optional<Reference>, 2> refs = references_;
    std::optional<Reference>& moved = refs[static_cast<std::size_t>(which)];
    if (!moved) {
        return std::nullopt;
    }
    moved->xa = place.xa;
    moved->ya = place.ya;
    moved->xb = place.xb;
    moved->yb = place.yb;
    if (!refs[0]) {
        return std::nullopt;
    }
    const auto distance = [this](const Reference& r) {
        return static_cast<float>(
            PairDistance(CheckedSub32(RoundToInt32(r.xb), RoundToInt32(r.xa)),
                         CheckedSub32(RoundToInt32(r.yb), RoundToInt32(r.ya))));
    };
    // The same arithmetic as the calibration's, so that a moved reference gives
    // the scale a reference clicked there would have.
    const float first = distance(*refs[0]) / refs[0]->length;
    if (!std::isfinite(first) || first <= 0.0f) {
        return std::nullopt;
    }
    Scales scales{referenceScales_, static_cast<double>(first), first};
    if (refs[1]) {
        const double second =
            static_cast<double>(distance(*refs[1])) / static_cast<double>(refs[1]->length);
        const auto k = static_cast<float>((second + static_cast<double>(first)) / 2.0);
        if (!std::isfinite(k) || k <= 0.0f) {
            return std::nullopt;
        }
        scales.references = {static_cast<double>(first), second};
        scales.k = k;
    }
    return scales;
}

bool MeasureEngine::MovePoint(const PointId& point, float x, float y, bool joinLastMove) {
    EndPreview();
    const std::optional<PlacedPoint> now = PointAt(point);
    const std::optional<PairPlace> place = MovedPlace(point, x, y);
    if (!now || !place || (now->x == x && now->y == y)) {
        return false;
    }
    if (joinLastMove && !history_.empty() && history_.back().kind == Step::Kind::Move &&
        history_.back().point == point) {
        history_.back().toX = x;
        history_.back().toY = y;
    } else {
        history_.push_back({Step::Kind::Move, point, now->x, now->y, x, y});
    }
    if (!replaying_) {
        redo_.clear();
    }
    ApplyMove(point, x, y, *place);
    return true;
}

void MeasureEngine::ApplyMove(const PointId& point, float x, float y, const PairPlace& place) {
    using P = PointId::Pair;
    std::vector<MeasuredPair> before;
    std::vector<Measurement*> follow;
    if (point.pair == P::Measurement) {
        follow.push_back(MeasurementNumbered(point.number));
    } else if (point.pair == P::Reference) {
        for (Measurement& m : done_) {
            follow.push_back(&m);
        }
    }
    for (const Measurement* m : follow) {
        before.push_back({m->number, m->first.x, m->first.y, m->xb, m->yb, m->length});
    }
    if (point.pair == P::Pending) {
        pending_->x = x;
        pending_->y = y;
        x0_ = RoundToInt32(x);
        y0_ = RoundToInt32(y);
    } else if (point.pair == P::Measurement) {
        Measurement& m = *follow.front();
        m.first.x = place.xa;
        m.first.y = place.ya;
        m.xb = place.xb;
        m.yb = place.yb;
    } else {
        Reference& r = *references_[static_cast<std::size_t>(point.number)];
        r.xa = place.xa;
        r.ya = place.ya;
        r.xb = place.xb;
        r.yb = place.yb;
        if (const std::optional<Scales> scales = ScalesWith(point.number, place)) {
            k_ = scales->k;
            firstPairScale_ = scales->first;
            referenceScales_ = scales->references;
        }
    }
    PlacePairMarks(place);
    ShowPairMarks(place);
    lastPoint_ = point;
    if (observer_ != nullptr) {
        observer_->PointMoved({point, x, y});
    }
    std::string text = results_.GetText();
    const std::string original = text;
    std::vector<std::pair<std::int16_t, std::string>> notRewritten;
    for (Measurement* m : follow) {
        m->length = PairDistance(CheckedSub32(RoundToInt32(m->xb), RoundToInt32(m->first.x)),
                                 CheckedSub32(RoundToInt32(m->yb), RoundToInt32(m->first.y))) /
                    static_cast<double>(k_);
        if (!RewriteLine(*m, text)) {
            notRewritten.emplace_back(
                m->number, PointToDecimal(NumberText(RoundToHundredths(m->length)), locale_));
        }
    }
    if (text != original) {
        results_.SetText(text);
    }
    if (observer_ != nullptr) {
        for (std::size_t i = 0; i < follow.size(); ++i) {
            const Measurement& m = *follow[i];
            observer_->MeasurementChanged(before[i],
                                          {m.number, m.first.x, m.first.y, m.xb, m.yb, m.length});
        }
    }
    if (!notRewritten.empty()) {
        dialogs_.ShowLinesNotRewritten(notRewritten);
    }
}

bool MeasureEngine::RewriteLine(Measurement& m, std::string& text) const {
    const std::string line = ResultLine(m.number, m.length, locale_);
    if (line == m.line) {
        return true;  // the same text: nothing to write
    }
    const std::size_t at =
        m.sameBefore == kNotOwnLine ? std::string::npos : NthOwnLine(text, m.line, m.sameBefore);
    if (at == std::string::npos) {
        return false;
    }
    text.replace(at, m.line.size(), line);
    m.sameBefore = OwnLinesBefore(text, line, at);
    m.line = line;
    return true;
}

std::optional<MovePreview> MeasureEngine::PreviewMove(const PointId& point, float x, float y) {
    if (previewing_ && *previewing_ != point) {
        EndPreview();
    }
    try {
        const std::optional<PairPlace> place = MovedPlace(point, x, y);
        if (!place) {
            return std::nullopt;
        }
        MovePreview preview{point,     place->xa, place->ya,        place->xb,
                            place->yb, 0.0,       referenceScales_, k_};
        if (point.pair == PointId::Pair::Reference) {
            const std::optional<Scales> scales = ScalesWith(point.number, *place);
            preview.referenceScales = scales->references;
            preview.k = scales->k;
        } else if (point.pair == PointId::Pair::Measurement) {
            preview.length =
                PairDistance(CheckedSub32(RoundToInt32(place->xb), RoundToInt32(place->xa)),
                             CheckedSub32(RoundToInt32(place->yb), RoundToInt32(place->ya))) /
                static_cast<double>(k_);
        }
        PlacePairMarks(*place);
        ShowPairMarks(*place);
        previewing_ = point;
        return preview;
    } catch (const ArithmeticOverflow&) {
        return std::nullopt;  // nowhere a point could be let go: the marks stay
    }
}

void MeasureEngine::EndPreview() {
    if (!previewing_) {
        return;
    }
    const std::optional<PairPlace> place = PlaceOf(*previewing_);
    previewing_.reset();
    if (place) {
        PlacePairMarks(*place);
        ShowPairMarks(*place);
    }
}

void MeasureEngine::ShowPairMarks(const PairPlace& place) {
    const std::size_t end =
        place.firstMark + (place.complete ? kPointMarks + kPairMarks : kPointMarks);
    for (std::size_t i = place.firstMark; i < end; ++i) {
        const Mark& m = marks_[i];
        const bool replaced = m.circle ? surface_.ReplaceCircle(i, m.a, m.b, m.c, m.colour)
                                       : surface_.ReplaceLine(i, m.a, m.b, m.c, m.d, m.colour);
        if (!replaced) {
            RedrawFrom(i);
            return;
        }
    }
}

void MeasureEngine::RedrawFrom(std::size_t first) {
    // The surface only appends and erases, so the marks after the pair go too
    // and come back in their order: undo erases by that order.
    surface_.EraseMarks(first, marks_.size() - first);
    for (std::size_t i = first; i < marks_.size(); ++i) {
        Draw(marks_[i]);
    }
}

void MeasureEngine::PlacePairMarks(const PairPlace& place) {
    const auto first = PointMarkSet(place.xa, place.ya, place.colour);
    std::copy(first.begin(), first.end(),
              marks_.begin() + static_cast<std::ptrdiff_t>(place.firstMark));
    if (!place.complete) {
        return;
    }
    const std::size_t line = place.firstMark + kPointMarks;
    // As a click draws it: from the first point as stored, rounded.
    marks_[line] = {false,
                    static_cast<float>(RoundToInt32(place.xa)),
                    static_cast<float>(RoundToInt32(place.ya)),
                    place.xb,
                    place.yb,
                    place.colour};
    const auto second = PointMarkSet(place.xb, place.yb, place.colour);
    std::copy(second.begin(), second.end(), marks_.begin() + static_cast<std::ptrdiff_t>(line + 1));
}

}  // namespace vardesca
