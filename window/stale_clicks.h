// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QWidget>
#include <optional>

namespace vardesca {

// The window system's clock as its input events carry it: the system's
// monotonic clock in milliseconds, cut to 32 bits (X11, and the usual Wayland
// compositors).
[[nodiscard]] quint32 EventClockNow();

// Drops a press on the photo that the user made while the window was busy
// saving or loading. The window answers nothing meanwhile, and Qt delivers the
// queued presses once the work is done: each would count as a click made
// afterwards, on whatever the photo shows then. A press is dropped when its
// event time falls before the end of the last such work. Events whose times are
// not near the clock at all (synthetic ones) are always let through.
class StaleClicks : public QObject {
  public:
    explicit StaleClicks(QWidget& target);

    // A save or a load has just ended.
    void BusyUntilNow();
    [[nodiscard]] bool Stale(quint32 eventTime) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::optional<quint32> busyEnd_;
};

}  // namespace vardesca
