#include "programicon.h"

#include <QSize>

#include <array>

namespace pelorin {

QIcon programIcon() {
    // Pictures rendered from pelorin.svg by icons/make-icons.sh. QIcon loads a file only when a
    // size near it is asked for, so start-up pays for none of them and nothing parses SVG.
    constexpr std::array Sizes{16, 32, 48, 256};
    QIcon icon;
    for (const int size : Sizes)
        icon.addFile(QStringLiteral(":/icons/pelorin-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap programPixmap(int size, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    return programIcon().pixmap(QSize(size, size), ratio);
}

} // namespace pelorin
