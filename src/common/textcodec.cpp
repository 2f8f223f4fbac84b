#include "common/textcodec.h"

#include <QStringDecoder>

namespace pelorin {

QString decodeUtf8OrLocal(QByteArrayView bytes) {
    // Stateless: a multibyte sequence cut off at the end counts as an error instead of being
    // silently held back.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder legacy(QStringDecoder::System, QStringConverter::Flag::Stateless);
    return legacy(bytes);
}

} // namespace pelorin
