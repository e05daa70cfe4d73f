// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/result_line.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vardesca {

double RoundToHundredths(double length) {
    const double t1 = length * 100.0;
    const double t2 = t1 + 0.5;
    const double t3 = std::floor(t2);
    return t3 / 100.0;
}

namespace {

// Positional text of a value already known to have at most 15 significant digits
// below 10^15: digits is the 15-digit mantissa, exponent the power of ten of its
// first digit.
std::string Positional(const std::string& digits, int exponent) {
    std::string intPart;
    std::string fracPart;
    if (exponent >= 0) {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        intPart = digits.substr(0, intDigits);
        fracPart = digits.substr(intDigits);
    } else {
        fracPart = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    while (!fracPart.empty() && fracPart.back() == '0') {
        fracPart.pop_back();
    }
    // Below 1 the integer part is empty: no zero before the point.
    if (fracPart.empty()) {
        return intPart.empty() ? "0" : intPart;
    }
    return intPart + "." + fracPart;
}

}  // namespace

std::string NumberText(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    if (value == 0.0) {
        return "0";  // also for -0: nothing goes before zero
    }
    // printf rounds correctly to the nearest; "%.14e" gives exactly 15 significant
    // digits and the exponent after that rounding (9.9999999999999999 → 1e+01).
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    const std::string text(buffer);
    const auto ePos = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, ePos - 2);
    const int exponent = std::atoi(text.c_str() + ePos + 1);
    const std::string sign = value < 0 ? "-" : "";
    if (exponent >= 15) {
        // Beyond what any photograph gives: an exponent form, trimmed.
        while (digits.size() > 1 && digits.back() == '0') {
            digits.pop_back();
        }
        const std::string mantissa =
            digits.size() > 1 ? digits.substr(0, 1) + "." + digits.substr(1) : digits;
        return sign + mantissa + "E+" + std::to_string(exponent);
    }
    const std::string body = Positional(digits, exponent);
    return body == "0" ? body : sign + body;
}

std::string NumberText(std::int16_t value) {
    return std::to_string(value);
}

namespace {

// Length in bytes of the UTF-8 character that starts with lead.
std::size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// The second character of the locale's text for 1.1, one whole character even
// where it takes several bytes in UTF-8.
std::string DecimalSeparator(const LocaleNumbers& locale) {
    const std::string sample = locale.FormatDouble(1.1);
    if (sample.empty()) {
        return ".";
    }
    const std::size_t start = Utf8Length(static_cast<unsigned char>(sample[0]));
    if (start >= sample.size()) {
        return ".";
    }
    const std::size_t length = Utf8Length(static_cast<unsigned char>(sample[start]));
    return sample.substr(start, length);
}

}  // namespace

std::string PointToDecimal(const std::string& strNumber, const LocaleNumbers& locale) {
    const std::string separator = DecimalSeparator(locale);
    if (!locale.IsNumeric(strNumber)) {
        return strNumber;
    }
    std::string result;
    result.reserve(strNumber.size() + 4);
    for (const char c : strNumber) {
        if (c == '.') {
            result += separator;
        } else {
            result += c;
        }
    }
    return result;
}

std::string ResultLine(std::int16_t n, double length, const LocaleNumbers& locale) {
    return NumberText(n) + "\t" + PointToDecimal(NumberText(RoundToHundredths(length)), locale) +
           "\r\n";
}

}  // namespace vardesca
