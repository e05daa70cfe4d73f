// SPDX-License-Identifier: GPL-3.0-or-later
// Typed lengths and result-line texts under Italian and English settings.
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/result_line.h"
#include "text/qt_locale_numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const vardesca::QtLocaleNumbers italian(QLocale(QLocale::Italian, QLocale::Italy));
    static const vardesca::QtLocaleNumbers english(
        QLocale(QLocale::English, QLocale::UnitedStates));
    const vardesca::QtLocaleNumbers& locale = (data[0] & 1) ? italian : english;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::optional<float> value = locale.ParseSingle(text);
    // What a reply may be read as is also a number to the locale, and is never
    // beyond the float range.
    if (value && !locale.IsNumeric(text))
        __builtin_trap();
    if (value && std::isfinite(*value) == false && !std::isinf(*value) && !std::isnan(*value)) {
        __builtin_trap();
    }
    // Whatever number the engine writes, the locale takes it for a number.
    if (value && std::isfinite(*value)) {
        const std::string written = vardesca::NumberText(static_cast<double>(*value));
        if (!locale.IsNumeric(written))
            __builtin_trap();
        const std::string line = vardesca::ResultLine(1, static_cast<double>(*value), locale);
        if (line.size() < 5 || line.compare(line.size() - 2, 2, "\r\n") != 0)
            __builtin_trap();
        if (line.find('.') != std::string::npos && &locale == &italian)
            __builtin_trap();
    }
    return 0;
}
