// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/twips.h"

#include <QScreen>

namespace vardesca {

TwipsScale TwipsScale::ForScreen(const QScreen* screen) {
    const double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
    return TwipsScale(dpi > 0 ? 1440.0 / dpi : 15.0);
}

}  // namespace vardesca
