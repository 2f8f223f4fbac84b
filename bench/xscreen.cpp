#include "xscreen.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename T> struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter<T>>;

std::optional<uint32_t> propertyValue(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name,
                                      xcb_atom_t type) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

} // namespace

XScreen::XScreen() : m_connection(xcb_connect(nullptr, nullptr)) {
    if (!ok())
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    m_pidAtom = atom("_NET_WM_PID");
    m_typeAtom = atom("_NET_WM_WINDOW_TYPE");
    m_normalAtom = atom("_NET_WM_WINDOW_TYPE_NORMAL");
}

XScreen::~XScreen() {
    xcb_disconnect(m_connection);
}

bool XScreen::ok() const {
    return xcb_connection_has_error(m_connection) == 0;
}

uint32_t XScreen::atom(const char* name) const {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection,
        xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : 0;
}

std::optional<uint32_t> XScreen::mainWindowOf(qint64 pid) const {
    xcb_connection_t* const c = m_connection;
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, m_root), nullptr));
    if (!tree)
        return std::nullopt;
    const xcb_window_t* const children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t window = children[i];
        if (propertyValue(c, window, m_pidAtom, XCB_ATOM_CARDINAL) != uint32_t(pid) ||
            propertyValue(c, window, m_typeAtom, XCB_ATOM_ATOM) != m_normalAtom)
            continue;
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            return window;
    }
    return std::nullopt;
}

std::optional<QRect> XScreen::geometry(uint32_t window) const {
    const Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    if (!reply)
        return std::nullopt;
    return QRect(reply->x, reply->y, reply->width, reply->height);
}

std::vector<uint32_t> XScreen::pixels(const QRect& area) const {
    xcb_connection_t* const c = m_connection;
    const Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, static_cast<int16_t>(area.x()),
                      static_cast<int16_t>(area.y()), static_cast<uint16_t>(area.width()),
                      static_cast<uint16_t>(area.height()), ~0U),
        nullptr));
    const auto count = static_cast<size_t>(area.width()) * static_cast<size_t>(area.height());
    if (!image || image->depth != 24 ||
        static_cast<size_t>(xcb_get_image_data_length(image.get())) != count * 4)
        return {};
    const uint8_t* const data = xcb_get_image_data(image.get());
    std::vector<uint32_t> rgb(count);
    for (size_t i = 0; i < count; ++i)
        rgb[i] = uint32_t(data[4 * i + 2]) << 16 | uint32_t(data[4 * i + 1]) << 8 |
                 uint32_t(data[4 * i]);
    return rgb;
}

std::optional<uint32_t> XScreen::lampColour(const QRect& window) const {
    constexpr int Side = 7;
    constexpr int StripWidth = 30;
    constexpr std::array<uint32_t, 3> Colours = {0x00ff00, 0xffffff, 0xff0000};
    const QRect strip(window.x(), window.y(), std::min(StripWidth, window.width()),
                      window.height());
    const std::vector<uint32_t> rgb = pixels(strip);
    if (rgb.empty())
        return std::nullopt;
    const auto at = [&](int x, int y) { return rgb[static_cast<size_t>(y * strip.width() + x)]; };
    for (int top = 0; top + Side <= strip.height(); ++top) {
        for (int left = 0; left + Side <= strip.width(); ++left) {
            const uint32_t colour = at(left, top);
            if (std::find(Colours.begin(), Colours.end(), colour) == Colours.end())
                continue;
            bool square = true;
            for (int dy = 0; dy < Side && square; ++dy)
                for (int dx = 0; dx < Side && square; ++dx)
                    square = at(left + dx, top + dy) == colour;
            if (square)
                return colour;
        }
    }
    return std::nullopt;
}
