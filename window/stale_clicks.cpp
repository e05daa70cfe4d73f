// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/stale_clicks.h"

#include <QInputEvent>
#include <cstdlib>
#include <ctime>

namespace vardesca {

namespace {

// Further than this from now, an event time is not the window system's clock.
constexpr qint64 kNearNowMs = 10 * 60 * 1000;

// `a` − `b` on a clock that wraps at 32 bits (every 49.7 days).
qint32 Difference(quint32 a, quint32 b) {
    return static_cast<qint32>(a - b);
}

}  // namespace

quint32 EventClockNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<quint32>(static_cast<quint64>(now.tv_sec) * 1000u +
                                static_cast<quint64>(now.tv_nsec) / 1000000u);
}

StaleClicks::StaleClicks(QWidget& target) : QObject(&target) {
    target.installEventFilter(this);
}

void StaleClicks::BusyUntilNow() {
    busyEnd_ = EventClockNow();
}

bool StaleClicks::Stale(quint32 eventTime) const {
    if (!busyEnd_ || std::abs(Difference(eventTime, EventClockNow())) > kNearNowMs) {
        return false;
    }
    return Difference(eventTime, *busyEnd_) < 0;
}

bool StaleClicks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        if (Stale(static_cast<quint32>(static_cast<QInputEvent*>(event)->timestamp()))) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vardesca
