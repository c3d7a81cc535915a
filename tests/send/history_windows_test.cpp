// The sweep of history windows over a real X server: a private Xvfb started
// for these tests and stopped by its PID, with windows made by the test.
#include "automation/office/child_process.h"
#include "send/history_windows.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <poll.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Top-level windows of a client of their own. Unless stubborn, a thread
// answers each close request by destroying the window.
class TTestWindows {
public:
    explicit TTestWindows(bool stubborn = false) : Connection(xcb_connect(nullptr, nullptr)) {
        Root = xcb_setup_roots_iterator(xcb_get_setup(Connection)).data->root;
        if (!stubborn) Handler = std::thread([this] { AnswerCloseRequests(); });
    }
    ~TTestWindows() {
        Stop = true;
        if (Handler.joinable()) Handler.join();
        xcb_disconnect(Connection);
    }

    xcb_window_t Create(const std::string& title, xcb_window_t owner = 0, bool mapped = true) {
        xcb_window_t window = xcb_generate_id(Connection);
        xcb_create_window(Connection, XCB_COPY_FROM_PARENT, window, Root, 0, 0, 40, 30, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(Connection, XCB_PROP_MODE_REPLACE, window, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), 8,
                            title.size(), title.data());
        if (owner)
            xcb_change_property(Connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW,
                                32, 1, &owner);
        if (mapped) xcb_map_window(Connection, window);
        std::free(xcb_get_input_focus_reply(Connection, xcb_get_input_focus(Connection), nullptr));  // all done
        return window;
    }

    bool Exists(xcb_window_t window) {
        auto* reply = xcb_get_window_attributes_reply(Connection, xcb_get_window_attributes(Connection, window), nullptr);
        std::free(reply);
        return reply != nullptr;
    }

private:
    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(Connection, xcb_intern_atom(Connection, 0, std::strlen(name), name), nullptr);
        xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    void AnswerCloseRequests() {
        while (!Stop) {
            pollfd descriptor{xcb_get_file_descriptor(Connection), POLLIN, 0};
            poll(&descriptor, 1, 20);
            while (xcb_generic_event_t* event = xcb_poll_for_event(Connection)) {
                if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
                    xcb_destroy_window(Connection, reinterpret_cast<xcb_client_message_event_t*>(event)->window);
                    xcb_flush(Connection);
                }
                std::free(event);
            }
        }
    }

    xcb_connection_t* Connection;
    xcb_window_t Root = XCB_NONE;
    std::atomic<bool> Stop{false};
    std::thread Handler;
};

class DesktopWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string number;
        if (Server.Start({"/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0", "320x240x24"},
                         true) &&
            Server.ReadLine(number, std::chrono::steady_clock::now() + 30s) == TChildProcess::rrLine)
            setenv("DISPLAY", (":" + number).c_str(), 1);  // this test's own display from here on
    }
    static void TearDownTestSuite() { Server.Finish(); }
    void SetUp() override { ASSERT_TRUE(Server.Running()) << "the private Xvfb did not start"; }

    static TChildProcess Server;
};

TChildProcess DesktopWindows::Server;

} // namespace

TEST_F(DesktopWindows, TheSweepClosesVisibleUnownedFaxtoWindowsOnly) {
    TTestWindows windows;
    xcb_window_t history = windows.Create("faxto名無し0312345678");
    xcb_window_t capital = windows.Create("Faxto名無し0312345678");
    xcb_window_t owned = windows.Create("faxto名無し0312345678", capital);
    xcb_window_t hidden = windows.Create("faxto名無し0312345678", 0, false);

    EnumWindows(CloseHistoryWindows);
    EXPECT_FALSE(windows.Exists(history));  // gone by the time the sweep returns
    EXPECT_TRUE(windows.Exists(capital));
    EXPECT_TRUE(windows.Exists(owned));
    EXPECT_TRUE(windows.Exists(hidden));
}

TEST_F(DesktopWindows, AWindowThatIgnoresTheRequestIsWaitedForOnlyABoundedTime) {
    TTestWindows windows(true);
    xcb_window_t stubborn = windows.Create("faxto名無し0312345678");
    EXPECT_FALSE(CloseX11Window(stubborn));
    EXPECT_TRUE(windows.Exists(stubborn));
}

TEST_F(DesktopWindows, WithoutADisplayThereAreNone) {
    std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_TRUE(ListX11Windows().empty());
    EXPECT_FALSE(CloseX11Window(1));
    setenv("DISPLAY", display.c_str(), 1);
}
