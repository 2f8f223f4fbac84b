// CP932 through the system's own code page functions: Qt on Windows has no ICU, and the system
// converts exactly as the programs that wrote the old files did.
#include "common/textcodec.h"

#include <qt_windows.h>

#include <climits>

namespace pelorin::cp932 {

namespace {

constexpr UINT CodePage = 932;

} // namespace

QString decode(QByteArrayView bytes) {
    if (bytes.isEmpty() || bytes.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CodePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(CodePage, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                        length);
    return text;
}

std::optional<QByteArray> encode(QStringView text) {
    if (text.isEmpty())
        return QByteArray();
    if (text.size() > INT_MAX)
        return std::nullopt;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int size = static_cast<int>(text.size());
    // No best fit: a character without its own code is reported, not turned into a lookalike.
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0,
                                           nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, size, bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
}

} // namespace pelorin::cp932
