#pragma once

#include <optional>

namespace pelorin {

// The windowed programs take no arguments, except that `--help` (-h) and `--version` (-V) are
// answered on the terminal before anything else happens, so they work without a display and run
// nothing. The exit status when one of them was answered; nothing otherwise (every other argument
// is ignored). `summary` is a text of the "commandline" translation context (QT_TRANSLATE_NOOP),
// shown in the user's language.
std::optional<int> answerHelpOrVersion(int argc, const char* const argv[], const char* program,
                                       const char* summary);

} // namespace pelorin
