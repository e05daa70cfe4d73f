// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QPainter>
#include <unordered_set>

extern "C" {
#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>
}

// The drawing side of a metafile: libwmf's player walks the records and calls
// these, and QPainter draws what they say.
namespace vardesca::wmf {

// Everything the drawing callbacks need, hung on the player's device_data.
struct Device {
    QPainter* painter = nullptr;
    qint64 maxBitmapPixels = 0;
    QElapsedTimer clock;
    // The bitmaps this device made. A damaged file can leave other values in a
    // brush's bitmap field, so a pointer is only ever used when it is one of these.
    std::unordered_set<const void*> bitmaps;
};

// Gives the player the drawing callbacks and the font measures; on a failed
// allocation the api's function_reference or font_data stays null.
void SetUp(wmfAPI* api);

// Called by the player as it goes, with the Device as context; a non-zero
// answer stops a metafile that plays too long to be a sound one.
int Status(void* context, float);

}  // namespace vardesca::wmf
