#include "settings/settingskeys.h"

#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "settings/settings.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace pelorin {

QString plainValueProblem(const QString& value) {
    if (value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(0)))
        return QStringLiteral("a value cannot contain line breaks");
    const qsizetype bytes = value.toUtf8().size();
    if (bytes > IniFile::MaxValueBytes)
        return QStringLiteral("a value is at most %1 bytes long in UTF-8; this one has %2")
            .arg(IniFile::MaxValueBytes)
            .arg(bytes);
    return {};
}

QString settingValueProblem(const SettingName& name, const QString& value) {
    const QString plain = plainValueProblem(value);
    if (!plain.isEmpty() || value.isEmpty())
        return plain;
    if (name.section == QLatin1String(ini::Pos)) {
        bool ok = false;
        value.toDouble(&ok);
        return ok ? QString() : QStringLiteral("a position is a number of twips: %1").arg(value);
    }
    if (isUrlSetting(name)) {
        // QUrl rejects a port above 65535 as a malformed URL; say what is really wrong.
        static const QRegularExpression portPattern(
            QStringLiteral("^[A-Za-z]+://[^/]*:(\\d+)(/|$)"));
        const QRegularExpressionMatch port = portPattern.match(value);
        if (port.hasMatch() &&
            (port.captured(1).toULongLong() > 65535 || port.captured(1).toULongLong() == 0))
            return QStringLiteral("port out of range (1-65535) in %1").arg(urlForDisplay(value));
        if (!isWebUrl(QUrl(value, QUrl::StrictMode)))
            return QStringLiteral("not an http:// or https:// address: %1")
                .arg(urlForDisplay(value));
        return {};
    }
    if (isMacSetting(name) && !isUsableMacText(value))
        return QStringLiteral("not a MAC address of six hexadecimal groups (XX-XX-XX-XX-XX-XX): %1")
            .arg(value);
    return {};
}

} // namespace pelorin
