#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include <optional>

namespace pelorin {

// Text as UTF-8 when the bytes are valid UTF-8 throughout, otherwise in the system's legacy code
// page: pages from older servers are written in it. A byte-order mark is kept as a character
// (callers that care strip it first), so a rewrite loses nothing.
QString decodeUtf8OrLocal(QByteArrayView bytes);

// The encodings a settings file comes in. Cp932 is Shift-JIS as the Windows code page 932 has it
// (with its NEC and IBM extensions), the code page of the Japanese systems old files come from.
enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Cp932 };

struct DetectedEncoding {
    TextEncoding encoding = TextEncoding::Utf8;
    qsizetype bomSize = 0; // bytes of the byte-order mark the text starts with
};

// How a file's bytes are written: a UTF-8 or UTF-16 byte-order mark decides; without one, valid
// UTF-8 (the empty text too) is UTF-8 and anything else CP932, whatever the local code page is.
DetectedEncoding detectEncoding(QByteArrayView bytes);

// The byte-order mark of an encoding; empty for CP932, which has none.
QByteArray byteOrderMark(TextEncoding encoding);

// Converts text to and from one encoding, line by line. Decoding never fails: bytes that are not
// valid text come out as replacement characters. Encoding gives nothing when a character has no
// exact form in the encoding (an emoji in CP932), so a text is never stored as a lookalike or as
// question marks. A byte-order mark is always a character here, never stripped or added.
class TextCodec {
public:
    explicit TextCodec(TextEncoding encoding);

    TextEncoding encoding() const { return m_encoding; }

    // Bytes of one code unit: 2 for UTF-16, 1 for the others. In every encoding here a code unit
    // below 0x40 (line breaks, blanks, "=", quotes) is always that ASCII character and never
    // part of a longer character, so such units can be found in the bytes without decoding.
    qsizetype unitSize() const;

    // The code unit at unit index `index` (not byte index) of `bytes`.
    char16_t unitAt(QByteArrayView bytes, qsizetype index) const;

    QString decode(QByteArrayView bytes);
    std::optional<QByteArray> encode(QStringView text) const;

    // The longest start of `text` whose encoded form fits in `maxBytes`, never splitting a
    // character. A character that has no form in the encoding counts as two bytes.
    QStringView cut(QStringView text, qsizetype maxBytes) const;

private:
    qsizetype encodedSize(QStringView character) const;

    TextEncoding m_encoding;
    QStringDecoder m_decoder; // UTF-8 and UTF-16 only; CP932 goes through the platform's own
};

// CP932 conversion. Each platform has its own: ICU through Qt where Qt has it, the system's code
// page functions on Windows (textcodec_win.cpp). Decoding is lossy on invalid bytes; encoding
// gives nothing when a character has no code of its own (no best-fit lookalikes).
namespace cp932 {
QString decode(QByteArrayView bytes);
std::optional<QByteArray> encode(QStringView text);
} // namespace cp932

} // namespace pelorin
