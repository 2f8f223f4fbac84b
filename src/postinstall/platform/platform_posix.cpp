// The platform layer on POSIX systems: freedesktop launchers stand in for shortcuts, and there
// is neither a Windows version nor a registry.

#include "postinstall/platform.h"
#include "postinstall/platform/posix.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pelorin::postinstall {

namespace posix {

QString execArgument(const QString& argument) {
    static const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool bare =
        !argument.isEmpty() && std::none_of(argument.cbegin(), argument.cend(),
                                            [](QChar c) { return Reserved.contains(c); });
    if (bare)
        return argument;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

QString escapedValue(const QString& value) {
    QString escaped;
    for (const QChar c : value) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    if (escaped.startsWith(u' '))
        escaped.replace(0, 1, QStringLiteral("\\s"));
    return escaped;
}

QString desktopEntryText(const ShortcutProperties& properties) {
    const QString target = QString::fromStdWString(properties.targetPath);
    const QString folder = QString::fromStdWString(properties.workingDirectory);
    QString exec = execArgument(target);
    exec.replace(u'%', QStringLiteral("%%"));
    // The desktop shows the name in the user's language, as it does the installed entry's.
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Pelorin\n"
                          "Name[ja]=ペロリン\n"
                          "Icon=pelorin\n"
                          "Exec=%1\n"
                          "Path=%2\n"
                          "Terminal=false\n")
        .arg(escapedValue(exec), escapedValue(folder));
}

} // namespace posix

namespace {

class PosixProgram final : public StartedProgram {
public:
    explicit PosixProgram(pid_t pid) : m_pid(pid) {}
    ~PosixProgram() override {
        if (!m_ended)
            waitpid(m_pid, nullptr, WNOHANG);
    }
    PosixProgram(const PosixProgram&) = delete;
    PosixProgram& operator=(const PosixProgram&) = delete;

    bool hasEnded() override {
        if (!m_ended) {
            const pid_t result = waitpid(m_pid, nullptr, WNOHANG);
            m_ended = result == m_pid || (result == -1 && errno == ECHILD);
        }
        return m_ended;
    }

private:
    const pid_t m_pid;
    bool m_ended = false;
};

QByteArray localBytes(const std::wstring& text) {
    return QFile::encodeName(QString::fromStdWString(text));
}

std::wstring folderPath(QStandardPaths::StandardLocation location) {
    QString path = QStandardPaths::writableLocation(location);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path.toStdWString();
}

constexpr QFileDevice::Permissions LauncherPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

class PosixPlatform final : public Platform {
public:
    const PathRules& pathRules() const override { return PosixPathRules; }

    // No Windows version: the record stays zero and matches none.
    VersionRecord versionRecord() override { return VersionRecord{}; }

    std::optional<RegistryHandle> openMachineKey(const std::string&, std::uint32_t,
                                                 std::uint32_t) override {
        return std::nullopt;
    }
    std::optional<std::uint32_t> queryFourByteValue(RegistryHandle, const std::string&) override {
        return std::nullopt;
    }
    void closeKey(RegistryHandle) override {}

    // The window style has no meaning here: a program opens its windows as it likes.
    std::unique_ptr<StartedProgram> start(const Command& command, WindowStyle) override {
        std::vector<QByteArray> parts{localBytes(command.program)};
        for (const std::wstring& argument : command.arguments)
            parts.push_back(localBytes(argument));
        std::vector<char*> argv;
        for (QByteArray& part : parts)
            argv.push_back(part.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawnp(&pid, argv.front(), nullptr, nullptr, argv.data(), environ) != 0)
            return nullptr;
        return std::make_unique<PosixProgram>(pid);
    }

    std::wstring specialFolder(SpecialFolder folder) override {
        return folderPath(folder == SpecialFolder::Desktop ? QStandardPaths::DesktopLocation
                                                           : QStandardPaths::ApplicationsLocation);
    }

    // Paths are taken as they are: `$` is an ordinary character in a file name.
    std::wstring expandEnvironmentStrings(const std::wstring& text) override { return text; }

    bool deleteFile(const std::wstring& path) override {
        return QFile::remove(QString::fromStdWString(path));
    }

    bool saveShortcut(const std::wstring& path, const ShortcutProperties& properties) override {
        const QString fileName = QString::fromStdWString(path);
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(posix::desktopEntryText(properties).toUtf8());
        // Desktops start only launchers that are marked executable.
        return file.commit() && QFile::setPermissions(fileName, LauncherPermissions);
    }
};

} // namespace

std::unique_ptr<Platform> makeSystemPlatform() {
    return std::make_unique<PosixPlatform>();
}

} // namespace pelorin::postinstall
