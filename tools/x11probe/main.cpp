// x11probe: what is on a virtual X screen, seen without a window manager (the end-to-end test
// and the demo use it).
//   x11probe list       one line per mapped top-level window, bottom to top:
//                       ID PID TYPE X Y WIDTH HEIGHT NAME  (TYPE: normal, dialog, ..., popup)
//   x11probe lamp ID    green, white or red and where in the window, or none
//   x11probe tray PID   the process's icon docked in the system tray: ID X Y WIDTH HEIGHT on
//                       the screen and its lamp colour (green, white, red or none); nothing
//                       when it has none
//   x11probe close ID   asks the window to close (WM_DELETE_WINDOW)
//   x11probe shot FILE WIDTHxHEIGHT   saves the screen's top-left corner as a PNG picture

#include <QImage>
#include <QString>

#include <xcb/xcb.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t* c = nullptr;
xcb_window_t root = 0;

xcb_atom_t atom(const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The property's value as bytes; empty when it is not set.
std::string property(xcb_window_t window, const char* name, xcb_atom_t type) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom(name), type, 0, 1024), nullptr));
    if (!reply)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<size_t>(xcb_get_property_value_length(reply.get())));
}

// The first type the window declares, of those the test tells apart.
std::string windowType(xcb_window_t id) {
    const std::string types = property(id, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM);
    xcb_atom_t first = XCB_ATOM_NONE;
    if (types.size() >= 4)
        std::memcpy(&first, types.data(), 4);
    for (const char* type : {"NORMAL", "DIALOG", "UTILITY"}) {
        if (first == atom(("_NET_WM_WINDOW_TYPE_" + std::string(type)).c_str())) {
            std::string name = type;
            for (char& ch : name)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            return name;
        }
    }
    return "other";
}

Reply<xcb_get_geometry_reply_t> geometry(xcb_window_t id) {
    return Reply<xcb_get_geometry_reply_t>(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr));
}

int list() {
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree)
        return 1;
    const xcb_window_t* const children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t id = children[i];
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
        const auto box = geometry(id);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE || !box)
            continue;
        std::string name = property(id, "_NET_WM_NAME", atom("UTF8_STRING"));
        if (name.empty())
            name = property(id, "WM_NAME", XCB_ATOM_STRING);
        const std::string pid = property(id, "_NET_WM_PID", XCB_ATOM_CARDINAL);
        uint32_t pidValue = 0;
        if (pid.size() >= 4)
            std::memcpy(&pidValue, pid.data(), 4);
        // Menus and tooltips bypass the window manager whatever type they declare.
        const std::string type = attributes->override_redirect ? "popup" : windowType(id);
        std::printf("%u %u %s %d %d %d %d %s\n", id, pidValue, type.c_str(), box->x, box->y,
                    box->width, box->height, name.c_str());
    }
    return 0;
}

// A part of the screen as 32-bit pixels (blue, green, red, unused); nullptr when it cannot be read.
Reply<xcb_get_image_reply_t> screenArea(int x, int y, int width, int height) {
    Reply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(x),
                                          int16_t(y), uint16_t(width), uint16_t(height), ~0U),
                            nullptr));
    if (!image || image->depth != 24 ||
        xcb_get_image_data_length(image.get()) != width * height * 4)
        return nullptr;
    return image;
}

struct Found {
    const char* name = nullptr; // green, white or red; nullptr: none
    int x = 0, y = 0;           // the square's centre in the area
};

// A 7-pixel square of pure green, white or red in an area of the screen: the lamp.
std::optional<Found> lampIn(int areaLeft, int areaTop, int width, int height) {
    constexpr int Side = 7;
    const auto image = screenArea(areaLeft, areaTop, width, height);
    if (!image)
        return std::nullopt;
    const uint8_t* const data = xcb_get_image_data(image.get());
    const auto at = [&](int x, int y) {
        const uint8_t* const p = data + 4 * (y * width + x);
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | uint32_t(p[0]);
    };
    for (int top = 0; top + Side <= height; ++top) {
        for (int left = 0; left + Side <= width; ++left) {
            const uint32_t colour = at(left, top);
            const char* const name = colour == 0x00ff00u   ? "green"
                                     : colour == 0xffffffu ? "white"
                                     : colour == 0xff0000u ? "red"
                                                           : nullptr;
            bool square = name != nullptr;
            for (int dy = 0; dy < Side && square; ++dy)
                for (int dx = 0; dx < Side && square; ++dx)
                    square = at(left + dx, top + dy) == colour;
            if (square)
                return Found{name, left + Side / 2, top + Side / 2};
        }
    }
    return Found{};
}

// The lamp is a 9-pixel square of pure green, white or red in the leftmost 30 pixels of the
// main window: the only place there where a 7-pixel square of one of those colours can be.
int lamp(xcb_window_t id) {
    const auto box = geometry(id);
    if (!box)
        return 1;
    const auto found = lampIn(box->x, box->y, std::min(30, int(box->width)), box->height);
    if (!found)
        return 1;
    if (found->name)
        std::printf("%s %d %d\n", found->name, found->x, found->y);
    else
        std::puts("none");
    return 0;
}

// The mapped window of process `pid` below `parent`, at any depth, that is not a top-level
// window: where a tray host has docked the process's icon.
std::optional<xcb_window_t> dockedWindowOf(xcb_window_t parent, uint32_t pid) {
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
    if (!tree)
        return std::nullopt;
    const xcb_window_t* const children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t id = children[i];
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const std::string owner = property(id, "_NET_WM_PID", XCB_ATOM_CARDINAL);
        uint32_t ownerPid = 0;
        if (owner.size() >= 4)
            std::memcpy(&ownerPid, owner.data(), 4);
        if (parent != root && ownerPid == pid)
            return id;
        if (const auto inside = dockedWindowOf(id, pid))
            return inside;
    }
    return std::nullopt;
}

int tray(uint32_t pid) {
    const auto id = dockedWindowOf(root, pid);
    if (!id)
        return 0;
    const auto box = geometry(*id);
    const Reply<xcb_translate_coordinates_reply_t> onScreen(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, *id, root, 0, 0), nullptr));
    if (!box || !onScreen)
        return 1;
    const auto found = lampIn(onScreen->dst_x, onScreen->dst_y, box->width, box->height);
    if (!found)
        return 1;
    std::printf("%u %d %d %d %d %s\n", *id, onScreen->dst_x, onScreen->dst_y, box->width,
                box->height, found->name ? found->name : "none");
    return 0;
}

int shot(const char* file, const char* size) {
    int width = 0, height = 0;
    if (std::sscanf(size, "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)
        return 2;
    const auto image = screenArea(0, 0, width, height);
    if (!image)
        return 1;
    const QImage picture(xcb_get_image_data(image.get()), width, height, width * 4,
                         QImage::Format_RGB32);
    return picture.save(QString::fromLocal8Bit(file), "PNG") ? 0 : 1;
}

int close(xcb_window_t id) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // Checked: the server has handled the request before this client goes away.
    const Reply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_send_event_checked(c, 0, id, XCB_EVENT_MASK_NO_EVENT,
                                                    reinterpret_cast<const char*>(&event))));
    return error ? 1 : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string command = argc > 1 ? argv[1] : "";
    const int expected = command == "list" ? 2 : command == "shot" ? 4 : 3;
    if (argc != expected || (command != "list" && command != "lamp" && command != "close" &&
                             command != "shot" && command != "tray")) {
        std::fputs(
            "usage: x11probe list | lamp ID | close ID | tray PID | shot FILE WIDTHxHEIGHT\n",
            stderr);
        return 2;
    }
    int screen = 0;
    c = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(c) != 0) {
        std::fputs("x11probe: cannot open the display\n", stderr);
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen; ++i)
        xcb_screen_next(&it);
    root = it.data->root;
    const auto id = argc == 3 ? xcb_window_t(std::strtoul(argv[2], nullptr, 0)) : 0;
    const int result = command == "list"   ? list()
                       : command == "lamp" ? lamp(id)
                       : command == "tray" ? tray(id)
                       : command == "shot" ? shot(argv[2], argv[3])
                                           : close(id);
    xcb_disconnect(c);
    return result;
}
