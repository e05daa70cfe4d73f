// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/stale_clicks.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QRegion>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace vardesca {

namespace {

// The marker's message type, interned once on the program's X connection.
constexpr char kMarkName[] = "_VARDESCA_INPUT_DRAINED";
constexpr char kXInputName[] = "XInputExtension";
// Left, middle and right; 4 to 7 are the wheel's steps, which are harmless late.
constexpr int kLastClickButton = 3;

// XInput's coordinates: 16.16 fixed point.
double FromFixed(xcb_input_fp1616_t value) {
    return static_cast<double>(value) / 65536.0;
}

std::uint8_t EventCode(const void* xcbEvent) {
    // The top bit says the event came through SendEvent.
    return static_cast<const xcb_generic_event_t*>(xcbEvent)->response_type & 0x7f;
}

}  // namespace

std::optional<NativeButton> ReadButton(const void* xcbEvent, std::uint8_t xinputOpcode) {
    const std::uint8_t code = EventCode(xcbEvent);
    if (code == XCB_BUTTON_PRESS || code == XCB_BUTTON_RELEASE) {
        xcb_button_press_event_t event;
        std::memcpy(&event, xcbEvent, sizeof event);
        return NativeButton{event.event, QPointF(event.event_x, event.event_y), event.detail,
                            code == XCB_BUTTON_RELEASE};
    }
    if (code != XCB_GE_GENERIC || xinputOpcode == 0) {
        return std::nullopt;
    }
    xcb_ge_generic_event_t generic;
    std::memcpy(&generic, xcbEvent, sizeof generic);
    if (generic.extension != xinputOpcode || (generic.event_type != XCB_INPUT_BUTTON_PRESS &&
                                              generic.event_type != XCB_INPUT_BUTTON_RELEASE)) {
        return std::nullopt;
    }
    xcb_input_button_press_event_t event;
    std::memcpy(&event, xcbEvent, sizeof event);
    return NativeButton{event.event, QPointF(FromFixed(event.event_x), FromFixed(event.event_y)),
                        static_cast<int>(event.detail),
                        generic.event_type == XCB_INPUT_BUTTON_RELEASE};
}

StaleClicks::StaleClicks(QWidget& target) : QObject(&target), target_(target) {}

StaleClicks::~StaleClicks() {
    if (filtering_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void StaleClicks::UseMarkSender(MarkSender send, std::uint8_t xinputOpcode,
                                std::uint32_t markAtom) {
    send_ = std::move(send);
    xinputOpcode_ = xinputOpcode;
    markAtom_ = markAtom;
    if (!filtering_) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        filtering_ = true;
    }
}

void StaleClicks::ConnectToX() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) {
        return;
    }
    // Both asked before either answer is awaited: one round trip, once.
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection, 0, sizeof kMarkName - 1, kMarkName);
    const xcb_query_extension_cookie_t xinputCookie =
        xcb_query_extension(connection, sizeof kXInputName - 1, kXInputName);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, atomCookie, nullptr), &std::free);
    const std::unique_ptr<xcb_query_extension_reply_t, decltype(&std::free)> xinput(
        xcb_query_extension_reply(connection, xinputCookie, nullptr), &std::free);
    if (!atom) {
        return;
    }
    const xcb_atom_t markAtom = atom->atom;
    UseMarkSender(
        [connection, markAtom](std::uint32_t window, std::uint32_t serial) {
            xcb_client_message_event_t mark{};
            mark.response_type = XCB_CLIENT_MESSAGE;
            mark.format = 32;
            mark.window = window;
            mark.type = markAtom;
            mark.data.data32[0] = serial;
            // With no event mask the server gives the event to the window's
            // creator, this program, after the input it has already sent us.
            xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&mark));
            xcb_flush(connection);
            return xcb_connection_has_error(connection) == 0;
        },
        xinput && xinput->present != 0 ? xinput->major_opcode : 0, markAtom);
}

void StaleClicks::BusyUntilNow() {
    // Asked once: without an X connection (Wayland, offscreen) or its answer,
    // later work asks no more.
    if (!send_ && !askedX_) {
        askedX_ = true;
        ConnectToX();
    }
    const WId window = target_.window()->effectiveWinId();
    if (!send_ || window == 0) {
        return;
    }
    ++serial_;
    draining_ = send_(static_cast<std::uint32_t>(window), serial_);
}

bool StaleClicks::IsOurMark(const void* xcbEvent) const {
    if (EventCode(xcbEvent) != XCB_CLIENT_MESSAGE) {
        return false;
    }
    xcb_client_message_event_t message;
    std::memcpy(&message, xcbEvent, sizeof message);
    return message.type == markAtom_ && message.format == 32;
}

bool StaleClicks::OverTarget(const NativeButton& button) const {
    const QWidget* top = target_.window();
    if (button.window != static_cast<std::uint32_t>(top->effectiveWinId())) {
        return false;
    }
    const QPointF inTop = button.at / top->devicePixelRatioF();
    return target_.visibleRegion().contains(target_.mapFrom(top, inTop).toPoint());
}

bool StaleClicks::nativeEventFilter(const QByteArray& eventType, void* message,
                                    qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) {
        return false;
    }
    if (IsOurMark(message)) {
        xcb_client_message_event_t mark;
        std::memcpy(&mark, message, sizeof mark);
        // An older marker: the presses of the later work may still follow.
        if (mark.data.data32[0] == serial_) {
            draining_ = false;
        }
        return true;
    }
    const std::optional<NativeButton> button = ReadButton(message, xinputOpcode_);
    if (!button || button->button < 1 || button->button > kLastClickButton) {
        return false;
    }
    const unsigned bit = 1u << button->button;
    if (button->release) {
        const bool dropped = (droppedButtons_ & bit) != 0;
        droppedButtons_ &= ~bit;
        return dropped;
    }
    if (draining_ && OverTarget(*button)) {
        droppedButtons_ |= bit;
        return true;
    }
    return false;
}

}  // namespace vardesca
