// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/app_icon.h"

#include <QPainter>

namespace vardesca {

namespace {

const QColor kGround(0xC0, 0xC0, 0xC0);  // light grey
const QColor kRuler(0xFF, 0xFF, 0x00);   // yellow
const QColor kInk(0x00, 0x00, 0x00);

// One ruler along the rectangle's long side, with ticks every `step` pixels
// growing from that side, a long one every fifth.
void DrawRuler(QPainter& p, const QRect& body, bool horizontal, int step) {
    p.fillRect(body, kRuler);
    p.setPen(kInk);
    p.drawRect(body.adjusted(0, 0, -1, -1));
    const int thickness = horizontal ? body.height() : body.width();
    const int length = horizontal ? body.width() : body.height();
    for (int i = step, n = 1; i < length - 1; i += step, ++n) {
        const int tick = std::max(1, (n % 5 == 0 ? thickness * 3 / 5 : thickness * 3 / 10));
        if (horizontal) {
            p.drawLine(body.left() + i, body.top(), body.left() + i, body.top() + tick);
        } else {
            p.drawLine(body.left(), body.top() + i, body.left() + tick, body.top() + i);
        }
    }
}

}  // namespace

QImage DrawRulersIcon(int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(kGround);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int thickness = std::max(4, size * 5 / 16);
    const int margin = std::max(1, size / 16);
    const int step = std::max(2, size / 10);
    const int middle = (size - thickness) / 2;
    // The vertical ruler first, so the horizontal one lies across it.
    DrawRuler(p, QRect(middle, margin, thickness, size - 2 * margin), false, step);
    DrawRuler(p, QRect(margin, middle, size - 2 * margin, thickness), true, step);
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 32}) {
        icon.addPixmap(QPixmap::fromImage(DrawRulersIcon(size)));
    }
    return icon;
}

}  // namespace vardesca
