// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/measure_engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "engine/checked_int.h"

namespace vardesca {

namespace {

constexpr float kMarkRadius = 50.0f;
constexpr float kCrossHalfWidth = 60.0f;
constexpr float kCrossHalfHeight = 120.0f;

bool IsBlank(std::string_view text) {
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\v' && c != '\f') {
            return false;
        }
    }
    return true;
}

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

MeasureEngine::MeasureEngine(MarkSurface& surface, EngineDialogs& dialogs, ResultsText& results,
                             EngineButtons& buttons, const LocaleNumbers& locale)
    : surface_(surface), dialogs_(dialogs), results_(results), buttons_(buttons), locale_(locale) {}

void MeasureEngine::StartCalibration() {
    dialogs_.ShowMessage(engine_text::kCalibrationTitle1, engine_text::kInstructions);
    azione_ = Calibrating;
    // A new calibration: the measurements before it are no longer undone, nor
    // moves; a first point still waiting can be.
    done_.clear();
    redo_.clear();
    std::erase_if(history_, [](const Step& step) { return step.kind != Step::Kind::Point; });
}

void MeasureEngine::Reset() {
    azione_ = Idle;
    punti_ = 0;
    n_ = 0;
    marks_.clear();
    pending_.reset();
    done_.clear();
    measuring_.reset();
    references_ = {};
    history_.clear();
    redo_.clear();
    lastPoint_.reset();
    previewing_.reset();
    buttons_.SetIniziaEnabled(true);
    buttons_.SetResettaEnabled(false);
    if (observer_ != nullptr) {
        observer_->CalibrationReset();
    }
}

namespace {

// A point: its circle, then the two arms of its cross.
template <typename Mark>
std::array<Mark, 3> PointMarkSet(float x, float y, std::uint32_t colour) {
    return {{{true, x, y, kMarkRadius, 0.0f, colour},
             {false, x - kCrossHalfWidth, y, x + kCrossHalfWidth, y, colour},
             {false, x, y - kCrossHalfHeight, x, y + kCrossHalfHeight, colour}}};
}

}  // namespace

void MeasureEngine::Draw(const Mark& mark) {
    if (mark.circle) {
        surface_.DrawCircle(mark.a, mark.b, mark.c, mark.colour);
    } else {
        surface_.DrawLine(mark.a, mark.b, mark.c, mark.d, mark.colour);
    }
}

void MeasureEngine::DrawPointMarks(float x, float y, std::uint32_t colour) {
    for (const Mark& mark : PointMarkSet<Mark>(x, y, colour)) {
        marks_.push_back(mark);
        Draw(mark);
    }
}

void MeasureEngine::DrawPairMarks(float x, float y, std::uint32_t colour) {
    // From the stored (rounded) first point to the exact position of this click.
    marks_.push_back({false, static_cast<float>(x0_), static_cast<float>(y0_), x, y, colour});
    Draw(marks_.back());
    DrawPointMarks(x, y, colour);
}

void MeasureEngine::PlacePairMarks(const PairPlace& place) {
    const auto first = PointMarkSet<Mark>(place.xa, place.ya, place.colour);
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
    const auto second = PointMarkSet<Mark>(place.xb, place.yb, place.colour);
    std::copy(second.begin(), second.end(), marks_.begin() + static_cast<std::ptrdiff_t>(line + 1));
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

double MeasureEngine::PairDistance(std::int32_t dx, std::int32_t dy) const {
    const auto fx = static_cast<double>(dx);
    const auto fy = static_cast<double>(dy);
    return std::sqrt(fx * fx + fy * fy);
}

std::optional<float> MeasureEngine::AskScale(const char* title, float ds, bool secondPair) {
    for (;;) {
        const std::string reply = dialogs_.AskText(title, engine_text::kDistancePrompt);
        if (IsBlank(reply)) {
            return std::nullopt;  // cancelled or left empty: the pair is given up
        }
        const std::optional<float> r = locale_.ParseSingle(reply);
        if (r && std::isfinite(*r) && *r > 0.0f) {
            float scale = 0.0f;
            if (!secondPair) {
                scale = ds / *r;
            } else {
                const double mean =
                    (static_cast<double>(ds) / static_cast<double>(*r) + static_cast<double>(k_)) /
                    2.0;
                scale = static_cast<float>(mean);
            }
            // A length so small next to the segment that the scale no longer fits a
            // float would make every later length 0: refuse it like any other
            // unusable number.
            if (std::isfinite(scale) && scale > 0.0f) {
                lastPairScale_ = secondPair ? static_cast<double>(ds) / static_cast<double>(*r)
                                            : static_cast<double>(scale);
                lastPairLength_ = *r;
                return scale;
            }
        }
        dialogs_.ShowMessage(engine_text::kInvalidTitle, engine_text::kInvalidLength);
    }
}

void MeasureEngine::Measure(std::int32_t dx, std::int32_t dy) {
    std::optional<Measurement> record = std::move(measuring_);
    measuring_.reset();
    const double length = PairDistance(dx, dy) / static_cast<double>(k_);
    if (n_ >= kMaxResults) {
        punti_ = 0;
        lastPoint_.reset();
        dialogs_.ShowMessage(engine_text::kLimitTitle, engine_text::kLimitReached);
        return;
    }
    n_ = static_cast<std::int16_t>(n_ + 1);
    const std::string line = ResultLine(n_, length, locale_);
    // Read the box now: whatever the user typed into it stays, and the line goes
    // straight after it.
    const std::string before = results_.GetText();
    results_.SetText(before + line);
    punti_ = 0;
    MeasuredPair told{n_,
                      static_cast<float>(x0_),
                      static_cast<float>(y0_),
                      static_cast<float>(x1_),
                      static_cast<float>(y1_),
                      length};
    lastPoint_.reset();
    if (record) {
        record->line = line;
        record->number = n_;
        record->length = length;
        // Which of the lines reading the same is this one, should a point move.
        record->sameBefore = before.empty() || before.back() == '\n'
                                 ? LinesReadingBeforeAppend(before, line)
                                 : kNotOwnLine;
        told = MeasuredPair{n_, record->first.x, record->first.y, record->xb, record->yb, length};
        done_.push_back(std::move(*record));
        history_.push_back({Step::Kind::Pair});
        lastPoint_ = PointId{PointId::Pair::Measurement, n_, 1};
    }
    if (observer_ != nullptr) {
        if (replaying_) {
            observer_->MeasurementRedone(told);
        } else {
            observer_->MeasurementAdded(told);
        }
    }
}

void MeasureEngine::HandleClick(float x, float y) {
    if (azione_ != Calibrating && azione_ != Measuring) {
        return;
    }
    EndPreview();
    const bool calibrating = azione_ == Calibrating;
    // The second click of a pair: in calibration the clicks numbered 1 and 3 (and
    // any stray count), in measuring any count but 0.
    const bool second = calibrating ? (punti_ != 0 && punti_ != 2) : punti_ != 0;

    // Work out everything that can overflow before anything changes, so a failed
    // click leaves the engine exactly as it was.
    const std::int32_t sx = RoundToInt32(x);
    const std::int32_t sy = RoundToInt32(y);
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    if (second) {
        dx = CheckedSub32(sx, x0_);
        dy = CheckedSub32(sy, y0_);
    }
    const std::uint32_t colour = calibrating ? kCalibrationColour : kMeasureColour;
    // A new click ends what could be done again; a redone one is that redo.
    if (!replaying_) {
        redo_.clear();
    }

    if (!second) {
        pending_ = Click{x, y, marks_.size(), punti_, x0_, y0_};
        punti_ = calibrating ? static_cast<std::int16_t>(punti_ + 1) : std::int16_t{1};
        DrawPointMarks(x, y, colour);
        x0_ = sx;
        y0_ = sy;
        history_.push_back({Step::Kind::Point});
        lastPoint_ = PointId{PointId::Pair::Pending, 0, 0};
        return;
    }
    const std::optional<Click> first = pending_;
    pending_.reset();
    // The point and its moves become the pair's, taken back with it.
    DropPendingSteps();

    const bool firstPair = calibrating && punti_ == 1;
    punti_ = calibrating ? (firstPair ? std::int16_t{2} : std::int16_t{4}) : std::int16_t{2};
    const std::int32_t x1Before = x1_;
    const std::int32_t y1Before = y1_;
    DrawPairMarks(x, y, colour);
    x1_ = sx;
    y1_ = sy;

    if (!calibrating) {
        // Every measuring pair starts with a recorded first point; should one
        // not, the measurement still counts but cannot be undone.
        if (first) {
            measuring_ = Measurement{*first, x, y, x1Before, y1Before, {}};
        }
        Measure(dx, dy);
        return;
    }

    CompleteReference(dx, dy, firstPair, first, x, y);
}

void MeasureEngine::CompleteReference(std::int32_t dx, std::int32_t dy, bool firstPair,
                                      const std::optional<Click>& first, float x, float y) {
    // Giving up a reference pair takes the count back to its first click.
    const std::int16_t pairStart = firstPair ? std::int16_t{0} : std::int16_t{2};
    lastPoint_.reset();
    const double d = PairDistance(dx, dy);
    if (d == 0.0) {
        dialogs_.ShowMessage(engine_text::kInvalidTitle, engine_text::kSamePoint);
        punti_ = pairStart;
        return;
    }
    const auto ds = static_cast<float>(d);
    const std::optional<float> scale =
        AskScale(firstPair ? engine_text::kCalibrationTitle2 : engine_text::kCalibrationTitle3, ds,
                 !firstPair);
    if (!scale) {
        punti_ = pairStart;
        return;
    }
    k_ = *scale;
    const int which = firstPair ? 0 : 1;
    references_[static_cast<std::size_t>(which)].reset();
    if (first) {
        references_[static_cast<std::size_t>(which)] =
            Reference{first->x, first->y, x, y, first->firstMark, lastPairLength_};
        lastPoint_ = PointId{PointId::Pair::Reference, static_cast<std::int16_t>(which), 1};
    }
    if (firstPair) {
        references_[1].reset();
        firstPairScale_ = lastPairScale_;
        referenceLengths_ = {lastPairLength_, 0.0f};
        if (observer_ != nullptr) {
            observer_->ReferenceCompleted(0);
        }
    } else {
        referenceScales_ = {firstPairScale_, lastPairScale_};
        referenceLengths_[1] = lastPairLength_;
        buttons_.SetIniziaEnabled(false);
        buttons_.SetResettaEnabled(true);
        azione_ = Measuring;
        punti_ = 0;
        // Measuring starts here: undo never goes back into the calibration.
        done_.clear();
        redo_.clear();
        history_.clear();
        if (observer_ != nullptr) {
            observer_->ReferenceCompleted(1);
        }
    }
}

std::optional<MeasuredPair> MeasureEngine::LastMeasurement() const {
    if (done_.empty()) {
        return std::nullopt;
    }
    const Measurement& m = done_.back();
    return MeasuredPair{m.number, m.first.x, m.first.y, m.xb, m.yb, m.length};
}

bool MeasureEngine::HasPendingPoint() const {
    if (!pending_) {
        return false;
    }
    if (azione_ == Measuring) {
        return punti_ == 1;
    }
    return azione_ == Calibrating && (punti_ == 1 || punti_ == 3);
}

bool MeasureEngine::CanUndo() const {
    if (history_.empty()) {
        return false;
    }
    switch (history_.back().kind) {
        case Step::Kind::Point:
            return HasPendingPoint();
        case Step::Kind::Pair:
            return azione_ == Measuring && !done_.empty();
        case Step::Kind::Move:
            return azione_ == Calibrating || azione_ == Measuring;
    }
    return false;
}

std::size_t MeasureEngine::LinesReadingBeforeAppend(const std::string& text,
                                                    const std::string& line) {
    if (text != countedText_) {
        countedLines_.clear();
        for (std::size_t from = 0; from < text.size();) {
            const std::size_t end = text.find('\n', from);
            if (end == std::string::npos) {
                break;  // a last line without its end is no whole line
            }
            ++countedLines_[text.substr(from, end + 1 - from)];
            from = end + 1;
        }
        countedText_ = text;
    }
    const auto found = countedLines_.find(line);
    const std::size_t count = found == countedLines_.end() ? 0 : found->second;
    // The line is appended to the text next: counted already, the box need not
    // be read again at the next measurement.
    countedText_ += line;
    ++countedLines_[line];
    return count;
}

void MeasureEngine::DropPendingSteps() {
    std::erase_if(history_, [](const Step& step) {
        return step.kind == Step::Kind::Point ||
               (step.kind == Step::Kind::Move && step.point.pair == PointId::Pair::Pending);
    });
}

bool MeasureEngine::Undo() {
    if (!CanUndo()) {
        return false;
    }
    EndPreview();
    const Step step = history_.back();
    history_.pop_back();
    if (step.kind == Step::Kind::Move) {
        float x = step.fromX;
        float y = step.fromY;
        const std::optional<PairPlace> place = MovedPlace(step.point, x, y);
        if (place) {
            ApplyMove(step.point, x, y, *place);
        }
        redo_.push_back({0.0f, 0.0f, std::nullopt, step});
        return true;
    }
    lastPoint_.reset();
    if (step.kind == Step::Kind::Point) {
        const Click click = *pending_;
        pending_.reset();
        DropPendingSteps();
        surface_.EraseMarks(click.firstMark, kPointMarks);
        const auto from = marks_.begin() + static_cast<std::ptrdiff_t>(click.firstMark);
        marks_.erase(from, from + kPointMarks);
        punti_ = click.puntiBefore;
        x0_ = click.x0Before;
        y0_ = click.y0Before;
        redo_.push_back({click.x, click.y, std::nullopt, std::nullopt});
        return true;
    }
    const Measurement m = std::move(done_.back());
    done_.pop_back();
    surface_.EraseMarks(m.first.firstMark, kPointMarks + kPairMarks);
    const auto from = marks_.begin() + static_cast<std::ptrdiff_t>(m.first.firstMark);
    marks_.erase(from, from + kPointMarks + kPairMarks);
    n_ = static_cast<std::int16_t>(n_ - 1);
    punti_ = 0;
    x0_ = m.first.x0Before;
    y0_ = m.first.y0Before;
    x1_ = m.x1Before;
    y1_ = m.y1Before;
    // The line goes only if it is still the end of the box; what the user typed
    // is never taken away.
    const std::string text = results_.GetText();
    if (text.size() >= m.line.size() &&
        text.compare(text.size() - m.line.size(), m.line.size(), m.line) == 0) {
        results_.SetText(text.substr(0, text.size() - m.line.size()));
    } else {
        dialogs_.ShowMessage(engine_text::kUndoTitle, engine_text::kUndoTextEdited);
    }
    redo_.push_back({m.first.x, m.first.y, std::pair{m.xb, m.yb}, std::nullopt});
    if (observer_ != nullptr) {
        observer_->MeasurementTakenBack({m.number, m.first.x, m.first.y, m.xb, m.yb, m.length});
    }
    return true;
}

bool MeasureEngine::Redo() {
    if (redo_.empty() || (azione_ != Calibrating && azione_ != Measuring)) {
        return false;
    }
    EndPreview();
    const RedoStep step = redo_.back();
    redo_.pop_back();
    if (step.move) {
        float x = step.move->toX;
        float y = step.move->toY;
        const std::optional<PairPlace> place = MovedPlace(step.move->point, x, y);
        if (!place) {
            return false;
        }
        ApplyMove(step.move->point, x, y, *place);
        history_.push_back(*step.move);
        return true;
    }
    replaying_ = true;
    try {
        HandleClick(step.xa, step.ya);
        if (step.second) {
            HandleClick(step.second->first, step.second->second);
        }
    } catch (...) {
        replaying_ = false;
        throw;
    }
    replaying_ = false;
    return true;
}

bool MeasureEngine::GiveUpPendingPoint() {
    if (!HasPendingPoint()) {
        return false;
    }
    if (!history_.empty() && history_.back().kind == Step::Kind::Point) {
        return Undo();  // nothing since: the same as taking the click back
    }
    // Moves made since stay, and so can be undone; the point goes for good.
    EndPreview();
    const Click click = *pending_;
    pending_.reset();
    DropPendingSteps();
    surface_.EraseMarks(click.firstMark, kPointMarks);
    const auto from = marks_.begin() + static_cast<std::ptrdiff_t>(click.firstMark);
    marks_.erase(from, from + kPointMarks);
    punti_ = click.puntiBefore;
    x0_ = click.x0Before;
    y0_ = click.y0Before;
    redo_.clear();
    lastPoint_.reset();
    return true;
}

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
    if (point.pair == PointId::Pair::Reference) {
        Reference moved = *references_[static_cast<std::size_t>(point.number)];
        moved.xa = place->xa;
        moved.ya = place->ya;
        moved.xb = place->xb;
        moved.yb = place->yb;
        if (!ScalesWith(point.number, moved)) {
            return std::nullopt;
        }
    }
    return place;
}

std::optional<MeasureEngine::Scales> MeasureEngine::ScalesWith(int which,
                                                               const Reference& moved) const {
    std::array<std::optional<Reference>, 2> refs = references_;
    refs[static_cast<std::size_t>(which)] = moved;
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
        if (const std::optional<Scales> scales = ScalesWith(point.number, r)) {
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
            Reference moved = *references_[static_cast<std::size_t>(point.number)];
            moved.xa = place->xa;
            moved.ya = place->ya;
            moved.xb = place->xb;
            moved.yb = place->yb;
            const std::optional<Scales> scales = ScalesWith(point.number, moved);
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

}  // namespace vardesca
