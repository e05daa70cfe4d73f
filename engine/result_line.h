// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vardesca {

// The user's number conventions, as the platform gives them. The engine and the
// result-line text reach the locale only through this interface, so both run and
// are tested without a window.
class LocaleNumbers {
  public:
    virtual ~LocaleNumbers() = default;

    // The locale's ordinary text for a number: its decimal separator, no digit
    // grouping, no currency sign. Only ever asked for 1.1.
    [[nodiscard]] virtual std::string FormatDouble(double value) const = 0;

    // Whether the locale's text-to-number conversion accepts the text.
    [[nodiscard]] virtual bool IsNumeric(const std::string& text) const = 0;

    // The single-precision number a text denotes, or nothing for a text that is
    // empty or not a number.
    [[nodiscard]] virtual std::optional<float> ParseSingle(const std::string& text) const = 0;
};

// length × 100, + 0.5, floor, ÷ 100: four double operations, so a half always goes
// up (2.675 → 2.68) and the decision is made on the binary value (1.005 → 1).
[[nodiscard]] double RoundToHundredths(double length);

// Locale-independent text of a number: 15 significant digits, "." as the point, no
// trailing zeros, no zero before the point (0.5 → ".5"), "-" for negatives.
[[nodiscard]] std::string NumberText(double value);
[[nodiscard]] std::string NumberText(std::int16_t value);

// strNumber with every "." replaced by the locale's decimal separator, when the
// locale takes strNumber for a number; otherwise strNumber unchanged. The
// separator is looked up again at every call.
[[nodiscard]] std::string PointToDecimal(const std::string& strNumber, const LocaleNumbers& locale);

// One line of the results box: count, TAB, length in cm rounded to hundredths
// with the locale's separator, CR LF.
[[nodiscard]] std::string ResultLine(std::int16_t n, double length, const LocaleNumbers& locale);

}  // namespace vardesca
