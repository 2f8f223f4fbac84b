#include "settings/settingskeys.h"

#include "serverlink/macaddr.h"
#include "settings/settings.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace pelorin {

namespace {

const QStringList PositionKeys = {
    QStringLiteral("Main_Top"),     QStringLiteral("Main_Left"),   QStringLiteral("Setting_Top"),
    QStringLiteral("Setting_Left"), QStringLiteral("Mac_Top"),     QStringLiteral("Mac_Left"),
    QStringLiteral("Button_Top"),   QStringLiteral("Button_Left"),
};

QStringList serverKeys() {
    QStringList keys = {ini::URL, ini::UserName, ini::Password, ini::Address, ini::Mac};
    for (int n = 1; n <= ini::ListSlots; ++n)
        keys.append(ini::listKey(n));
    for (int n = 1; n <= ini::MacSlots; ++n)
        keys.append(ini::macKey(n));
    return keys;
}

QStringList keysOf(const QString& section) {
    if (section == QLatin1String(ini::Pos))
        return PositionKeys;
    if (section == QLatin1String(ini::Form))
        return {QString::fromLatin1(ini::Show)};
    if (section == QLatin1String(ini::Server))
        return serverKeys();
    return {};
}

std::optional<QString> matchName(const QStringList& names, const QString& wanted) {
    for (const QString& name : names) {
        if (name.compare(wanted.trimmed(), Qt::CaseInsensitive) == 0)
            return name;
    }
    return std::nullopt;
}

bool isUrlKey(const QString& key) {
    return key == QLatin1String(ini::URL) || key.startsWith(QLatin1String("List-"));
}

bool isMacKey(const QString& key) {
    return key == QLatin1String(ini::Mac) || key.startsWith(QLatin1String("Mac-"));
}

} // namespace

std::optional<SettingName> knownSetting(const QString& section, const QString& key) {
    const auto sectionName =
        matchName({QString::fromLatin1(ini::Pos), QString::fromLatin1(ini::Form),
                   QString::fromLatin1(ini::Server)},
                  section);
    if (!sectionName)
        return std::nullopt;
    const auto keyName = matchName(keysOf(*sectionName), key);
    if (!keyName)
        return std::nullopt;
    return SettingName{*sectionName, *keyName};
}

bool isUrlSetting(const SettingName& name) {
    return name.section == QLatin1String(ini::Server) && isUrlKey(name.key);
}

// The password runs from the first ":" after the scheme to the last "@". Taking the last "@" of
// the whole text, not the one before the first "/", also hides a password that holds "/", "?" or
// "@" unencoded (in a malformed URL an error message quotes); a path with an "@" behind a port
// is masked too much, which costs nothing but looks.
QString urlForDisplay(const QString& url) {
    const qsizetype scheme = url.indexOf(QLatin1String("://"));
    const qsizetype start = scheme >= 0 ? scheme + 3 : 0;
    const qsizetype at = url.lastIndexOf(u'@');
    const qsizetype colon = url.indexOf(u':', start);
    if (at < start || colon < 0 || colon > at)
        return url;
    return url.left(colon + 1) + QStringLiteral("********") + url.mid(at);
}

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
        const QUrl url(value, QUrl::StrictMode);
        const bool web =
            url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
        if (!url.isValid() || !web || url.host().isEmpty())
            return QStringLiteral("not an http:// or https:// address: %1")
                .arg(urlForDisplay(value));
        return {};
    }
    if (name.section == QLatin1String(ini::Server) && isMacKey(name.key) && !isUsableMacText(value))
        return QStringLiteral("not a MAC address of six hexadecimal groups (XX-XX-XX-XX-XX-XX): %1")
            .arg(value);
    return {};
}

} // namespace pelorin
