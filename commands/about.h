// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vardesca {

// The about paragraph: nine fragments, each ending in a blank, in one paragraph.
[[nodiscard]] QString AboutText();

inline constexpr const char* kAboutTitle = "Vardesca?";
inline constexpr const char* kExitQuestion = "Vuoi veramente uscire?";

}  // namespace vardesca
