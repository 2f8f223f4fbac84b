#pragma once

#include <QPixmap>
#include <QProxyStyle>

namespace pelorin::ui {

// The platform's own style, except that the stock pictures the main window needs before its
// first paint (the menu bar's overflow arrow and, in the Fusion style, the frame of a group box
// without a title) are read as the PNGs they are (pngPicture), not with the stock format
// guessing that loads every image format plugin.
class FormStyle final : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    mutable QPixmap m_groupBoxFrame;
};

} // namespace pelorin::ui
