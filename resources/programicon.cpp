#include "programicon.h"

#include <QImageReader>
#include <QSize>

#include <algorithm>
#include <array>

namespace pelorin {

namespace {

// The pictures rendered from pelorin.svg by icons/make-icons.sh.
constexpr std::array PictureSizes{16, 32, 48, 256};
// A window icon goes to the window system in every size it holds, when the window is made, so
// it holds only the sizes title bars, taskbars and task switchers use: decoding and sending the
// 256-pixel picture would cost each start a millisecond and a quarter of a megabyte.
constexpr std::array WindowIconSizes{16, 32, 48};

QPixmap picture(int size) {
    return pngPicture(QStringLiteral(":/icons/pelorin-%1.png").arg(size));
}

} // namespace

QIcon programIcon() {
    QIcon icon;
    for (const int size : WindowIconSizes)
        icon.addPixmap(picture(size));
    return icon;
}

QPixmap programPixmap(int size, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int pixels = qRound(size * ratio);
    // The smallest picture at least as large as asked, scaled down: scaling up would blur it.
    const auto* const fitting =
        std::find_if(PictureSizes.begin(), PictureSizes.end(),
                     [pixels](int available) { return available >= pixels; });
    QPixmap pixmap = picture(fitting == PictureSizes.end() ? PictureSizes.back() : *fitting);
    if (pixmap.width() != pixels)
        pixmap = pixmap.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QPixmap pngPicture(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace pelorin
