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
    for (int n = 1; n <= 8; ++n)
        list.append({QStringLiteral("Server"), QStringLiteral("List-%1").arg(n)});
    for (int n = 1; n <= 5; ++n)
        list.append({QStringLiteral("Mac"), QStringLiteral("Mac-%1").arg(n)});
    for (int n = 1; n <= 6; ++n)
        list.append({QStringLiteral("録画サーバー"), QStringLiteral("名前-%1").arg(n)});
    return list;
}

// Run 0 is the file the test starts from; writer runs count from 1, generations from 1 within a
// run. Values stay under the 1023-byte read limit so they come back whole.
inline QString valueFor(int setting, int run, int generation) {
    const QString head = QStringLiteral("r%1g%2s%3|").arg(run).arg(generation).arg(setting);
    const QString piece = QStringLiteral("居間の\"テレビ\"=オン;");
    const int pieces = 5 + (run * 7 + generation * 13 + setting * 3) % 30;
    return head + piece.repeated(pieces) + QStringLiteral("|end");
}

struct Origin {
    int setting = 0;
    int run = 0;
    int generation = 0;
};

// Which write a value came from; nothing unless it is exactly such a value, whole.
inline std::optional<Origin> originOf(const QString& value) {
    static const QRegularExpression head(QStringLiteral("^r(\\d+)g(\\d+)s(\\d+)\\|"));
    const QRegularExpressionMatch match = head.match(value);
    if (!match.hasMatch())
        return std::nullopt;
    const Origin origin{match.captured(3).toInt(), match.captured(1).toInt(),
                        match.captured(2).toInt()};
    if (value != valueFor(origin.setting, origin.run, origin.generation))
        return std::nullopt;
    return origin;
}

} // namespace durability
