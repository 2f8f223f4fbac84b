#pragma once

// A platform layer for tests: answers as configured and writes every call into a log.

#include "postinstall/commandline.h"
#include "postinstall/platform.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace pelorin::testing {

class FakePlatform final : public postinstall::Platform {
public:
    static constexpr postinstall::RegistryHandle KeyHandle = 0x5eed;

    // What the fake answers.
    postinstall::PathRules rules = postinstall::WindowsPathRules;
    std::optional<postinstall::VersionRecord> version = postinstall::VersionRecord{2, 5, 1};
    bool keyExists = true;
    std::optional<std::uint32_t> enableLua;
    bool registryThrows = false;
    int pollsUntilEnded = 3;
    std::set<std::wstring> unstartablePrograms;
    std::wstring desktopFolder = L"C:\\Users\\taro\\Desktop";
    std::wstring programsFolder = L"C:\\Users\\taro\\Start Menu\\Programs";
    std::set<std::wstring> folders{desktopFolder, programsFolder + L"\\ペロリン"};
    std::set<std::wstring> files;
    std::map<std::wstring, std::wstring> environment{{L"%ProgramFiles%", L"C:\\Program Files"}};
    bool foldersThrow = false;
    bool shortcutStepsThrow = false;

    // What happened.
    QStringList log;
    std::map<std::wstring, postinstall::ShortcutProperties> shortcuts;
    int openKeys = 0;
    int running = 0;
    int mostRunningAtOnce = 0;
    // Called after every log line, with that line.
    std::function<void(const QString&)> onLog;

    const postinstall::PathRules& pathRules() const override { return rules; }

    postinstall::VersionRecord versionRecord() override {
        write(QStringLiteral("version"));
        if (!version)
            throw postinstall::PlatformError();
        return *version;
    }

    std::optional<postinstall::RegistryHandle> openMachineKey(const std::string& subKey,
                                                              std::uint32_t options,
                                                              std::uint32_t access) override {
        write(QStringLiteral("open %1 %2 0x%3")
                  .arg(QString::fromStdString(subKey))
                  .arg(options)
                  .arg(access, 0, 16));
        if (registryThrows)
            throw postinstall::PlatformError();
        if (!keyExists)
            return std::nullopt;
        ++openKeys;
        return KeyHandle;
    }

    std::optional<std::uint32_t> queryFourByteValue(postinstall::RegistryHandle key,
                                                    const std::string& name) override {
        write(QStringLiteral("query %1%2")
                  .arg(QString::fromStdString(name),
                       key == KeyHandle ? QString() : QStringLiteral(" ?")));
        return enableLua;
    }

    void closeKey(postinstall::RegistryHandle key) override {
        write(key == KeyHandle ? QStringLiteral("close") : QStringLiteral("close ?"));
        --openKeys;
    }

    std::unique_ptr<postinstall::StartedProgram> start(const postinstall::Command& command,
                                                       postinstall::WindowStyle style) override {
        const QString line = QString::fromStdWString(postinstall::plainCommandLine(command));
        write(QStringLiteral("start %1 [%2]").arg(line).arg(static_cast<int>(style)));
        if (unstartablePrograms.count(command.program))
            return nullptr;
        started.push_back(command);
        ++running;
        mostRunningAtOnce = std::max(mostRunningAtOnce, running);
        return std::make_unique<Program>(*this, line, pollsUntilEnded);
    }

    std::wstring specialFolder(postinstall::SpecialFolder folder) override {
        const bool desktop = folder == postinstall::SpecialFolder::Desktop;
        write(desktop ? QStringLiteral("folder Desktop") : QStringLiteral("folder Programs"));
        if (foldersThrow)
            throw postinstall::PlatformError();
        return desktop ? desktopFolder : programsFolder;
    }

    std::wstring expandEnvironmentStrings(const std::wstring& text) override {
        write(QStringLiteral("expand %1").arg(QString::fromStdWString(text)));
        throwIfAsked();
        std::wstring expanded = text;
        for (const auto& [name, value] : environment) {
            for (auto at = expanded.find(name); at != std::wstring::npos;
                 at = expanded.find(name, at + value.size()))
                expanded.replace(at, name.size(), value);
        }
        return expanded;
    }

    bool deleteFile(const std::wstring& path) override {
        write(QStringLiteral("delete %1").arg(QString::fromStdWString(path)));
        throwIfAsked();
        return files.erase(path) > 0;
    }

    bool saveShortcut(const std::wstring& path,
                      const postinstall::ShortcutProperties& properties) override {
        write(QStringLiteral("save %1").arg(QString::fromStdWString(path)));
        throwIfAsked();
        const std::wstring folder = path.substr(0, path.find_last_of(rules.separator));
        if (!folders.count(folder))
            return false;
        files.insert(path);
        shortcuts[path] = properties;
        return true;
    }

    std::vector<postinstall::Command> started;

    // The log lines that start with `prefix`.
    QStringList entries(const QString& prefix) const {
        QStringList found;
        for (const QString& line : log) {
            if (line.startsWith(prefix))
                found << line;
        }
        return found;
    }

private:
    class Program final : public postinstall::StartedProgram {
    public:
        Program(FakePlatform& platform, QString line, int polls)
            : m_platform(platform), m_line(std::move(line)), m_pollsLeft(polls) {}
        bool hasEnded() override {
            if (m_pollsLeft <= 0)
                return true;
            if (--m_pollsLeft > 0) {
                m_platform.write(QStringLiteral("running %1").arg(m_line));
                return false;
            }
            --m_platform.running;
            m_platform.write(QStringLiteral("ended %1").arg(m_line));
            return true;
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

    void throwIfAsked() const {
        if (shortcutStepsThrow)
            throw postinstall::PlatformError();
    }
};

// Counts what the routines ask of the windows while they wait.
class CountingEvents final : public postinstall::EventPump {
public:
    explicit CountingEvents(FakePlatform& platform) : m_platform(platform) {}
    void processPendingEvents() override { m_platform.log << QStringLiteral("events"); }
    void pause(int milliseconds) override {
        m_platform.log << QStringLiteral("pause %1").arg(milliseconds);
    }

private:
    FakePlatform& m_platform;
};

} // namespace pelorin::testing
