#pragma once

#include <QPixmap>
#include <QProxyStyle>

namespace pelorin::ui {

// The platform's own style with the few things the forms expect of the classic dialog look:
// - a password box shows every character as "*";
// - a frame with a caption draws its line through the middle of the caption, so the rows the form
//   places just below the caption stay clear of the line even with a tall substitute font (the
//   Fusion style stacks the caption above the frame instead);
// - the stock pictures the main window needs before its first paint (the menu bar's overflow
//   arrow and, in the Fusion style, the group box frame) are read as the PNGs they are
//   (pngPicture), not with the stock format guessing that loads every image format plugin.
class FormStyle final : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    bool isFusion() const;
    void drawFrameFromPicture(QPainter* painter, const QRect& rect) const;

    mutable QPixmap m_groupBoxFrame;
};

} // namespace pelorin::ui
