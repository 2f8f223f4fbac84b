#pragma once

#include <functional>

class QWidget;

namespace pelorin::ui {

// Controls whose look does not say to assistive technology what they are:
// - Indicator: the lamp, a read-only box that only shows a colour; it is static text to them,
//   with the server's state as its description, not a text field one could type into;
// - Button: the floating button's key, a picture that acts as a push button;
// - Link: the About box's web address, a label that opens a page;
// - NamedComboBox: the URL box; Qt names an editable combo box on Linux by the text in it, so
//   "http://..." would be read where "URL" is meant.
enum class AccessibleKind { Indicator, Button, Link, NamedComboBox };

// From now on assistive technology sees `widget` as `kind`, named and described by its accessible
// name and description. A button or a link offers the press action, which runs `press`.
void presentAs(QWidget& widget, AccessibleKind kind, std::function<void()> press = {});

} // namespace pelorin::ui
