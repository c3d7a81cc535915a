// The desktop's top-level windows over X11 (libxcb). Each call opens its own
// short connection to the display named by $DISPLAY; without one the desktop
// is empty.
#include "platform/desktop_windows.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// How long a window is given to go after it was asked to close.
constexpr std::chrono::milliseconds CloseWait(1000);
// A window manager puts a frame (sometimes two) around each client window.
constexpr int FrameDepth = 2;
// The WM_STATE of a window the window manager no longer shows in any form.
constexpr uint32_t WithdrawnState = 0;

template <class T>
using TReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
TReply<T> Reply(T* reply) {
    return TReply<T>(reply, &std::free);
}

enum TAtomIndex { aiWmState, aiNetWmName, aiUtf8String, aiWmProtocols, aiWmDeleteWindow, aiCount };
constexpr std::array<const char*, aiCount> AtomNames = {"WM_STATE", "_NET_WM_NAME", "UTF8_STRING", "WM_PROTOCOLS",
                                                        "WM_DELETE_WINDOW"};

class TDisplay {
public:
    TDisplay() {
        int screenNumber = 0;
        Connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(Connection)) return;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(Connection));
        for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
        if (!screens.rem) return;
        Root = screens.data->root;
        std::array<xcb_intern_atom_cookie_t, aiCount> cookies;
        for (size_t i = 0; i < aiCount; ++i) cookies[i] = xcb_intern_atom(Connection, 0, std::strlen(AtomNames[i]), AtomNames[i]);
        for (size_t i = 0; i < aiCount; ++i)
            if (auto reply = Reply(xcb_intern_atom_reply(Connection, cookies[i], nullptr))) Atoms[i] = reply->atom;
    }
    ~TDisplay() { xcb_disconnect(Connection); }
    TDisplay(const TDisplay&) = delete;
    TDisplay& operator=(const TDisplay&) = delete;

    bool Usable() const { return Root != XCB_NONE && !xcb_connection_has_error(Connection); }

    // The property's bytes and type; empty when the window lacks it.
    std::string Property(xcb_window_t window, xcb_atom_t name, xcb_atom_t* type = nullptr) const {
        auto reply = Reply(xcb_get_property_reply(
            Connection, xcb_get_property(Connection, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
        if (!reply) return {};
        if (type) *type = reply->type;
        const char* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
        return std::string(value, xcb_get_property_value_length(reply.get()));
    }

    static uint32_t FirstWord(const std::string& bytes) {
        uint32_t word = 0;
        if (bytes.size() >= sizeof word) std::memcpy(&word, bytes.data(), sizeof word);
        return word;
    }

    std::vector<xcb_window_t> Children(xcb_window_t window) const {
        auto reply = Reply(xcb_query_tree_reply(Connection, xcb_query_tree(Connection, window), nullptr));
        if (!reply) return {};
        xcb_window_t* first = xcb_query_tree_children(reply.get());
        return std::vector<xcb_window_t>(first, first + xcb_query_tree_children_length(reply.get()));
    }

    // The client window at or below a child of the root: the one the window
    // manager marked with WM_STATE, else the child itself when none is marked.
    xcb_window_t ClientOf(xcb_window_t window, int depth) const {
        xcb_atom_t type = XCB_NONE;
        Property(window, Atoms[aiWmState], &type);
        if (type != XCB_NONE) return window;
        if (depth == 0) return XCB_NONE;
        for (xcb_window_t child : Children(window))
            if (xcb_window_t client = ClientOf(child, depth - 1)) return client;
        return XCB_NONE;
    }

    // Shown, or minimised by the window manager (a minimised window still
    // counts as open); without a window manager, mapped and viewable.
    bool Visible(xcb_window_t window) const {
        xcb_atom_t type = XCB_NONE;
        std::string state = Property(window, Atoms[aiWmState], &type);
        if (type != XCB_NONE) return FirstWord(state) != WithdrawnState;
        auto reply = Reply(
            xcb_get_window_attributes_reply(Connection, xcb_get_window_attributes(Connection, window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    std::string Title(xcb_window_t window) const {
        xcb_atom_t type = XCB_NONE;
        std::string title = Property(window, Atoms[aiNetWmName], &type);
        if (type == Atoms[aiUtf8String] && !title.empty()) return title;
        title = Property(window, XCB_ATOM_WM_NAME, &type);
        if (type != XCB_ATOM_STRING) return title;
        std::string utf8;  // STRING is Latin-1
        for (unsigned char c : title) {
            if (c < 0x80) {
                utf8 += char(c);
            } else {
                utf8 += char(0xC0 | (c >> 6));
                utf8 += char(0x80 | (c & 0x3F));
            }
        }
        return utf8;
    }

    xcb_connection_t* Connection = nullptr;
    xcb_window_t Root = XCB_NONE;
    std::array<xcb_atom_t, aiCount> Atoms{};
};

} // namespace

std::vector<TDesktopWindow> ListX11Windows() {
    TDisplay display;
    if (!display.Usable()) return {};
    std::vector<TDesktopWindow> windows;
    for (xcb_window_t top : display.Children(display.Root)) {
        xcb_window_t client = display.ClientOf(top, FrameDepth);
        if (client == XCB_NONE) client = top;
        TDesktopWindow window;
        window.Handle = client;
        window.Owner = TDisplay::FirstWord(display.Property(client, XCB_ATOM_WM_TRANSIENT_FOR));
        window.Visible = display.Visible(client);
        window.Title = display.Title(client);
        windows.push_back(std::move(window));
    }
    return windows;
}

bool CloseX11Window(uint32_t handle) {
    TDisplay display;
    if (!display.Usable()) return false;
    xcb_connection_t* c = display.Connection;
    // Listen for the window's going before asking, so that it cannot be missed.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (auto error = Reply(xcb_request_check(c, xcb_change_window_attributes_checked(c, handle, XCB_CW_EVENT_MASK, &mask))))
        return false;  // no such window

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = handle;
    message.type = display.Atoms[aiWmProtocols];
    message.data.data32[0] = display.Atoms[aiWmDeleteWindow];
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, handle, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(c);

    const auto deadline = std::chrono::steady_clock::now() + CloseWait;
    while (true) {
        while (auto event = Reply(xcb_poll_for_event(c))) {
            uint8_t kind = event->response_type & 0x7F;
            if (kind == 0) return true;  // the window vanished under the request
            if (kind == XCB_DESTROY_NOTIFY && reinterpret_cast<xcb_destroy_notify_event_t*>(event.get())->window == handle)
                return true;
            if (kind == XCB_UNMAP_NOTIFY && reinterpret_cast<xcb_unmap_notify_event_t*>(event.get())->window == handle)
                return true;
        }
        if (xcb_connection_has_error(c)) return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd descriptor{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&descriptor, 1, int(left.count()));
    }
}

TSeam<std::vector<TDesktopWindow>()> DesktopWindowsSeam(ListX11Windows);
TSeam<bool(uint32_t)> CloseDesktopWindowSeam(CloseX11Window);

void EnumWindows(const TEnumWindowsProc& proc) {
    for (const TDesktopWindow& window : DesktopWindowsSeam())
        if (!proc(window)) return;
}

bool CloseDesktopWindow(uint32_t handle) { return CloseDesktopWindowSeam(handle); }
