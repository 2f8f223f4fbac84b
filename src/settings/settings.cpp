#include "settings/settings.h"

#include "rules/macaddr.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <optional>

namespace pelorin {

namespace {

QString perUserSettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Pelorin/") + QLatin1String(SettingsFileName);
}

// The layout `cmake --install` and the package make: the programs in <prefix>/bin, their shared
// files in <prefix>/share/pelorin. Whether the folder is writable says nothing (root may write
// to /usr/bin), and a stale setting.ini left there by an older version must not count either.
bool isInstalledCopy(const QString& programFolder) {
    const QDir folder(programFolder);
    return folder.dirName() == QLatin1String("bin") &&
           QFileInfo(folder.absoluteFilePath(QStringLiteral("../share/pelorin"))).isDir();
}

// The per-user folder does not exist before the first save; it holds a password, so only its
// owner may enter it. Folders of files chosen by a caller are left alone: a missing one is that
// caller's mistake and must show as a failure.
void preparePerUserFolder(const QString& path) {
    if (path != perUserSettingsFilePath())
        return;
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo::exists(folder) || !QDir().mkpath(folder))
        return;
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool stored(IniFile::WriteResult result) {
    return result == IniFile::WriteResult::Written || result == IniFile::WriteResult::Unchanged;
}

std::optional<QString> s_chosenPath;

} // namespace

Settings::Settings(QString path) : m_file(std::move(path)) {}

QString Settings::read(const QString& section, const QString& key) const {
    return m_file.read(section, key);
}

bool Settings::write(const QString& section, const QString& key, const QString& value) const {
    return stored(writeChecked(section, key, value));
}

IniFile::WriteResult Settings::writeChecked(const QString& section, const QString& key,
                                            const QString& value) const {
    preparePerUserFolder(path());
    return m_file.write(section, key, value);
}

QStringList Settings::readMany(const QString& section, const QStringList& keys) const {
    QStringList values(keys.size());
    for (const IniFile::Entry& entry : m_file.entries()) {
        if (!sameName(entry.section, section))
            continue;
        for (qsizetype i = 0; i < keys.size(); ++i)
            if (sameName(entry.key, keys[i]))
                values[i] = entry.value;
    }
    return values;
}

QString Settings::url() const {
    return read(ini::Server, ini::URL);
}

Settings::Credentials Settings::credentials() const {
    const QStringList values = readMany(ini::Server, {ini::UserName, ini::Password});
    return {values[0], values[1]};
}

QString Settings::macToWake() const {
    const QStringList values = readMany(ini::Server, {ini::Mac, ini::macKey(1)});
    return pelorin::macToWake(values[0], values[1]);
}

QStringList Settings::registeredUrls() const {
    QStringList keys;
    for (int n = 1; n <= ini::ListSlots; ++n)
        keys.append(ini::listKey(n));
    QStringList urls = readMany(ini::Server, keys);
    urls.removeAll(QString());
    return urls;
}

bool Settings::severalUrlsRegistered() const {
    const QList<IniFile::Entry> entries = m_file.entries();
    return std::any_of(entries.cbegin(), entries.cend(), [](const IniFile::Entry& entry) {
        const auto slot = listSlot(entry.key);
        return slot && *slot >= 2 && !entry.value.isEmpty() &&
               sameName(entry.section, QString::fromLatin1(ini::Server));
    });
}

bool Settings::serverMissing() const {
    const QStringList values = readMany(ini::Server, {ini::URL, ini::Address, ini::Mac});
    return values[0].isEmpty() && (values[1].isEmpty() || values[2].isEmpty());
}

void Settings::registerUrl(const QString& url) const {
    QStringList keys;
    for (int n = 1; n <= ini::ListSlots; ++n)
        keys.append(ini::listKey(n));
    const QStringList stored = readMany(ini::Server, keys);
    if (const qsizetype free = stored.indexOf(QString()); free >= 0)
        write(ini::Server, keys[free], url);
}

void Settings::storeReportedMacs(const QStringList& addresses) const {
    for (int n = 1; n <= ini::MacSlots; ++n)
        write(ini::Server, ini::macKey(n), QString());
    for (qsizetype n = 0; n < addresses.size() && n < ini::MacSlots; ++n)
        write(ini::Server, ini::macKey(static_cast<int>(n) + 1), addresses.at(n));
}

Settings::StoredPosition Settings::position(Window window) const {
    const PositionKeys keys = positionKeys(window);
    const QStringList values = readMany(ini::Pos, {keys.top, keys.left});
    return {values[0], values[1]};
}

void Settings::setPosition(Window window, int topTwips, int leftTwips) const {
    const PositionKeys keys = positionKeys(window);
    write(ini::Pos, keys.top, QString::number(topTwips));
    write(ini::Pos, keys.left, QString::number(leftTwips));
}

QString defaultSettingsFilePath() {
    // Without an application object the executable's folder is unknown.
    if (!QCoreApplication::instance())
        return perUserSettingsFilePath();
    const QString folder = QCoreApplication::applicationDirPath();
    if (isInstalledCopy(folder))
        return perUserSettingsFilePath();
    return folder + QLatin1Char('/') + QLatin1String(SettingsFileName);
}

Settings& programSettings() {
    // Made on first use, once the application object knows the executable's folder.
    static Settings settings(s_chosenPath.value_or(defaultSettingsFilePath()));
    if (s_chosenPath && settings.path() != *s_chosenPath)
        settings = Settings(*s_chosenPath);
    return settings;
}

void setSettingsFilePath(const QString& path) {
    s_chosenPath = path;
}

QString settingsFilePath() {
    return programSettings().path();
}

QString ReadIni(const QString& section, const QString& key) {
    return programSettings().read(section, key);
}

bool WriteIni(const QString& section, const QString& key, const QString& value) {
    return programSettings().write(section, key, value);
}

IniFile::WriteResult WriteIniChecked(const QString& section, const QString& key,
                                     const QString& value) {
    return programSettings().writeChecked(section, key, value);
}

IniFile::Problem settingsFileProblem() {
    return programSettings().file().problem();
}

} // namespace pelorin
