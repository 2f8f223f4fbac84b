#include "settings/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <mutex>
#include <optional>

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

QString perUserSettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Pelorin/") + QLatin1String(SettingsFileName);
}

QString findDefaultSettingsFilePath() {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + QLatin1Char('/') + QLatin1String(SettingsFileName);
    if (QFileInfo::exists(beside) || QFileInfo(folder).isWritable())
        return beside;
    return perUserSettingsFilePath();
}

// The monitor may read settings from its own thread while the GUI changes the path.
struct PathChoice {
    std::mutex mutex;
    std::optional<QString> defaultPath;
    std::optional<QString> chosenPath;
};

PathChoice& pathChoice() {
    static PathChoice choice;
    return choice;
}

IniFile settingsFile() {
    return IniFile(settingsFilePath());
}

} // namespace

QString defaultSettingsFilePath() {
    // Without an application object the executable's folder is unknown; answer without
    // remembering, so the real answer is found once the application exists.
    if (!QCoreApplication::instance())
        return perUserSettingsFilePath();
    PathChoice& choice = pathChoice();
    const std::scoped_lock lock(choice.mutex);
    if (!choice.defaultPath)
        choice.defaultPath = findDefaultSettingsFilePath();
    return *choice.defaultPath;
}

QString settingsFilePath() {
    {
        PathChoice& choice = pathChoice();
        const std::scoped_lock lock(choice.mutex);
        if (choice.chosenPath)
            return *choice.chosenPath;
    }
    return defaultSettingsFilePath();
}

void setSettingsFilePath(const QString& path) {
    PathChoice& choice = pathChoice();
    const std::scoped_lock lock(choice.mutex);
    choice.chosenPath = path;
}

QString ReadIni(const QString& section, const QString& key) {
    return settingsFile().read(section, key);
}

bool WriteIni(const QString& section, const QString& key, const QString& value) {
    const IniFile::WriteResult result = WriteIniChecked(section, key, value);
    return result == IniFile::WriteResult::Written || result == IniFile::WriteResult::Unchanged;
}

IniFile::WriteResult WriteIniChecked(const QString& section, const QString& key,
                                     const QString& value) {
    const QString path = settingsFilePath();
    // The per-user folder does not exist before the first save. Folders of paths chosen by a
    // caller are left alone: a missing one is that caller's mistake and must show as a failure.
    if (path == defaultSettingsFilePath())
        QDir().mkpath(QFileInfo(path).absolutePath());
    return IniFile(path).write(section, key, value);
}

IniFile::Problem settingsFileProblem() {
    return settingsFile().problem();
}

} // namespace pelorin
