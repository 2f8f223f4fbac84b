#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace pelorin::ui {

// The layout was measured with the Windows faces; a substitute can be wider. Rather than cut a
// label's text off, condense it just enough to keep it inside its box; size and weight stay.
void fitText(QLabel& label);
// The same for any control whose text has `available` pixels.
void fitText(QWidget& widget, const QString& text, int available);

// How far apart two colours are for reading (1: the same, 21: black on white); 3 is the least
// that large or bold text needs to be read comfortably.
double contrastRatio(const QColor& a, const QColor& b);
inline constexpr double MinimumContrast = 3.0;

// The colour a form asks for where it reads on `background`; otherwise the theme's `fallback`
// (a dark desktop theme turns the dialogs' face dark, where black or blue text would vanish).
QColor readableOn(const QColor& wanted, const QColor& background, const QColor& fallback);

// Controls placed at fixed positions, as the forms are laid out in twips. Labels are fitted.
QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry);
QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& geometry);
QLineEdit* makeEdit(QWidget* parent, const QRect& geometry);

// Host names, MAC addresses, user names and passwords are typed in plain ASCII; an input method
// would only get in the way (and could show a password's characters as composition text).
void disableInputMethod(QWidget& widget);

} // namespace pelorin::ui
