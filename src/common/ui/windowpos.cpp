#include "common/ui/windowpos.h"

#include "common/ui/twips.h"
#include "settings/settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

QString twipsText(int twips) {
    return QString::number(twips);
}

namespace {

std::optional<int> storedPositive(const QString& key) {
    double value = 0;
    if (!parseTwips(ReadIni(ini::Pos, key), &value) || value <= 0)
        return std::nullopt;
    return twips::toPixels(static_cast<int>(std::lround(value)));
}

} // namespace

QPoint placedPosition(const QWidget& window) {
    if (window.isVisible() || window.testAttribute(Qt::WA_Moved))
        return window.pos();
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return window.pos();
    const QRect area = screen->availableGeometry();
    return area.center() - QPoint(window.width() / 2, window.height() / 2);
}

void restoreWindowPosition(QWidget& window, const QString& topKey, const QString& leftKey) {
    const auto top = storedPositive(topKey);
    const auto left = storedPositive(leftKey);
    if (!top && !left)
        return;
    const QPoint current = placedPosition(window);
    window.move(left.value_or(current.x()), top.value_or(current.y()));
}

void saveWindowPosition(const QWidget& window, const QString& topKey, const QString& leftKey) {
    const int top = windowTopTwips(window);
    const int left = windowLeftTwips(window);
    if (top <= 0 || left <= 0)
        return;
    WriteIni(ini::Pos, topKey, twipsText(top));
    WriteIni(ini::Pos, leftKey, twipsText(left));
}

} // namespace pelorin::ui
