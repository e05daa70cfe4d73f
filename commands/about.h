// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vardesca {

// The about paragraph: nine fragments, each ending in a blank, in one paragraph.
[[nodiscard]] QString AboutText();

inline constexpr const char* kAboutTitle = QT_TRANSLATE_NOOP("Vardesca", "Vardesca?");
inline constexpr const char* kExitQuestion =
    QT_TRANSLATE_NOOP("Vardesca", "Vuoi veramente uscire?");

}  // namespace vardesca
