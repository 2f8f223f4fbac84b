#pragma once

namespace pelorin::ui {

// What every Pelorin window relies on, set once on the application object before the first
// window is built: the program's name (and no display name: window titles are exactly the
// captions the forms give them), the program icon on every window and message box, the form
// style and font, menus inside the window, and a program that does not end when its last visible
// window is hidden (the floating button stands in for the main window). Tests call it too, so
// that they see the windows as users do.
void setUpApplication();

} // namespace pelorin::ui
