#pragma once

// A platform layer and event pump for tests: answers as configured and logs what it is asked.

#include "postinstall/commandline.h"
#include "postinstall/platform.h"

#include <QStringList>

#include <functional>
#include <map>

namespace pelorin::testing {

using namespace pelorin::postinstall;

// The steps of CreateShortcuts in the fake's folders: the old shortcuts deleted, new ones saved.
inline const QStringList ShortcutSteps{
    QStringLiteral("delete C:\\Users\\taro\\Desktop\\ペロリン.lnk"),
    QStringLiteral("delete C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk"),
    QStringLiteral("save C:\\Users\\taro\\Desktop\\ペロリン.lnk"),
    QStringLiteral("save C:\\Users\\taro\\Start Menu\\Programs\\ペロリン\\ペロリン.lnk")};

class FakePlatform final : public Platform, public EventPump {
public:
    std::optional<VersionRecord> version = VersionRecord{2, 5, 1};
    std::optional<std::uint32_t> enableLua;
    int registryFault = 0; // 1: the key is missing, 2: the registry fails
    std::wstring unstartable;
    std::wstring desktopFolder = L"C:\\Users\\taro\\Desktop";
    bool shortcutStepsThrow = false;

    // What happened; onLog sees every log line as it is written.
    QStringList log;
    std::function<void(const QString&)> onLog;
    std::map<std::wstring, ShortcutProperties> shortcuts;
    int openKeys = 0;

    const PathRules& pathRules() const override { return WindowsPathRules; }
    VersionRecord versionRecord() override { return version ? *version : throw PlatformError(); }
    std::optional<RegistryHandle> openMachineKey(const std::string&, std::uint32_t,
                                                 std::uint32_t) override {
        if (registryFault == 2)
            throw PlatformError();
        openKeys += registryFault == 0;
        return registryFault == 0 ? std::optional<RegistryHandle>(7) : std::nullopt;
    }
    std::optional<std::uint32_t> queryFourByteValue(RegistryHandle key,
                                                    const std::string&) override {
        return key == 7 ? enableLua : std::nullopt;
    }
    void closeKey(RegistryHandle key) override { openKeys -= key == 7; }

    std::unique_ptr<StartedProgram> start(const Command& command, WindowStyle style) override {
        const QString line = QString::fromStdWString(plainCommandLine(command));
        write(QStringLiteral("start %1 [%2]").arg(line).arg(int(style)));
        return command.program == unstartable ? nullptr : std::make_unique<Program>(*this, line);
    }

    std::wstring specialFolder(SpecialFolder folder) override {
        return folder == SpecialFolder::Desktop ? desktopFolder
                                                : L"C:\\Users\\taro\\Start Menu\\Programs";
    }
    std::wstring expandEnvironmentStrings(const std::wstring& text) override {
        step("expand", text);
        return text.starts_with(L"%ProgramFiles%") ? L"C:\\Program Files" + text.substr(14) : text;
    }
    bool deleteFile(const std::wstring& path) override { return step("delete", path); }
    bool saveShortcut(const std::wstring& path, const ShortcutProperties& properties) override {
        shortcuts[path] = properties;
        return step("save", path);
    }

    void processPendingEvents() override { write(QStringLiteral("events")); }
    void pause(int milliseconds) override { write(QStringLiteral("pause %1").arg(milliseconds)); }

private:
    // Ends at its third poll.
    struct Program final : StartedProgram {
        Program(FakePlatform& platform, const QString& line) : platform(platform), line(line) {}
        bool hasEnded() override {
            return --polls == 0 ? platform.write("ended " + line) : polls < 0;
        }
        FakePlatform& platform;
        const QString line;
        int polls = 3;
    };

    bool write(const QString& line) { // true: a program's end is written last
        log << line;
        if (onLog)
            onLog(line);
        return true;
    }
    // Logs a shortcut step, then fails it if asked to.
    bool step(const char* name, const std::wstring& path) {
        write(QLatin1String(name) + u' ' + QString::fromStdWString(path));
        return shortcutStepsThrow ? throw PlatformError() : true;
    }
};

} // namespace pelorin::testing
