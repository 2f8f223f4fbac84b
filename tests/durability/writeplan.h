#pragma once

// What the writer process stores and the test expects to find: a fixed list of settings, and for
// each a value that names its writer run and generation and is long enough, with Japanese text,
// "=" and quotes, that a torn or mixed write could not pass for a whole one.

#include <QList>
#include <QString>

namespace durability {

struct Setting {
    QString section;
    QString key;
};

// Grouped by section, so a file written from scratch in this order holds them in this order.
inline QList<Setting> settings() {
    QList<Setting> list;
    for (int n = 0; n < 19; ++n)
        list.append({n < 8    ? QStringLiteral("Server")
                     : n < 13 ? QStringLiteral("Mac")
                              : QStringLiteral("録画サーバー"),
                     QStringLiteral("名前-%1").arg(n)});
    return list;
}

// Run 0 is the file the test starts from; writer runs and generations count from 1. Values stay
// under the 1023-byte read limit so they come back whole.
inline QString valueFor(int setting, int run, int generation) {
    const int pieces = 5 + (run * 7 + generation * 13 + setting * 3) % 30;
    return QStringLiteral("r%1g%2s%3|").arg(run).arg(generation).arg(setting) +
           QStringLiteral("居間の\"テレビ\"=オン;").repeated(pieces) + QStringLiteral("|end");
}

// The generation a value names; only a whole value of that generation is worth it.
inline int generationOf(const QString& value) {
    return value.section(u'g', 1, 1).section(u's', 0, 0).toInt();
}

} // namespace durability
