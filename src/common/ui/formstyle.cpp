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

// Where a frame's caption starts, and the room left clear on each side of it.
constexpr int CaptionIndent = 8;
constexpr int CaptionPadding = 2;

bool isUntitledGroupBox(const QWidget* widget) {
    const auto* const box = qobject_cast<const QGroupBox*>(widget);
    return box && box->title().isEmpty() && !box->isCheckable();
}

const QStyleOptionGroupBox* titledGroupBox(const QStyleOptionComplex* option) {
    const auto* const box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (!box || box->text.isEmpty() || (box->subControls & QStyle::SC_GroupBoxCheckBox))
        return nullptr;
    return box;
}

} // namespace

bool FormStyle::isFusion() const {
    return baseStyle()->name() == QLatin1String("fusion");
}

void FormStyle::drawFrameFromPicture(QPainter* painter, const QRect& rect) const {
    if (m_groupBoxFrame.isNull())
        m_groupBoxFrame = stockPicture(QStringLiteral("fusion_groupbox.png"));
    const QMargins corners(FusionFrameCorner, FusionFrameCorner, FusionFrameCorner,
                           FusionFrameCorner);
    qDrawBorderPixmap(painter, rect, corners, m_groupBoxFrame);
}

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
    if (element == PE_FrameGroupBox && isUntitledGroupBox(widget) && isFusion()) {
        drawFrameFromPicture(painter, option->rect.adjusted(0, FusionUntitledTopMargin, 0, 0));
        if (!m_groupBoxFrame.isNull())
            return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QRect FormStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                SubControl subControl, const QWidget* widget) const {
    const QStyleOptionGroupBox* const box =
        control == CC_GroupBox && isFusion() ? titledGroupBox(option) : nullptr;
    if (!box)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const QFontMetrics metrics = box->fontMetrics;
    const QRect caption(box->rect.left() + CaptionIndent, box->rect.top(),
                        metrics.horizontalAdvance(box->text) + 2 * CaptionPadding,
                        metrics.height());
    const QRect frame = box->rect.adjusted(0, caption.height() / 2, 0, 0);
    switch (subControl) {
    case SC_GroupBoxLabel:
        return caption;
    case SC_GroupBoxFrame:
        return frame;
    case SC_GroupBoxContents:
        return frame.adjusted(CaptionIndent, caption.height() / 2, -CaptionIndent, -CaptionIndent);
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void FormStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
    const QStyleOptionGroupBox* const box =
        control == CC_GroupBox && isFusion() ? titledGroupBox(option) : nullptr;
    if (!box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect caption = subControlRect(control, option, SC_GroupBoxLabel, widget);
    painter->save();
    QRegion clear(box->rect);
    clear -= caption;
    painter->setClipRegion(clear);
    drawFrameFromPicture(painter, subControlRect(control, option, SC_GroupBoxFrame, widget));
    painter->restore();
    drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, box->palette,
                 box->state & State_Enabled, box->text, QPalette::WindowText);
}

int FormStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const {
    if (hint == SH_LineEdit_PasswordCharacter)
        return u'*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace pelorin::ui
