// SPDX-License-Identifier: GPL-3.0-or-later
// Presses made while the window was busy, as Qt's X platform hands them to the
// native filter: made-up XInput 2 and core events, and a marker that stands in
// for the X server's.
#include "window/stale_clicks.h"

#include <gtest/gtest.h>
#include <QTest>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace vardesca {
namespace {

constexpr std::uint8_t kXInput = 131;
constexpr std::uint32_t kMarkAtom = 777;

class StaleClicksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        top.resize(400, 300);
        surface->setGeometry(0, 0, 200, 300);
        other->setGeometry(200, 0, 200, 300);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
        window = static_cast<std::uint32_t>(top.effectiveWinId());
        ASSERT_NE(window, 0u);
        stale.UseMarkSender(
            [this](std::uint32_t to, std::uint32_t serial) {
                marks.push_back({to, serial});
                return answers;
            },
            kXInput, kMarkAtom);
    }

    // An XInput 2 button event at window pixel (x, y), as xcb lays it out.
    bool Button(double x, double y, bool release = false, int button = 1) {
        xcb_input_button_press_event_t event{};
        event.response_type = XCB_GE_GENERIC;
        event.extension = kXInput;
        event.event_type = release ? XCB_INPUT_BUTTON_RELEASE : XCB_INPUT_BUTTON_PRESS;
        event.event = window;
        event.detail = static_cast<std::uint32_t>(button);
        event.event_x = static_cast<xcb_input_fp1616_t>(x * 65536);
        event.event_y = static_cast<xcb_input_fp1616_t>(y * 65536);
        return stale.nativeEventFilter("xcb_generic_event_t", &event, nullptr);
    }
    bool Click(double x, double y) {
        const bool press = Button(x, y);
        const bool release = Button(x, y, true);
        EXPECT_EQ(press, release) << "a release goes where its press went";
        return press;
    }
    bool CoreButton(int x, int y, bool release) {
        xcb_button_press_event_t event{};
        event.response_type = release ? XCB_BUTTON_RELEASE : XCB_BUTTON_PRESS;
        event.detail = 1;
        event.event = window;
        event.event_x = static_cast<std::int16_t>(x);
        event.event_y = static_cast<std::int16_t>(y);
        return stale.nativeEventFilter("xcb_generic_event_t", &event, nullptr);
    }
    bool Mark(std::uint32_t serial) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE | 0x80;  // as SendEvent delivers it
        event.format = 32;
        event.window = window;
        event.type = kMarkAtom;
        event.data.data32[0] = serial;
        return stale.nativeEventFilter("xcb_generic_event_t", &event, nullptr);
    }

    QWidget top;
    QWidget* surface = new QWidget(&top);
    QWidget* other = new QWidget(&top);
    StaleClicks stale{*surface};
    std::uint32_t window = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> marks;
    bool answers = true;
};

TEST_F(StaleClicksTest, OnlyPressesOnThePhotoThatComeBeforeTheMarkerAreDropped) {
    EXPECT_FALSE(Click(50, 50)) << "nothing has held the window yet";
    stale.BusyUntilNow();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].first, window);
    EXPECT_TRUE(stale.Draining());

    EXPECT_TRUE(Click(50, 50));
    EXPECT_TRUE(Click(199.4, 299.4));  // Qt rounds a position to its pixel
    EXPECT_TRUE(CoreButton(10, 10, false));
    EXPECT_TRUE(CoreButton(10, 10, true));
    // Beside the photo, the wheel, and another window: not clicks on the photo.
    EXPECT_FALSE(Click(250, 50));
    EXPECT_FALSE(Button(50, 50, false, 4));
    window += 1;
    EXPECT_FALSE(Click(50, 50));
    window -= 1;

    EXPECT_TRUE(Mark(marks[0].second)) << "the marker is ours, not Qt's";
    EXPECT_FALSE(stale.Draining());
    EXPECT_FALSE(Click(50, 50)) << "made after the work: a click as any";
}

TEST_F(StaleClicksTest, AnOlderMarkerLeavesTheLaterWorksPressesDropped) {
    stale.BusyUntilNow();
    stale.BusyUntilNow();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_TRUE(Mark(marks[0].second));
    EXPECT_TRUE(stale.Draining());
    EXPECT_TRUE(Click(50, 50));
    EXPECT_TRUE(Mark(marks[1].second));
    EXPECT_FALSE(Click(50, 50));
}

TEST_F(StaleClicksTest, AReleaseIsDroppedOnlyWithItsPress) {
    // Pressed before the work, released after it: Qt saw the button go down
    // and must see it come up.
    EXPECT_FALSE(Button(50, 50));
    stale.BusyUntilNow();
    EXPECT_FALSE(Button(50, 50, true));
    // Pressed on the photo during the work, released beside it: both go.
    EXPECT_TRUE(Button(50, 50));
    EXPECT_TRUE(Button(250, 50, true));
    Mark(marks.back().second);
    EXPECT_FALSE(Button(250, 50, true));
}

TEST_F(StaleClicksTest, WithoutAMarkerNothingIsDropped) {
    answers = false;  // the window system could not be asked
    stale.BusyUntilNow();
    EXPECT_FALSE(stale.Draining());
    EXPECT_FALSE(Click(50, 50));
}

TEST(ReadButtonTest, ReadsCoreAndXInputButtonsAndNothingElse) {
    xcb_input_button_press_event_t press{};
    press.response_type = XCB_GE_GENERIC;
    press.extension = kXInput;
    press.event_type = XCB_INPUT_BUTTON_PRESS;
    press.event = 42;
    press.detail = 3;
    press.event_x = 10 * 65536 + 32768;  // 10.5
    press.event_y = 7 * 65536;
    const std::optional<NativeButton> read = ReadButton(&press, kXInput);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->window, 42u);
    EXPECT_EQ(read->at, QPointF(10.5, 7));
    EXPECT_EQ(read->button, 3);
    EXPECT_FALSE(read->release);
    // Another extension's generic event, or XInput unknown: not a button.
    EXPECT_FALSE(ReadButton(&press, kXInput + 1));
    EXPECT_FALSE(ReadButton(&press, 0));
    press.event_type = XCB_INPUT_MOTION;
    EXPECT_FALSE(ReadButton(&press, kXInput));

    xcb_button_press_event_t core{};
    core.response_type = XCB_BUTTON_RELEASE | 0x80;
    core.event = 42;
    core.detail = 1;
    core.event_x = -3;
    core.event_y = 4;
    const std::optional<NativeButton> coreRead = ReadButton(&core, kXInput);
    ASSERT_TRUE(coreRead);
    EXPECT_TRUE(coreRead->release);
    EXPECT_EQ(coreRead->at, QPointF(-3, 4));
    core.response_type = XCB_MOTION_NOTIFY;
    EXPECT_FALSE(ReadButton(&core, kXInput));
}

}  // namespace
}  // namespace vardesca
