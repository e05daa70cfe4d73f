// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>

namespace vardesca {

// The program's icon, drawn here rather than shipped as a file: two crossing
// rulers, one horizontal and one vertical, yellow with black ticks, on light grey.
// Only colours of the classic 16-colour palette are used.
[[nodiscard]] QImage DrawRulersIcon(int size);

// The icon at 16 × 16 and 32 × 32, for the window.
[[nodiscard]] QIcon AppIcon();

}  // namespace vardesca
