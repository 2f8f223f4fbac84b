#pragma once

#include <QString>

namespace pelorin {

// The server's pages live under "/tv", and users often type only the host. A URL of at least
// eight characters that does not already end in "/tv" (any letter case) gets it appended, with
// a single separating slash. Shorter texts are left alone: they are still being typed.
QString tidyServerUrl(const QString& url);

} // namespace pelorin
