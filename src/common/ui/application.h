#pragma once

namespace pelorin::ui {

// When the program icon goes onto the windows: at once, or only once the main window shows the
// server's first state (Pelorin's own start-up: reading the pictures would hold that state back
// by most of a millisecond, and a window carries no icon of its own before it is up anyway).
enum class IconTiming { AtOnce, Deferred };

// What every Pelorin window relies on, set once on the application object before the first
// window is built: the program's name (and no display name: window titles are exactly the
// captions the forms give them), the program icon on every window and message box, the form
// style and font, menus inside the window, and a program that does not end when its last visible
// window is hidden (the floating button stands in for the main window). Tests call it too, so
// that they see the windows as users do.
void setUpApplication(IconTiming icon = IconTiming::AtOnce);

// Puts the program icon on every window now when setUpApplication deferred it; does nothing
// otherwise. Message boxes and modal dialogs call it before they show.
void applyDeferredIcon();

} // namespace pelorin::ui
