#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace pelorin::ui {

// Controls placed at fixed positions, as the forms are laid out in twips.
QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry);
QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& geometry);
QLineEdit* makeEdit(QWidget* parent, const QRect& geometry);

// Host names, MAC addresses, user names and passwords are typed in plain ASCII; an input method
// would only get in the way (and could show a password's characters as composition text).
void disableInputMethod(QWidget& widget);

} // namespace pelorin::ui
