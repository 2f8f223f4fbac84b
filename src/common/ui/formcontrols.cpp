#include "common/ui/formcontrols.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace pelorin::ui {

void fitText(QWidget& widget, const QString& text, int available) {
    QFont font = widget.font();
    const int needed = QFontMetrics(font).horizontalAdvance(text);
    if (needed <= available || needed <= 0)
        return;
    constexpr int NarrowestStretch = 60;
    int stretch = std::max(NarrowestStretch, available * 100 / needed);
    for (;;) {
        font.setStretch(stretch);
        if (stretch <= NarrowestStretch || QFontMetrics(font).horizontalAdvance(text) <= available)
            break;
        --stretch;
    }
    widget.setFont(font);
}

void fitText(QLabel& label) {
    fitText(label, label.text(), label.contentsRect().width());
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* const label = new QLabel(text, parent);
    label->setGeometry(geometry);
    fitText(*label);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* const button = new QPushButton(text, parent);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* makeEdit(QWidget* parent, const QRect& geometry) {
    auto* const edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    return edit;
}

void disableInputMethod(QWidget& widget) {
    widget.setAttribute(Qt::WA_InputMethodEnabled, false);
    widget.setInputMethodHints(widget.inputMethodHints() | Qt::ImhLatinOnly);
}

} // namespace pelorin::ui
