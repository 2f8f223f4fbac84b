#include "common/ui/formstyle.h"

#include "programicon.h"

#include <QGroupBox>
#include <QPainter>
#include <QStyleOption>
#include <qdrawutil.h>

namespace pelorin::ui {

namespace {

const QString StockPictures = QStringLiteral(":/qt-project.org/styles/commonstyle/images/");

// One of Qt's own pictures.
QPixmap stockPicture(const QString& name) {
    return pngPicture(StockPictures + name);
}

// How the Fusion style lays its group box frame picture out: the rounded corners are the
// picture's outer six pixels, and a box without a title starts its frame a little lower.
constexpr int FusionFrameCorner = 6;
constexpr int FusionUntitledTopMargin = 3;

bool isUntitledGroupBox(const QWidget* widget) {
    const auto* const box = qobject_cast<const QGroupBox*>(widget);
    return box && box->title().isEmpty() && !box->isCheckable();
}

} // namespace

QIcon FormStyle::standardIcon(StandardPixmap which, const QStyleOption* option,
                              const QWidget* widget) const {
    const bool leftToRight = widget ? widget->isLeftToRight() : true;
    if (which == SP_ToolBarHorizontalExtensionButton && leftToRight) {
        QIcon icon;
        for (const char* size : {"8", "16", "32"}) {
            const QPixmap picture =
                stockPicture(QStringLiteral("toolbar-ext-h-%1.png").arg(QLatin1String(size)));
            if (picture.isNull())
                return QProxyStyle::standardIcon(which, option, widget);
            icon.addPixmap(picture);
        }
        return icon;
    }
    return QProxyStyle::standardIcon(which, option, widget);
}

void FormStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameGroupBox && isUntitledGroupBox(widget) &&
        baseStyle()->name() == QLatin1String("fusion")) {
        if (m_groupBoxFrame.isNull())
            m_groupBoxFrame = stockPicture(QStringLiteral("fusion_groupbox.png"));
        if (!m_groupBoxFrame.isNull()) {
            const QMargins corners(FusionFrameCorner, FusionFrameCorner, FusionFrameCorner,
                                   FusionFrameCorner);
            qDrawBorderPixmap(painter, option->rect.adjusted(0, FusionUntitledTopMargin, 0, 0),
                              corners, m_groupBoxFrame);
            return;
        }
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

} // namespace pelorin::ui
