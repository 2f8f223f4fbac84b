#include "cli/context.h"

#include "cli/texts.h"

#include <QJsonDocument>

namespace pelorin::cli {

void Context::printJson(const QJsonObject& object) const {
    // Qt escapes the C0 controls in strings but writes DEL and the C1 controls as they are. In
    // UTF-8 they are the byte 0x7F and the pairs C2 80 ... C2 9F, which stand for nothing else.
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QByteArray safe;
    safe.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json.at(i));
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json.at(i + 1)) : 0;
        if (byte == 0x7F) {
            safe += "\\u007f";
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            safe += "\\u00" + QByteArray::number(next, 16);
            ++i;
        } else {
            safe += char(byte);
        }
    }
    out << QString::fromUtf8(safe) << Qt::endl;
}

void Context::progress(const QString& line) const {
    if (!options.quiet)
        err << escapedControls(line) << Qt::endl;
}

void Context::printError(const QString& message) const {
    err << escapedControls(text::errorLine(message)) << Qt::endl;
}

int Context::finish(int exit, QJsonObject result, const QString& error) const {
    if (options.json) {
        result.insert(QStringLiteral("error"), error.isEmpty() ? QJsonValue() : error);
        result.insert(QStringLiteral("exit"), exit);
        printJson(result);
    }
    if (!error.isEmpty())
        printError(error);
    return exit;
}

int Context::fail(int exit, const QString& error, const QString& hint) const {
    finish(exit, {}, error);
    if (!hint.isEmpty())
        err << hint << Qt::endl;
    return exit;
}

QString escapedControls(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code == 0x7F)
            shown +=
                QStringLiteral("\\x") + QString::number(code, 16).toUpper().rightJustified(2, u'0');
        else if (code >= 0x80 && code <= 0x9F)
            shown += QStringLiteral("\\u00") + QString::number(code, 16).toUpper();
        else
            shown += c;
    }
    return shown;
}

} // namespace pelorin::cli
