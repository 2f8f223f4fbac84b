#include "common/ui/windowpos.h"

#include "common/ui/twips.h"
#include "settings/settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <optional>

namespace pelorin::ui {

int windowTopTwips(const QWidget& window) {
    return twips::fromPixels(placedPosition(window).y());
}

int windowLeftTwips(const QWidget& window) {
    return twips::fromPixels(placedPosition(window).x());
}

void moveWindowTwips(QWidget& window, int left, int top) {
    window.move(twips::toPixels(left), twips::toPixels(top));
}

bool parseTwips(const QString& text, double* value) {
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number) || std::abs(number) > 1e7)
        return false;
    *value = number;
    return true;
}

namespace {

std::optional<int> positiveTwips(const QString& text) {
    double value = 0;
    if (!parseTwips(text, &value) || value <= 0)
        return std::nullopt;
    return twips::toPixels(static_cast<int>(std::lround(value)));
}

} // namespace

std::optional<QPoint> reachablePosition(const QRect& window, const QList<QRect>& screens) {
    if (screens.isEmpty() || window.isEmpty())
        return std::nullopt;
    const auto visibleArea = [&window](const QRect& screen) {
        const QRect seen = window.intersected(screen);
        return qint64(seen.width()) * seen.height();
    };
    qint64 best = 0;
    for (const QRect& screen : screens)
        best = std::max(best, visibleArea(screen));
    if (2 * best >= qint64(window.width()) * window.height())
        return std::nullopt; // at least half of it shows: left exactly where it was put
    // The screen nearest to the window's centre takes it, as far in as it must go.
    const auto distance = [&window](const QRect& screen) {
        const QPoint centre = window.center();
        const int dx = std::max({screen.left() - centre.x(), 0, centre.x() - screen.right()});
        const int dy = std::max({screen.top() - centre.y(), 0, centre.y() - screen.bottom()});
        return qint64(dx) * dx + qint64(dy) * dy;
    };
    const QRect nearest =
        *std::min_element(screens.begin(), screens.end(), [&](const QRect& a, const QRect& b) {
            return distance(a) < distance(b);
        });
    const int x = std::clamp(window.x(), nearest.left(),
                             std::max(nearest.left(), nearest.right() + 1 - window.width()));
    const int y = std::clamp(window.y(), nearest.top(),
                             std::max(nearest.top(), nearest.bottom() + 1 - window.height()));
    return QPoint(x, y);
}

void keepReachable(QWidget& window) {
    QList<QRect> areas;
    for (const QScreen* const screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    if (const auto reachable = reachablePosition(QRect(window.pos(), window.size()), areas))
        window.move(*reachable);
}

QPoint placedPosition(const QWidget& window) {
    // A window that was shown once stays where it stood when it is hidden again (a dialog's OK
    // hides it before its position is saved); only one never shown yet has no place of its own.
    const bool shownBefore = window.testAttribute(Qt::WA_WState_Created);
    if (window.isVisible() || window.testAttribute(Qt::WA_Moved) || shownBefore)
        return window.pos();
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return window.pos();
    const QRect area = screen->availableGeometry();
    return area.center() - QPoint(window.width() / 2, window.height() / 2);
}

namespace {

// Sets one coordinate of a window once the window system has placed it, so the other stays
// where the system put it. Until the window shows, that place is not known.
class PendingCoordinate final : public QObject {
public:
    PendingCoordinate(QWidget& window, std::optional<int> left, std::optional<int> top)
        : QObject(&window), m_window(window), m_left(left), m_top(top) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        QWindow* const handle = m_window.windowHandle();
        if (watched == &m_window && event->type() == QEvent::Show && handle) {
            m_window.removeEventFilter(this);
            handle->installEventFilter(this);
        } else if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
            handle->removeEventFilter(this);
            // After the events that come with the mapping, which carry the system's placement.
            QTimer::singleShot(0, this, [this] {
                const QPoint placed = m_window.pos();
                m_window.move(m_left.value_or(placed.x()), m_top.value_or(placed.y()));
                keepReachable(m_window);
                deleteLater();
            });
        }
        return false;
    }

private:
    QWidget& m_window;
    const std::optional<int> m_left;
    const std::optional<int> m_top;
};

} // namespace

void restoreWindowPosition(QWidget& window, Window which) {
    const Settings::StoredPosition stored = programSettings().position(which);
    const auto top = positiveTwips(stored.top);
    const auto left = positiveTwips(stored.left);
    if (top && left) {
        window.move(*left, *top);
        keepReachable(window);
    } else if (top || left) {
        new PendingCoordinate(window, left, top);
    }
}

void saveWindowPosition(const QWidget& window, Window which) {
    const int top = windowTopTwips(window);
    const int left = windowLeftTwips(window);
    if (top > 0 && left > 0)
        programSettings().setPosition(which, top, left);
}

} // namespace pelorin::ui
