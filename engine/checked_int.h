// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vardesca {

// What an overflow says (in Italian: the window shows it translated by these).
namespace overflow_text {
inline constexpr const char* kValue = "valore fuori dall'intervallo di un intero a 32 bit";
inline constexpr const char* kDifference =
    "differenza fuori dall'intervallo di un intero a 32 bit";
}  // namespace overflow_text

// Raised when a 16- or 32-bit value would leave its range. Integer arithmetic in
// this program never wraps around: a result that does not fit is an error, and
// the window reports it and goes on.
class ArithmeticOverflow : public std::overflow_error {
  public:
    explicit ArithmeticOverflow(const std::string& what) : std::overflow_error(what) {}
};

// Nearest 32-bit integer, halves to the even neighbour (1000.5 → 1000, 1001.5 → 1002).
[[nodiscard]] inline std::int32_t RoundToInt32(float value) {
    // 2^31 is exactly representable as a float; everything at or above it, and
    // below -2^31, does not fit. NaN fails both comparisons.
    constexpr float kLimit = 2147483648.0f;
    const float rounded = std::nearbyint(value);
    if (!(rounded >= -kLimit && rounded < kLimit)) {
        throw ArithmeticOverflow(overflow_text::kValue);
    }
    return static_cast<std::int32_t>(rounded);
}

// a − b as a 32-bit signed subtraction that refuses to wrap.
[[nodiscard]] inline std::int32_t CheckedSub32(std::int32_t a, std::int32_t b) {
    std::int32_t result = 0;
    if (__builtin_sub_overflow(a, b, &result)) {
        throw ArithmeticOverflow(overflow_text::kDifference);
    }
    return result;
}

}  // namespace vardesca
