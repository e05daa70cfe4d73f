// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/measure_engine.h"

#include <cmath>
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
    // A new calibration: the measurements before it are no longer undone.
    done_.clear();
    redo_.clear();
}

void MeasureEngine::Reset() {
    azione_ = Idle;
    punti_ = 0;
    n_ = 0;
    marksDrawn_ = 0;
    pending_.reset();
    done_.clear();
    redo_.clear();
    buttons_.SetIniziaEnabled(true);
    buttons_.SetResettaEnabled(false);
    if (observer_ != nullptr) {
        observer_->CalibrationReset();
    }
}

void MeasureEngine::DrawPointMarks(float x, float y, std::uint32_t colour) {
    surface_.DrawCircle(x, y, kMarkRadius, colour);
    surface_.DrawLine(x - kCrossHalfWidth, y, x + kCrossHalfWidth, y, colour);
    surface_.DrawLine(x, y - kCrossHalfHeight, x, y + kCrossHalfHeight, colour);
    marksDrawn_ += kPointMarks;
}

void MeasureEngine::DrawPairMarks(float x, float y, std::uint32_t colour) {
    // From the stored (rounded) first point to the exact position of this click.
    surface_.DrawLine(static_cast<float>(x0_), static_cast<float>(y0_), x, y, colour);
    ++marksDrawn_;
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
        dialogs_.ShowMessage(engine_text::kLimitTitle, engine_text::kLimitReached);
        return;
    }
    n_ = static_cast<std::int16_t>(n_ + 1);
    const std::string line = ResultLine(n_, length, locale_);
    // Read the box now: whatever the user typed into it stays, and the line goes
    // straight after it.
    results_.SetText(results_.GetText() + line);
    punti_ = 0;
    MeasuredPair told{n_, static_cast<float>(x0_), static_cast<float>(y0_),
                      static_cast<float>(x1_), static_cast<float>(y1_), length};
    if (record) {
        record->line = line;
        record->number = n_;
        record->length = length;
        told = MeasuredPair{n_, record->first.x, record->first.y, record->xb, record->yb, length};
        done_.push_back(std::move(*record));
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
        pending_ = Click{x, y, marksDrawn_, punti_, x0_, y0_};
        punti_ = calibrating ? static_cast<std::int16_t>(punti_ + 1) : std::int16_t{1};
        DrawPointMarks(x, y, colour);
        x0_ = sx;
        y0_ = sy;
        return;
    }
    const std::optional<Click> first = pending_;
    pending_.reset();

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

    CompleteReference(dx, dy, firstPair);
}

void MeasureEngine::CompleteReference(std::int32_t dx, std::int32_t dy, bool firstPair) {
    // Giving up a reference pair takes the count back to its first click.
    const std::int16_t pairStart = firstPair ? std::int16_t{0} : std::int16_t{2};
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
    if (firstPair) {
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
    return HasPendingPoint() || (azione_ == Measuring && !done_.empty());
}

bool MeasureEngine::Undo() {
    if (HasPendingPoint()) {
        const Click click = *pending_;
        pending_.reset();
        surface_.EraseMarks(click.firstMark, kPointMarks);
        marksDrawn_ -= kPointMarks;
        punti_ = click.puntiBefore;
        x0_ = click.x0Before;
        y0_ = click.y0Before;
        redo_.push_back({click.x, click.y, std::nullopt});
        return true;
    }
    if (azione_ != Measuring || done_.empty()) {
        return false;
    }
    const Measurement m = std::move(done_.back());
    done_.pop_back();
    surface_.EraseMarks(m.first.firstMark, kPointMarks + kPairMarks);
    marksDrawn_ -= kPointMarks + kPairMarks;
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
    redo_.push_back({m.first.x, m.first.y, std::pair{m.xb, m.yb}});
    if (observer_ != nullptr) {
        observer_->MeasurementTakenBack({m.number, m.first.x, m.first.y, m.xb, m.yb, m.length});
    }
    return true;
}

bool MeasureEngine::Redo() {
    if (redo_.empty() || (azione_ != Calibrating && azione_ != Measuring)) {
        return false;
    }
    const RedoStep step = redo_.back();
    redo_.pop_back();
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

}  // namespace vardesca
