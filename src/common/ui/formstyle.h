#pragma once

#include <QPixmap>
#include <QProxyStyle>

namespace pelorin::ui {

// The platform's own style, except that the stock pictures the main window needs before its
// first paint (the menu bar's overflow arrow and, in the Fusion style, the frame of a group box
// without a title) are read as the PNGs they are. The stock way guesses each picture's format
// by loading every image format plugin, and the SVG module with them: a millisecond and a third
// of a megabyte of every start.
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
