#pragma once

// What every fuzz target shares: a broken invariant is reported with the inputs that broke it
// and then aborts, so libFuzzer keeps the input as a crash artifact.

#include <QDebug>
#include <QString>
#include <QStringDecoder>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__,           \
                         __LINE__);                                                                \
            qWarning() << __VA_ARGS__;                                                             \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace pelorin::fuzz {

// Text as it would arrive from a file or a socket: UTF-8, with anything invalid replaced. A
// leading byte order mark stays a character, as it would inside a longer text.
inline QString text(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
    return utf8(bytes);
}

inline QString text(const uint8_t* data, size_t size) {
    return text(QByteArrayView(data, static_cast<qsizetype>(size)));
}

inline QString text(const std::string& bytes) {
    return text(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// The next backslash-terminated field ("\\" stands for one backslash), keeping corpus files
// readable: "Server\ URL\ value\ rest of the input".
inline QString field(FuzzedDataProvider& input, size_t maxBytes = 4096) {
    return text(input.ConsumeRandomLengthString(maxBytes));
}

inline QString rest(FuzzedDataProvider& input) {
    return text(input.ConsumeRemainingBytesAsString());
}

} // namespace pelorin::fuzz
