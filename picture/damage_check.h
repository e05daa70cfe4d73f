// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include "picture/failure.h"

namespace vardesca {

// What is wrong with a picture file that its reader opens anyway: Qt's BMP, GIF
// and icon readers, and libwmf, fill in what is missing or skip what they cannot
// read and report success, so a truncated or corrupt file shows partly grey
// with no sign of it. These walk the file's own structure and say, in Italian,
// the first thing that does not hold; nothing when nothing is wrong.
// They read only within `bytes`, whatever the file claims.
[[nodiscard]] Outcome BmpDamage(const QByteArray& bytes);
[[nodiscard]] Outcome GifDamage(const QByteArray& bytes);
[[nodiscard]] Outcome IcoDamage(const QByteArray& bytes);
[[nodiscard]] Outcome WmfDamage(const QByteArray& bytes);

// The one that fits the file's first bytes (none for other kinds).
[[nodiscard]] Outcome FindDamage(const QByteArray& bytes);

}  // namespace vardesca
