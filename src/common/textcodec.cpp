#include "common/textcodec.h"

#include <QStringEncoder>

namespace pelorin {

namespace {

constexpr QByteArrayView Utf8Bom("\xEF\xBB\xBF");
constexpr QByteArrayView Utf16LEBom("\xFF\xFE");
constexpr QByteArrayView Utf16BEBom("\xFE\xFF");

// Stateless: a multibyte sequence cut off at the end counts as an error instead of being
// silently held back for a next call. A leading U+FEFF stays a character.
constexpr auto DecoderFlags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

bool isUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, DecoderFlags);
    [[maybe_unused]] const QString text = utf8(bytes);
    return !utf8.hasError();
}

std::optional<QStringConverter::Encoding> qtEncoding(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringConverter::Utf8;
    case TextEncoding::Utf16LE:
        return QStringConverter::Utf16LE;
    case TextEncoding::Utf16BE:
        return QStringConverter::Utf16BE;
    case TextEncoding::Cp932:
        break;
    }
    return std::nullopt;
}

} // namespace

QString decodeUtf8OrLocal(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, DecoderFlags);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder legacy(QStringDecoder::System, QStringConverter::Flag::Stateless);
    return legacy(bytes);
}

DetectedEncoding detectEncoding(QByteArrayView bytes) {
    if (bytes.startsWith(Utf8Bom))
        return {TextEncoding::Utf8, Utf8Bom.size()};
    if (bytes.startsWith(Utf16LEBom))
        return {TextEncoding::Utf16LE, Utf16LEBom.size()};
    if (bytes.startsWith(Utf16BEBom))
        return {TextEncoding::Utf16BE, Utf16BEBom.size()};
    return {isUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932, 0};
}

QByteArray byteOrderMark(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return Utf8Bom.toByteArray();
    case TextEncoding::Utf16LE:
        return Utf16LEBom.toByteArray();
    case TextEncoding::Utf16BE:
        return Utf16BEBom.toByteArray();
    case TextEncoding::Cp932:
        break;
    }
    return {};
}

TextCodec::TextCodec(TextEncoding encoding)
    : m_encoding(encoding),
      m_decoder(qtEncoding(encoding).value_or(QStringConverter::Utf8), DecoderFlags) {}

qsizetype TextCodec::unitSize() const {
    return m_encoding == TextEncoding::Utf16LE || m_encoding == TextEncoding::Utf16BE ? 2 : 1;
}

char16_t TextCodec::unitAt(QByteArrayView bytes, qsizetype index) const {
    const auto byte = [&](qsizetype at) { return char16_t(static_cast<uchar>(bytes[at])); };
    switch (m_encoding) {
    case TextEncoding::Utf16LE:
        return char16_t(byte(2 * index) | byte(2 * index + 1) << 8);
    case TextEncoding::Utf16BE:
        return char16_t(byte(2 * index) << 8 | byte(2 * index + 1));
    case TextEncoding::Utf8:
    case TextEncoding::Cp932:
        break;
    }
    return byte(index);
}

QString TextCodec::decode(QByteArrayView bytes) {
    if (m_encoding == TextEncoding::Cp932)
        return cp932::decode(bytes);
    return m_decoder(bytes);
}

std::optional<QByteArray> TextCodec::encode(QStringView text) const {
    if (m_encoding == TextEncoding::Cp932)
        return cp932::encode(text);
    // A fresh encoder: an encoder's error flag stays set once raised.
    QStringEncoder encoder(*qtEncoding(m_encoding), QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

qsizetype TextCodec::encodedSize(QStringView character) const {
    const char32_t code = character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1])
                                                : char32_t(character[0].unicode());
    switch (m_encoding) {
    case TextEncoding::Utf8:
        return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return 2 * character.size();
    case TextEncoding::Cp932:
        break;
    }
    if (code < 0x80)
        return 1;
    const std::optional<QByteArray> bytes = encode(character);
    return bytes ? bytes->size() : 2;
}

QStringView TextCodec::cut(QStringView text, qsizetype maxBytes) const {
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        bytes += encodedSize(text.sliced(i, units));
        if (bytes > maxBytes)
            return text.first(i);
        i += units;
    }
    return text;
}

#ifndef Q_OS_WIN
// Qt converts CP932 through ICU, which knows it as "windows-31j". Windows builds of Qt come
// without ICU and use textcodec_win.cpp instead.
namespace cp932 {

constexpr auto IcuName = "windows-31j";

QString decode(QByteArrayView bytes) {
    // Opening an ICU converter costs more than converting a line; a settings file is decoded
    // line by line, so each thread keeps one.
    thread_local QStringDecoder decoder(IcuName, QStringConverter::Flag::Stateless);
    return decoder(bytes);
}

// ICU maps only characters with a code of their own (no fallbacks such as U+301C WAVE DASH to
// the code of U+FF5E) and reports the rest.
std::optional<QByteArray> encode(QStringView text) {
    QStringEncoder encoder(IcuName, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder(text);
    if (!encoder.isValid() || encoder.hasError())
        return std::nullopt;
    return bytes;
}

} // namespace cp932
#endif

} // namespace pelorin
