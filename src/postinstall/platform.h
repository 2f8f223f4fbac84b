#pragma once

// The operating-system services the post-install program uses, behind one interface with one
// implementation per platform (chosen at build time) and a fake for tests. Nothing here uses Qt,
// so the Windows implementation and everything built on this interface also build and run
// without it.

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelorin::postinstall {

// Thrown by a platform operation that raises an error instead of reporting failure.
class PlatformError : public std::exception {
public:
    const char* what() const noexcept override { return "platform operation failed"; }
};

// The three fields read from the version record that GetVersionExA fills.
struct VersionRecord {
    std::uint32_t platformId = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
};

// How paths and file names are spelled on a platform.
struct PathRules {
    wchar_t separator;
    std::wstring toolLaunchName;     // the tool as started: the system supplies any extension
    std::wstring toolExecutableName; // the tool's file, as a shortcut points at it
    std::wstring shortcutFileName;
};

inline const PathRules WindowsPathRules{L'\\', L"Pelorin", L"Pelorin.exe", L"ペロリン.lnk"};
inline const PathRules PosixPathRules{L'/', L"Pelorin", L"Pelorin", L"ペロリン.desktop"};

// A program and its arguments; each part stays one argument whatever characters it holds.
struct Command {
    std::wstring program;
    std::vector<std::wstring> arguments;
};

enum class WindowStyle : int {
    NormalFocus = 1,
    MinimizedFocus = 2,
};

// A program that was started. Letting go of it does not end the program.
class StartedProgram {
public:
    virtual ~StartedProgram() = default;
    // True once the program has ended.
    virtual bool hasEnded() = 0;
};

enum class SpecialFolder {
    Desktop,  // the current user's desktop folder
    Programs, // the current user's Start-menu program folder
};

// What a shortcut file records.
struct ShortcutProperties {
    std::wstring targetPath;
    std::wstring workingDirectory;
    int windowStyle = 0;
};

using RegistryHandle = std::uintptr_t;

class Platform {
public:
    virtual ~Platform() = default;

    virtual const PathRules& pathRules() const = 0;

    // Fills a zeroed version record through GetVersionExA; a failing call leaves it zero.
    // Throws PlatformError when the call cannot be made at all.
    virtual VersionRecord versionRecord() = 0;

    // Registry keys under HKEY_LOCAL_MACHINE. A key that was opened must be closed.
    virtual std::optional<RegistryHandle>
    openMachineKey(const std::string& subKey, std::uint32_t options, std::uint32_t accessMask) = 0;
    // Reads a value into a 4-byte buffer, whatever its registry type.
    virtual std::optional<std::uint32_t> queryFourByteValue(RegistryHandle key,
                                                            const std::string& valueName) = 0;
    virtual void closeKey(RegistryHandle key) = 0;

    // Starts a program without waiting for it; nullptr when it cannot be started.
    virtual std::unique_ptr<StartedProgram> start(const Command& command, WindowStyle style) = 0;

    // The folder's path without a trailing separator; empty when it is not known.
    virtual std::wstring specialFolder(SpecialFolder folder) = 0;
    virtual std::wstring expandEnvironmentStrings(const std::wstring& text) = 0;
    // False when the file could not be deleted (for example because it does not exist).
    virtual bool deleteFile(const std::wstring& path) = 0;
    // Writes a shortcut file; false when it could not be saved. The folder is not created.
    virtual bool saveShortcut(const std::wstring& path, const ShortcutProperties& properties) = 0;
};

// While the post-install program waits for a started program, the windows stay alive through
// these two calls.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processPendingEvents() = 0;
    virtual void pause(int milliseconds) = 0;
};

// The implementation for the platform this program was built for.
std::unique_ptr<Platform> makeSystemPlatform();

} // namespace pelorin::postinstall
