// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointF>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

namespace vardesca {

// A mouse button pressed or released on one of the program's X windows, read
// from the event as the X server sent it.
struct NativeButton {
    std::uint32_t window = 0;
    QPointF at;  // in the window's device pixels
    int button = 0;
    bool release = false;
};

// The button event in `xcbEvent` (an xcb_generic_event_t, core protocol or
// XInput 2 when `xinputOpcode` is that extension's major opcode); nothing for
// any other event.
[[nodiscard]] std::optional<NativeButton> ReadButton(const void* xcbEvent,
                                                     std::uint8_t xinputOpcode);

// Drops a press on the photo that the user made while the window was busy
// saving or loading. The window answers nothing meanwhile, and the presses
// wait in the window system's queue until the work is done: each would count
// as a click made afterwards, on whatever the photo shows then.
//
// No clock tells them apart: the window system's clock need not be this
// machine's (a remote X server), nor near it. Instead, when the work ends a
// marker is sent to the window through the X server. The server queues it
// behind every input already made, so the presses on the photo that arrive
// before the marker are the ones made during the work. Where there is no X
// server (Wayland, the offscreen platform) presses are delivered as they come.
class StaleClicks : public QObject, public QAbstractNativeEventFilter {
  public:
    // Asks the window system to send `serial` back to `window` behind every
    // input already queued; false when it cannot.
    using MarkSender = std::function<bool(std::uint32_t window, std::uint32_t serial)>;

    explicit StaleClicks(QWidget& target);
    ~StaleClicks() override;
    StaleClicks(const StaleClicks&) = delete;
    StaleClicks& operator=(const StaleClicks&) = delete;

    // Another window system than Qt's own connection: tests give a sender and
    // the numbers their made-up events carry.
    void UseMarkSender(MarkSender send, std::uint8_t xinputOpcode, std::uint32_t markAtom);

    // A save or a load has just ended: what was pressed on the photo until now
    // is not a click.
    void BusyUntilNow();
    // Presses made before the end of the last work may still be on their way.
    [[nodiscard]] bool Draining() const { return draining_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void ConnectToX();
    [[nodiscard]] bool IsOurMark(const void* xcbEvent) const;
    [[nodiscard]] bool OverTarget(const NativeButton& button) const;

    QWidget& target_;
    MarkSender send_;
    bool askedX_ = false;
    bool filtering_ = false;
    std::uint8_t xinputOpcode_ = 0;
    std::uint32_t markAtom_ = 0;
    std::uint32_t serial_ = 0;
    bool draining_ = false;
    // Buttons whose press was dropped: their release goes with it, and no
    // other release is touched (Qt must see every button it saw go down come up).
    unsigned droppedButtons_ = 0;
};

}  // namespace vardesca
