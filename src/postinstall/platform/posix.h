#pragma once

// What the POSIX platform layer writes, open to tests (POSIX builds only).

#include "postinstall/platform.h"

#include <QString>

namespace pelorin::postinstall::posix {

// One argument of a launcher's Exec line: bare when it holds no reserved character, otherwise
// in double quotes with `"`, `` ` ``, `$` and `\` escaped.
QString execArgument(const QString& argument);

// A desktop entry's string value with `\`, line breaks, tabs and a leading space escaped.
QString escapedValue(const QString& value);

// The launcher that stands in for a shortcut: it starts the target (with `%` doubled, as the
// field codes want it) in the working directory; the window style has no counterpart.
QString desktopEntryText(const ShortcutProperties& properties);

} // namespace pelorin::postinstall::posix
