#include "settings/settingskeys.h"

#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace pelorin {

QString plainValueProblem(const QString& value) {
    if (value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(0)))
        return QCoreApplication::translate("settings", "値に改行は入れられません");
    const qsizetype bytes = value.toUtf8().size();
    if (bytes > IniFile::MaxValueBytes)
        return QCoreApplication::translate("settings",
                                           "値は UTF-8 で %1 バイトまでです（この値は %2 バイト）")
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
        return ok ? QString()
                  : QCoreApplication::translate("settings", "位置は twip 単位の数値です: %1")
                        .arg(value);
    }
    if (isUrlSetting(name)) {
        // QUrl rejects a port above 65535 as a malformed URL; say what is really wrong.
        static const QRegularExpression portPattern(
            QStringLiteral("^[A-Za-z]+://[^/]*:(\\d+)(/|$)"));
        const QRegularExpressionMatch port = portPattern.match(value);
        if (port.hasMatch() &&
            (port.captured(1).toULongLong() > 65535 || port.captured(1).toULongLong() == 0))
            return QCoreApplication::translate("settings",
                                               "ポート番号が範囲（1～65535）の外です: %1")
                .arg(urlForDisplay(value));
        if (!isWebUrl(QUrl(value, QUrl::StrictMode)))
            return QCoreApplication::translate("settings",
                                               "http:// か https:// のアドレスではありません: %1")
                .arg(urlForDisplay(value));
        return {};
    }
    if (isMacSetting(name) && !isUsableMacText(value))
        return QCoreApplication::translate(
                   "settings", "16進数6組のMACアドレス（XX-XX-XX-XX-XX-XX）ではありません: %1")
            .arg(value);
    return {};
}

} // namespace pelorin
