// SPDX-License-Identifier: GPL-3.0-or-later
// The engine driven by an arbitrary sequence of clicks, replies, resets, undos,
// redos, moves of placed points (dragged, nudged, given up) and notes typed
// into the box, checking its invariants after every step:
// among them, n never below zero, no mark erased that is not there, and no
// note the user typed ever lost.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/checked_int.h"
#include "engine/measure_engine.h"
#include "tests/engine/fakes.h"

namespace {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    std::uint8_t Byte() { return Empty() ? 0 : data_[pos_++]; }
    float Float() {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits = (bits << 8) | Byte();
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    std::string Text() {
        const std::size_t length = Byte() % 12;
        std::string s;
        for (std::size_t i = 0; i < length && !Empty(); ++i)
            s += static_cast<char>(Byte());
        return s;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Replies come from the input; once it is used up, the prompt is cancelled.
class FuzzDialogs : public vardesca::EngineDialogs {
  public:
    explicit FuzzDialogs(Input& input) : input_(input) {}
    void ShowMessage(const std::string&, const std::string&) override {}
    std::string AskText(const std::string&, const std::string&) override {
        if (input_.Empty() || ++asked_ > 64)
            return "";
        return input_.Text();
    }

  private:
    Input& input_;
    int asked_ = 0;
};

void Check(const vardesca::MeasureEngine& e, const std::string& text, std::size_t checked) {
    using E = vardesca::MeasureEngine;
    if (e.azione() < E::Idle || e.azione() > E::Measuring)
        __builtin_trap();
    if (e.punti() < 0 || e.punti() > 3)
        __builtin_trap();
    if (e.azione() == E::Measuring && e.punti() > 1)
        __builtin_trap();
    if (e.n() < 0 || e.n() > E::kMaxResults)
        __builtin_trap();
    if (e.azione() == E::Measuring && !(std::isfinite(e.k()) && e.k() > 0))
        __builtin_trap();
    // Every new line: "n", TAB, a non-negative finite number, CR LF.
    for (std::size_t start = checked; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            __builtin_trap();
        const std::string line = text.substr(start, end - start);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            __builtin_trap();
        const std::string value = line.substr(tab + 1);
        if (value.empty() || value[0] == '-')
            __builtin_trap();
        const double v = std::strtod(value.c_str(), nullptr);
        if (!std::isfinite(v) || value.find("NaN") != std::string::npos ||
            value.find("Inf") != std::string::npos) {
            __builtin_trap();
        }
        start = end + 2;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    vardesca::testing::RecordingSurface surface;
    FuzzDialogs dialogs(input);
    vardesca::testing::StringResults results;
    vardesca::testing::RecordingButtons buttons;
    vardesca::testing::FakeLocale locale(",");
    vardesca::MeasureEngine engine(surface, dialogs, results, buttons, locale);
    if (size > 0 && data[0] % 2 == 0) {
        engine.SetPictureSize(6000, 4000);
    }
    std::vector<std::string> notes;
    int steps = 0;
    while (!input.Empty() && ++steps < 2000) {
        std::size_t before = results.text.size();
        const std::string previous = results.text;
        switch (input.Byte() % 16) {
            case 0:
                engine.StartCalibration();
                break;
            case 1:
                engine.Reset();
                surface.live.clear();  // a load or a reset shows a clean picture
                break;
            case 2:
            case 3:
                engine.Undo();
                break;
            case 4:
                try {
                    engine.Redo();
                } catch (const vardesca::ArithmeticOverflow&) {
                    // a redone click fails as the click did not
                }
                break;
            case 5:
                notes.push_back("nota " + std::to_string(notes.size()) + "\r\n");
                results.text += notes.back();
                before = results.text.size();
                break;
            case 12:
            case 13: {
                // A point near somewhere moved somewhere: let go, or only shown.
                const float x = input.Float();
                const float y = input.Float();
                const auto point = engine.PointNear(x, y, 1e30f);
                const float toX = input.Float();
                const float toY = input.Float();
                const std::uint8_t how = input.Byte();
                surface.replaces = (how & 2) != 0;
                if (point) {
                    try {
                        if ((how & 4) != 0) {
                            engine.PreviewMove(point->id, toX, toY);
                        } else {
                            engine.MovePoint(point->id, toX, toY, (how & 1) != 0);
                        }
                    } catch (const vardesca::ArithmeticOverflow&) {
                        // refused before anything changed
                    }
                }
                before = results.text.size();  // lines rewritten in place
                break;
            }
            case 14:
                engine.EndPreview();
                break;
            case 15:
                engine.GiveUpPendingPoint();
                break;
            default: {
                const float x = input.Float();
                const float y = input.Float();
                try {
                    engine.HandleClick(x, y);
                } catch (const vardesca::ArithmeticOverflow&) {
                    // refused before anything changed
                }
            }
        }
        surface.calls.clear();
        // A move, or its undo or redo, rewrites lines in place: only what was
        // appended after an unchanged text is checked as new.
        if (results.text.compare(0, before, previous, 0, before) != 0) {
            before = results.text.size();
        }
        Check(engine, results.text, before);
        if (surface.badErase)
            __builtin_trap();
        // Every note is still there, in the order it was typed.
        std::size_t at = 0;
        for (const std::string& note : notes) {
            at = results.text.find(note, at);
            if (at == std::string::npos)
                __builtin_trap();
            at += note.size();
        }
    }
    return 0;
}
