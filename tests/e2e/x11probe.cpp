// x11probe: what the end-to-end tests see on the virtual screen, without a window manager or an
// accessibility bus: the mapped top-level windows, the colour of Pelorin's lamp, a screenshot,
// and the close request a window manager's close box would send.
//
//   x11probe list           one line per mapped top-level window, bottom to top:
//                           ID PID TYPE X Y WIDTH HEIGHT NAME
//                           (TYPE: normal, dialog, utility, ... or popup for menus)
//   x11probe lamp ID        green, white or red and where in the window, or none
//   x11probe close ID       asks the window to close (WM_DELETE_WINDOW)
//   x11probe shot FILE      saves the whole screen as a PNG

#include <QImage>
#include <QString>

#include <xcb/xcb.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

template <typename T> struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter<T>>;

class Display {
public:
    Display() : m_connection(xcb_connect(nullptr, &m_screenNumber)) {}
    ~Display() { xcb_disconnect(m_connection); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool ok() const { return xcb_connection_has_error(m_connection) == 0; }
    xcb_connection_t* connection() const { return m_connection; }

    xcb_screen_t* screen() const {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < m_screenNumber; ++i)
            xcb_screen_next(&it);
        return it.data;
    }

    xcb_atom_t atom(const char* name) const {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    std::string atomName(xcb_atom_t atom) const {
        const Reply<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
        if (!reply)
            return {};
        return std::string(xcb_get_atom_name_name(reply.get()),
                           static_cast<size_t>(xcb_get_atom_name_name_length(reply.get())));
    }

    Reply<xcb_get_property_reply_t> property(xcb_window_t window, xcb_atom_t name,
                                             xcb_atom_t type) const {
        return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 1024), nullptr));
    }

private:
    int m_screenNumber = 0;
    xcb_connection_t* m_connection;
};

struct Window {
    xcb_window_t id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

std::optional<Window> geometry(const Display& display, xcb_window_t id) {
    const Reply<xcb_get_geometry_reply_t> reply(xcb_get_geometry_reply(
        display.connection(), xcb_get_geometry(display.connection(), id), nullptr));
    if (!reply)
        return std::nullopt;
    return Window{id, reply->x, reply->y, reply->width, reply->height};
}

std::string windowName(const Display& display, xcb_window_t id) {
    for (const auto& [name, type] :
         {std::pair{"_NET_WM_NAME", "UTF8_STRING"}, std::pair{"WM_NAME", "STRING"}}) {
        const auto reply = display.property(id, display.atom(name), display.atom(type));
        if (reply && xcb_get_property_value_length(reply.get()) > 0)
            return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                               static_cast<size_t>(xcb_get_property_value_length(reply.get())));
    }
    return {};
}

// "normal", "dialog", "utility", "popup_menu", ...: the first type the window declares.
std::string windowType(const Display& display, xcb_window_t id) {
    const auto reply = display.property(id, display.atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
    if (!reply || xcb_get_property_value_length(reply.get()) < 4)
        return "none";
    const auto* const atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    std::string name = display.atomName(atoms[0]);
    const std::string prefix = "_NET_WM_WINDOW_TYPE_";
    if (name.rfind(prefix, 0) == 0)
        name.erase(0, prefix.size());
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

long windowPid(const Display& display, xcb_window_t id) {
    const auto reply = display.property(id, display.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    if (!reply || xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

int list(const Display& display) {
    xcb_connection_t* const c = display.connection();
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, display.screen()->root), nullptr));
    if (!tree)
        return 1;
    const xcb_window_t* const children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = 0; i < count; ++i) {
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const auto window = geometry(display, children[i]);
        if (!window)
            continue;
        // Menus and tooltips bypass the window manager whatever type they declare.
        const std::string type =
            attributes->override_redirect ? "popup" : windowType(display, window->id);
        std::printf("%u %ld %s %d %d %d %d %s\n", window->id, windowPid(display, window->id),
                    type.c_str(), window->x, window->y, window->width, window->height,
                    windowName(display, window->id).c_str());
    }
    return 0;
}

// The screen's pixels in a rectangle, as 0xRRGGBB; empty when they cannot be read.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y * width + x)]; }
};

Pixels grab(const Display& display, int x, int y, int width, int height) {
    xcb_connection_t* const c = display.connection();
    const Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, display.screen()->root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), static_cast<uint16_t>(width),
                      static_cast<uint16_t>(height), ~0U),
        nullptr));
    Pixels pixels;
    if (!image || image->depth != 24 ||
        xcb_get_image_data_length(image.get()) != width * height * 4)
        return pixels;
    const uint8_t* const data = xcb_get_image_data(image.get());
    pixels.width = width;
    pixels.height = height;
    pixels.rgb.resize(static_cast<size_t>(width * height));
    for (size_t i = 0; i < pixels.rgb.size(); ++i)
        pixels.rgb[i] = uint32_t(data[4 * i + 2]) << 16 | uint32_t(data[4 * i + 1]) << 8 |
                        uint32_t(data[4 * i]);
    return pixels;
}

// The lamp is a 9-pixel square of pure green, white or red at the left of the main window, left
// of the option buttons: the only place there where a 7-pixel square of one of those colours
// can be.
int lamp(const Display& display, xcb_window_t id) {
    constexpr int Side = 7;
    constexpr int StripWidth = 30;
    constexpr std::array<std::pair<uint32_t, const char*>, 3> Colours = {
        std::pair{0x00ff00u, "green"}, std::pair{0xffffffu, "white"}, std::pair{0xff0000u, "red"}};
    const auto window = geometry(display, id);
    if (!window)
        return 1;
    const Pixels pixels =
        grab(display, window->x, window->y, std::min(StripWidth, window->width), window->height);
    for (int top = 0; top + Side <= pixels.height; ++top) {
        for (int left = 0; left + Side <= pixels.width; ++left) {
            const uint32_t colour = pixels.at(left, top);
            bool square = true;
            for (int dy = 0; dy < Side && square; ++dy)
                for (int dx = 0; dx < Side && square; ++dx)
                    square = pixels.at(left + dx, top + dy) == colour;
            if (!square)
                continue;
            for (const auto& [value, name] : Colours) {
                if (colour == value) {
                    std::printf("%s %d %d\n", name, left + Side / 2, top + Side / 2);
                    return 0;
                }
            }
        }
    }
    std::puts("none");
    return 0;
}

int close(const Display& display, xcb_window_t id) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = display.atom("WM_PROTOCOLS");
    event.data.data32[0] = display.atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // Checked: the server has handled the request before this client goes away.
    const Reply<xcb_generic_error_t> error(xcb_request_check(
        display.connection(),
        xcb_send_event_checked(display.connection(), 0, id, XCB_EVENT_MASK_NO_EVENT,
                               reinterpret_cast<const char*>(&event))));
    return error ? 1 : 0;
}

int shot(const Display& display, const char* file) {
    const xcb_screen_t* const screen = display.screen();
    const Pixels pixels = grab(display, 0, 0, screen->width_in_pixels, screen->height_in_pixels);
    if (pixels.rgb.empty())
        return 1;
    QImage image(pixels.width, pixels.height, QImage::Format_RGB32);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            image.setPixel(x, y, pixels.at(x, y));
    return image.save(QString::fromLocal8Bit(file), "PNG") ? 0 : 1;
}

int usage() {
    std::fputs("usage: x11probe list | lamp ID | close ID | shot FILE\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2)
        return usage();
    const Display display;
    if (!display.ok()) {
        std::fputs("x11probe: cannot open the display\n", stderr);
        return 1;
    }
    const std::string command = argv[1];
    if (command == "list" && argc == 2)
        return list(display);
    if (argc != 3)
        return usage();
    if (command == "shot")
        return shot(display, argv[2]);
    const auto id = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
    if (command == "lamp")
        return lamp(display, id);
    if (command == "close")
        return close(display, id);
    return usage();
}
