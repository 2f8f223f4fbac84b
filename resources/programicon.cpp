#include "programicon.h"

#include <QPainter>
#include <QSvgRenderer>

#include <array>
#include <cmath>

namespace pelorin {

QPixmap programPixmap(int size, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int side = static_cast<int>(std::lround(size * ratio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QString::fromLatin1(ProgramIconPath));
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, side, side));
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon programIcon() {
    constexpr std::array Sizes{16, 20, 24, 32, 40, 48, 64, 128, 256};
    QIcon icon;
    for (const int size : Sizes)
        icon.addPixmap(programPixmap(size));
    return icon;
}

} // namespace pelorin
