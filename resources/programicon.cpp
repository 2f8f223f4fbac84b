#include "programicon.h"

#include <QPainter>
#include <QSvgRenderer>

#include <array>
#include <cmath>

namespace pelorin {

namespace {

QPixmap render(QSvgRenderer& renderer, int size, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int side = static_cast<int>(std::lround(size * ratio));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, side, side));
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace

QPixmap programPixmap(int size, qreal devicePixelRatio) {
    QSvgRenderer renderer(QString::fromLatin1(ProgramIconPath));
    return render(renderer, size, devicePixelRatio);
}

QIcon programIcon() {
    constexpr std::array Sizes{16, 20, 24, 32, 40, 48, 64, 128, 256};
    // The drawing is parsed once for all sizes: parsing it anew for each cost more than the
    // drawing itself and showed in the program's start-up time.
    QSvgRenderer renderer(QString::fromLatin1(ProgramIconPath));
    QIcon icon;
    for (const int size : Sizes)
        icon.addPixmap(render(renderer, size, 1.0));
    return icon;
}

} // namespace pelorin
