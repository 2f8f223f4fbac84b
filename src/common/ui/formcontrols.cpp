#include "common/ui/formcontrols.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>

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

namespace {
// Relative luminance of a colour as the readability guidelines for the web define it.
double luminance(const QColor& colour) {
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}
} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor readableOn(const QColor& wanted, const QColor& background, const QColor& fallback) {
    return contrastRatio(wanted, background) >= MinimumContrast ? wanted : fallback;
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
