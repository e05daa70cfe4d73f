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

std::array<MeasureEngine::Mark, 3> MeasureEngine::PointMarkSet(float x, float y,
                                                               std::uint32_t colour) {
    // The circle, then the two arms of its cross.
    return {{{true, x, y, kMarkRadius, 0.0f, colour},
             {false, x - kCrossHalfWidth, y, x + kCrossHalfWidth, y, colour},
             {false, x, y - kCrossHalfHeight, x, y + kCrossHalfHeight, colour}}};
}

void MeasureEngine::Draw(const Mark& mark) {
    if (mark.circle) {
        surface_.DrawCircle(mark.a, mark.b, mark.c, mark.colour);
    } else {
        surface_.DrawLine(mark.a, mark.b, mark.c, mark.d, mark.colour);
    }
}

void MeasureEngine::DrawPointMarks(float x, float y, std::uint32_t colour) {
    for (const Mark& mark : PointMarkSet(x, y, colour)) {
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
    std::string text = results_.GetText();
    // Which of the lines reading the same is this one, should a point move:
    // counted before it goes in.
    const std::size_t sameBefore = record && (text.empty() || text.back() == '\n')
                                       ? LinesReadingBeforeAppend(text, line)
                                       : kNotOwnLine;
    text += line;
    results_.SetText(text);
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
        record->sameBefore = sameBefore;
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
        const Click click = TakeBackPendingPoint();
        redo_.push_back({click.x, click.y, std::nullopt, std::nullopt});
        return true;
    }
    const Measurement m = std::move(done_.back());
    done_.pop_back();
    EraseMarks(m.first.firstMark, kPointMarks + kPairMarks);
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
    TakeBackPendingPoint();
    redo_.clear();
    lastPoint_.reset();
    return true;
}

MeasureEngine::Click MeasureEngine::TakeBackPendingPoint() {
    const Click click = *pending_;
    pending_.reset();
    DropPendingSteps();
    EraseMarks(click.firstMark, kPointMarks);
    punti_ = click.puntiBefore;
    x0_ = click.x0Before;
    y0_ = click.y0Before;
    return click;
}

void MeasureEngine::EraseMarks(std::size_t first, std::size_t count) {
    surface_.EraseMarks(first, count);
    const auto from = marks_.begin() + static_cast<std::ptrdiff_t>(first);
    marks_.erase(from, from + static_cast<std::ptrdiff_t>(count));
}

}  // namespace vardesca
