#include "rules/settingnames.h"

#include <QStringList>

#include <array>

namespace pelorin {

namespace ini {
QString listKey(int n) {
    return QStringLiteral("List-%1").arg(n);
}
QString macKey(int n) {
    return QStringLiteral("Mac-%1").arg(n);
}
} // namespace ini

namespace {

constexpr std::array Windows{Window::Main, Window::Setting, Window::Mac, Window::Button};

QString windowKeyPrefix(Window window) {
    switch (window) {
    case Window::Main:
        return QStringLiteral("Main");
    case Window::Setting:
        return QStringLiteral("Setting");
    case Window::Mac:
        return QStringLiteral("Mac");
    case Window::Button:
        break;
    }
    return QStringLiteral("Button");
}

QStringList keysOf(const QString& section) {
    QStringList keys;
    if (section == QLatin1String(ini::Pos)) {
        for (const Window window : Windows) {
            const PositionKeys position = positionKeys(window);
            keys << position.top << position.left;
        }
    } else if (section == QLatin1String(ini::Form)) {
        keys << ini::Show << ini::Tray << ini::Notify;
    } else if (section == QLatin1String(ini::Server)) {
        keys << ini::URL << ini::UserName << ini::Password << ini::Address << ini::Mac;
        for (int n = 1; n <= ini::ListSlots; ++n)
            keys << ini::listKey(n);
        for (int n = 1; n <= ini::MacSlots; ++n)
            keys << ini::macKey(n);
    }
    return keys;
}

std::optional<QString> matchName(const QStringList& names, const QString& wanted) {
    for (const QString& name : names) {
        if (sameName(name, wanted.trimmed()))
            return name;
    }
    return std::nullopt;
}

std::optional<QString> knownSection(const QString& section) {
    return matchName({QString::fromLatin1(ini::Pos), QString::fromLatin1(ini::Form),
                      QString::fromLatin1(ini::Server)},
                     section);
}

std::optional<int> numberAfter(const QString& prefix, const QString& key, int last) {
    if (!key.startsWith(prefix, Qt::CaseInsensitive))
        return std::nullopt;
    bool ok = false;
    const int n = key.mid(prefix.size()).toInt(&ok);
    const bool canonical = ok && key.mid(prefix.size()) == QString::number(n);
    return canonical && n >= 1 && n <= last ? std::optional(n) : std::nullopt;
}

} // namespace

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

PositionKeys positionKeys(Window window) {
    const QString prefix = windowKeyPrefix(window);
    return {prefix + QStringLiteral("_Top"), prefix + QStringLiteral("_Left")};
}

std::optional<SettingName> knownSetting(const QString& section, const QString& key) {
    const auto sectionName = knownSection(section);
    if (!sectionName)
        return std::nullopt;
    const auto keyName = matchName(keysOf(*sectionName), key);
    if (!keyName)
        return std::nullopt;
    return SettingName{*sectionName, *keyName};
}

bool isSectionName(const QString& section) {
    return knownSection(section).has_value();
}

bool isUrlSetting(const SettingName& name) {
    return name.section == QLatin1String(ini::Server) &&
           (name.key == QLatin1String(ini::URL) || listSlot(name.key));
}

bool isMacSetting(const SettingName& name) {
    return name.section == QLatin1String(ini::Server) &&
           (name.key == QLatin1String(ini::Mac) ||
            numberAfter(QStringLiteral("Mac-"), name.key, ini::MacSlots));
}

std::optional<int> listSlot(const QString& key) {
    return numberAfter(QStringLiteral("List-"), key.trimmed(), ini::ListSlots);
}

} // namespace pelorin
