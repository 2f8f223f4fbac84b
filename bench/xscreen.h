#pragma once

#include <QRect>

#include <cstdint>
#include <optional>
#include <vector>

struct xcb_connection_t;

// What a person would see on the X screen the benchmarks run on, read fast enough to be polled
// every millisecond: a program's main window, and the colours of its pixels.
class XScreen {
public:
    XScreen();
    ~XScreen();
    XScreen(const XScreen&) = delete;
    XScreen& operator=(const XScreen&) = delete;

    bool ok() const;

    // The mapped, normal top-level window of process `pid`, if it has one yet.
    std::optional<uint32_t> mainWindowOf(qint64 pid) const;

    // Where a window is on the screen, while it exists.
    std::optional<QRect> geometry(uint32_t window) const;

    // The pixels of a rectangle of the screen as 0xRRGGBB, row by row; empty when unreadable.
    std::vector<uint32_t> pixels(const QRect& area) const;

    // Pelorin's lamp in its main window: a square of pure green, white or red left of the
    // option buttons. Its colour, if one is there.
    std::optional<uint32_t> lampColour(const QRect& window) const;

private:
    uint32_t atom(const char* name) const;

    xcb_connection_t* m_connection;
    uint32_t m_root = 0;
    uint32_t m_pidAtom = 0;
    uint32_t m_typeAtom = 0;
    uint32_t m_normalAtom = 0;
};
