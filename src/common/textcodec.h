#pragma once

#include <QByteArrayView>
#include <QString>

namespace pelorin {

// Text as UTF-8 when the bytes are valid UTF-8 throughout, otherwise in the system's legacy code
// page: old settings files and pages from older servers are written in it. A byte-order mark is
// kept as a character (callers that care strip it first), so a rewrite loses nothing.
QString decodeUtf8OrLocal(QByteArrayView bytes);

} // namespace pelorin
