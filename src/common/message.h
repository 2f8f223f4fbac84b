#pragma once

namespace pelorin {

// The two kinds of message the program shows, with the style numbers of the classic message box:
// OK with the exclamation icon, and OK with the information icon.
enum class MessageIcon { Exclamation = 48, Information = 64 };

} // namespace pelorin
