#pragma once

#include <QByteArray>
#include <QString>

namespace pelorin {

// Text as UTF-8 when the bytes are valid UTF-8, otherwise in the system's legacy code page (old
// Windows files and pages are written in it).
QString decodeUtf8OrLocal(const QByteArray& bytes);

// Whether the bytes are valid UTF-8 throughout.
bool isValidUtf8(const QByteArray& bytes);

} // namespace pelorin
