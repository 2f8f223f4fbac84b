#pragma once

// What the writer process stores and the test expects to find: a fixed list of settings, and for
// each a value that names its writer run and generation and is long enough, with Japanese text,
// "=" and quotes, that a torn or mixed write could not pass for a whole one.

#include <QList>
#include <QRegularExpression>
#include <QString>

#include <optional>

namespace durability {

struct Setting {
    QString section;
    QString key;
};

// Grouped by section, so a file written from scratch in this order holds them in this order.
inline QList<Setting> settings() {
    QList<Setting> list;
    for (int n = 0; n < 19; ++n)
        list.append(
            n < 8    ? Setting{QStringLiteral("Server"), QStringLiteral("List-%1").arg(n)}
            : n < 13 ? Setting{QStringLiteral("Mac"), QStringLiteral("Mac-%1").arg(n)}
                     : Setting{QStringLiteral("録画サーバー"), QStringLiteral("名前-%1").arg(n)});
    return list;
}

// Run 0 is the file the test starts from; writer runs and generations count from 1. Values stay
// under the 1023-byte read limit so they come back whole.
inline QString valueFor(int setting, int run, int generation) {
    const int pieces = 5 + (run * 7 + generation * 13 + setting * 3) % 30;
    return QStringLiteral("r%1g%2s%3|").arg(run).arg(generation).arg(setting) +
           QStringLiteral("居間の\"テレビ\"=オン;").repeated(pieces) + QStringLiteral("|end");
}

struct Origin {
    int setting, run, generation;
};

// Which write a value came from; nothing unless it is exactly such a value, whole.
inline std::optional<Origin> originOf(const QString& value) {
    static const QRegularExpression head(QStringLiteral("^r(\\d+)g(\\d+)s(\\d+)\\|"));
    const QRegularExpressionMatch match = head.match(value);
    const Origin origin{match.captured(3).toInt(), match.captured(1).toInt(),
                        match.captured(2).toInt()};
    if (!match.hasMatch() || value != valueFor(origin.setting, origin.run, origin.generation))
        return std::nullopt;
    return origin;
}

} // namespace durability
