#pragma once

namespace pelorin::ui {

// When the program icon goes onto the windows and Qt's own texts (standard buttons, context menus)
// are loaded in the user's language: at once, or only once the main window shows the server's
// first state (Pelorin's own start-up: reading the pictures and Qt's catalogue would hold that
// state back, and nothing shows either of them before it is up anyway).
enum class SetUpTiming { AtOnce, Deferred };

// What every Pelorin window relies on, set once on the application object before the first
// window is built: the program's name (and no display name: window titles are exactly the
// captions the forms give them), the program's texts in the user's language, the program icon on
// every window and message box, the form style and font, menus inside the window, and a program
// that does not end when its last visible window is hidden (the floating button stands in for the
// main window). Tests call it too, so that they see the windows as users do.
void setUpApplication(SetUpTiming icon = SetUpTiming::AtOnce);

// Puts the program icon on every window and loads Qt's own texts now when setUpApplication
// deferred them; does nothing otherwise. Message boxes and modal dialogs call it before they show.
void applyDeferredSetUp();

} // namespace pelorin::ui
