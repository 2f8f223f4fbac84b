#pragma once

// A platform layer and event pump for tests: answers as configured and logs what it is asked.

#include "postinstall/commandline.h"
#include "postinstall/platform.h"

#include <QStringList>

#include <functional>
#include <map>
#include <set>

namespace pelorin::testing {

class FakePlatform final : public postinstall::Platform, public postinstall::EventPump {
public:
    // What the fake answers.
    std::optional<postinstall::VersionRecord> version = postinstall::VersionRecord{2, 5, 1};
    bool keyExists = true;
    bool registryThrows = false;
    std::optional<std::uint32_t> enableLua;
    int pollsUntilEnded = 3;
    std::set<std::wstring> unstartablePrograms;
    std::wstring desktopFolder = L"C:\\Users\\taro\\Desktop";
    std::set<std::wstring> folders{desktopFolder,
                                   L"C:\\Users\\taro\\Start Menu\\Programs\\ペロリン"};
    bool foldersThrow = false;
    bool shortcutStepsThrow = false;

    // What happened; onLog is called with every log line.
    QStringList log;
    std::function<void(const QString&)> onLog;
    std::map<std::wstring, postinstall::ShortcutProperties> shortcuts;
    int openKeys = 0;
    int running = 0;
    int mostRunningAtOnce = 0;

    const postinstall::PathRules& pathRules() const override {
        return postinstall::WindowsPathRules;
    }
    postinstall::VersionRecord versionRecord() override {
        return version ? *version : throw postinstall::PlatformError();
    }
    std::optional<postinstall::RegistryHandle> openMachineKey(const std::string&, std::uint32_t,
                                                              std::uint32_t) override {
        if (registryThrows)
            throw postinstall::PlatformError();
        openKeys += keyExists;
        return keyExists ? std::optional<postinstall::RegistryHandle>(7) : std::nullopt;
    }
    std::optional<std::uint32_t> queryFourByteValue(postinstall::RegistryHandle key,
                                                    const std::string&) override {
        return key == 7 ? enableLua : std::nullopt;
    }
    void closeKey(postinstall::RegistryHandle key) override { openKeys -= key == 7; }

    std::unique_ptr<postinstall::StartedProgram> start(const postinstall::Command& command,
                                                       postinstall::WindowStyle style) override {
        const QString line = QString::fromStdWString(postinstall::plainCommandLine(command));
        write(QStringLiteral("start %1 [%2]").arg(line).arg(static_cast<int>(style)));
        if (unstartablePrograms.count(command.program))
            return nullptr;
        mostRunningAtOnce = std::max(mostRunningAtOnce, ++running);
        return std::make_unique<Program>(*this, line, pollsUntilEnded);
    }

    std::wstring specialFolder(postinstall::SpecialFolder folder) override {
        if (foldersThrow)
            throw postinstall::PlatformError();
        return folder == postinstall::SpecialFolder::Desktop
                   ? desktopFolder
                   : L"C:\\Users\\taro\\Start Menu\\Programs";
    }
    std::wstring expandEnvironmentStrings(const std::wstring& text) override {
        step(QStringLiteral("expand"), text);
        const std::wstring name = L"%ProgramFiles%";
        return text.starts_with(name) ? L"C:\\Program Files" + text.substr(name.size()) : text;
    }
    bool deleteFile(const std::wstring& path) override {
        step(QStringLiteral("delete"), path);
        return true;
    }
    bool saveShortcut(const std::wstring& path,
                      const postinstall::ShortcutProperties& properties) override {
        step(QStringLiteral("save"), path);
        if (!folders.count(path.substr(0, path.find_last_of(L'\\'))))
            return false;
        shortcuts[path] = properties;
        return true;
    }

    void processPendingEvents() override { write(QStringLiteral("events")); }
    void pause(int milliseconds) override { write(QStringLiteral("pause %1").arg(milliseconds)); }

private:
    class Program final : public postinstall::StartedProgram {
    public:
        Program(FakePlatform& platform, QString line, int polls)
            : m_platform(platform), m_line(std::move(line)), m_pollsLeft(polls) {}
        bool hasEnded() override {
            if (m_pollsLeft > 0 && --m_pollsLeft == 0) {
                --m_platform.running;
                m_platform.write(QStringLiteral("ended %1").arg(m_line));
            }
            return m_pollsLeft == 0;
        }

    private:
        FakePlatform& m_platform;
        const QString m_line;
        int m_pollsLeft;
    };

    void write(const QString& line) {
        log << line;
        if (onLog)
            onLog(line);
    }
    // A shortcut step, logged, then failing if asked to.
    void step(const QString& name, const std::wstring& path) {
        write(name + u' ' + QString::fromStdWString(path));
        if (shortcutStepsThrow)
            throw postinstall::PlatformError();
    }
};

} // namespace pelorin::testing
