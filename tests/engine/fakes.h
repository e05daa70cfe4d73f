// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/measure_engine.h"

namespace vardesca::testing {

// Number conventions with a chosen decimal separator. A text is numeric when it
// is a plain decimal number written with either "." or the separator.
class FakeLocale : public LocaleNumbers {
  public:
    explicit FakeLocale(std::string separator = ".") : separator_(std::move(separator)) {}

    std::string FormatDouble(double) const override {
        ++formatCalls;
        return "1" + separator_ + "1";
    }
    bool IsNumeric(const std::string& text) const override { return Parse(text).has_value(); }
    std::optional<float> ParseSingle(const std::string& text) const override {
        const auto value = Parse(text);
        if (!value)
            return std::nullopt;
        return static_cast<float>(*value);
    }

    void SetSeparator(std::string separator) { separator_ = std::move(separator); }
    mutable int formatCalls = 0;

  private:
    std::optional<double> Parse(const std::string& text) const {
        // The separator read as ".", character by character.
        std::string plain;
        for (std::size_t i = 0; i < text.size();) {
            if (separator_ != "." && text.compare(i, separator_.size(), separator_) == 0) {
                plain += '.';
                i += separator_.size();
            } else {
                plain += text[i++];
            }
        }
        if (plain.empty())
            return std::nullopt;
        char* end = nullptr;
        const double value = std::strtod(plain.c_str(), &end);
        if (end != plain.c_str() + plain.size())
            return std::nullopt;
        return value;
    }
    std::string separator_;
};

struct DrawCall {
    enum Kind { Circle, Line } kind;
    float a, b, c, d;  // circle: cx, cy, radius, unused; line: xa, ya, xb, yb
    std::uint32_t colour;
    bool operator==(const DrawCall&) const = default;
};

class RecordingSurface : public MarkSurface {
  public:
    void DrawCircle(float cx, float cy, float radius, std::uint32_t colour) override {
        calls.push_back({DrawCall::Circle, cx, cy, radius, 0.0f, colour});
        live.push_back(calls.back());
    }
    void DrawLine(float xa, float ya, float xb, float yb, std::uint32_t colour) override {
        calls.push_back({DrawCall::Line, xa, ya, xb, yb, colour});
        live.push_back(calls.back());
    }
    void EraseMarks(std::size_t first, std::size_t count) override {
        erased.emplace_back(first, count);
        if (first + count <= live.size()) {
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(first),
                       live.begin() + static_cast<std::ptrdiff_t>(first + count));
        } else {
            badErase = true;
        }
    }
    // With `replaces`, a mark can be put in a new place among the others.
    bool ReplaceCircle(std::size_t index, float cx, float cy, float radius,
                       std::uint32_t colour) override {
        return Replace(index, {DrawCall::Circle, cx, cy, radius, 0.0f, colour});
    }
    bool ReplaceLine(std::size_t index, float xa, float ya, float xb, float yb,
                     std::uint32_t colour) override {
        return Replace(index, {DrawCall::Line, xa, ya, xb, yb, colour});
    }
    bool Replace(std::size_t index, const DrawCall& call) {
        if (!replaces) {
            return false;
        }
        if (index >= live.size()) {
            badErase = true;
            return false;
        }
        live[index] = call;
        ++replaced;
        return true;
    }
    bool replaces = false;
    int replaced = 0;
    std::vector<DrawCall> calls;
    // The marks on the surface since the test last cleared it (with the engine's
    // Reset), erasures applied.
    std::vector<DrawCall> live;
    std::vector<std::pair<std::size_t, std::size_t>> erased;
    bool badErase = false;
};

// Replies are given in advance; asking with none left is a test failure shown as
// the reply "<unexpected>", which no locale parses.
class ScriptedDialogs : public EngineDialogs {
  public:
    struct Shown {
        std::string title, text;
    };
    void ShowMessage(const std::string& title, const std::string& text) override {
        messages.push_back({title, text});
    }
    std::string AskText(const std::string& title, const std::string& prompt) override {
        asked.push_back({title, prompt});
        if (replies.empty()) {
            unexpectedAsk = true;
            return "";
        }
        std::string reply = replies.front();
        replies.pop_front();
        return reply;
    }
    std::deque<std::string> replies;
    std::vector<Shown> messages;
    std::vector<Shown> asked;
    bool unexpectedAsk = false;
};

class StringResults : public ResultsText {
  public:
    std::string GetText() const override { return text; }
    void SetText(const std::string& value) override { text = value; }
    std::string text;
};

class RecordingButtons : public EngineButtons {
  public:
    void SetIniziaEnabled(bool enabled) override {
        inizia = enabled;
        log.push_back(enabled ? "inizia+" : "inizia-");
    }
    void SetResettaEnabled(bool enabled) override {
        resetta = enabled;
        log.push_back(enabled ? "resetta+" : "resetta-");
    }
    std::optional<bool> inizia, resetta;
    std::vector<std::string> log;
};

// An engine over the fakes above, Italian-style separator: the ground of the
// engine's tests.
struct EngineParts {
    RecordingSurface surface;
    ScriptedDialogs dialogs;
    StringResults results;
    RecordingButtons buttons;
    FakeLocale locale{","};
    MeasureEngine engine{surface, dialogs, results, buttons, locale};
};

}  // namespace vardesca::testing
