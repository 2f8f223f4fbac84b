#include "common/ui/formcontrols.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pelorin::ui {

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* const label = new QLabel(text, parent);
    label->setGeometry(geometry);
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
