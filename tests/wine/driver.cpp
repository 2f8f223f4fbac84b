// Drives the Windows platform layer and the post-install routines on real Win32 (under Wine on
// Linux, see run.sh). No Qt. Every check prints "ok: ..." or "FAIL: ..."; the exit code is the
// number of failures.
//   driver osversion                 prints the version record and its name
//   driver uac                       prints IsUACEnabled as 0 or 1
//   driver shortcuts                 makes, replaces and deletes the two shortcuts
//   driver wait                      starts programs and waits for them to end
//   driver tool FOLDER               starts FOLDER\Pelorin as the sequence does and waits
//   driver child MS FILE             (started by "wait") sleeps MS ms, then writes FILE
//   driver                           (as "Pelorin.exe", started by "tool") marks its own start

#include "postinstall/commandline.h"
#include "postinstall/moduac.h"
#include "postinstall/osversion.h"
#include "postinstall/platform.h"
#include "postinstall/platform/win32com.h"
#include "postinstall/shortcuts.h"

#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace pelorin::postinstall;
using win32::ComApartment;
using win32::ComPtr;

int g_failures = 0;

std::string utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

void check(bool condition, const std::string& what) {
    std::printf("%s: %s\n", condition ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!condition)
        ++g_failures;
}

void checkEqual(const std::wstring& actual, const std::wstring& expected, const std::string& what) {
    check(actual == expected,
          what + " (got '" + utf8(actual) + "', expected '" + utf8(expected) + "')");
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ownPath() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length);
}

std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

// What a shortcut file records, read back through the shell-link interface.
struct ReadShortcut {
    bool loaded = false;
    std::wstring target;
    std::wstring workingDirectory;
    int showCommand = 0;
};

ReadShortcut readShortcut(const std::wstring& path) {
    ReadShortcut result;
    const ComApartment apartment;
    ComPtr<IShellLinkW> link;
    if (!apartment.usable() ||
        FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IShellLinkW), link.put())))
        return result;
    ComPtr<IPersistFile> file;
    if (!link.queryInto(file) || FAILED(file->Load(path.c_str(), STGM_READ)))
        return result;
    std::vector<wchar_t> text(MAX_PATH * 4);
    if (SUCCEEDED(link->GetPath(text.data(), static_cast<int>(text.size()), nullptr, SLGP_RAWPATH)))
        result.target = text.data();
    if (SUCCEEDED(link->GetWorkingDirectory(text.data(), static_cast<int>(text.size()))))
        result.workingDirectory = text.data();
    link->GetShowCmd(&result.showCommand);
    result.loaded = true;
    return result;
}

// The window style as the file stores it: the shell-link interface reads back any value other
// than normal, maximised and minimised as normal.
int storedShowCommand(const std::wstring& path) {
    constexpr DWORD ShowCommandOffset = 0x3c;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    unsigned char header[ShowCommandOffset + 4] = {};
    DWORD read = 0;
    const bool complete =
        ReadFile(file, header, sizeof(header), &read, nullptr) && read == sizeof(header);
    CloseHandle(file);
    if (!complete)
        return -1;
    const unsigned char* const field = header + ShowCommandOffset;
    return field[0] | field[1] << 8 | field[2] << 16 | field[3] << 24;
}

void checkShortcut(const std::wstring& path, const std::wstring& target, const std::wstring& folder,
                   const std::string& name) {
    check(fileExists(path), name + " exists");
    const ReadShortcut made = readShortcut(path);
    check(made.loaded, name + " can be read");
    checkEqual(made.target, target, name + " target");
    checkEqual(made.workingDirectory, folder, name + " working directory");
    const int stored = storedShowCommand(path);
    check(stored == 4, name + " window style 4 (stored " + std::to_string(stored) + ", read " +
                           std::to_string(made.showCommand) + ")");
}

std::wstring expanded(const std::wstring& text) {
    return makeSystemPlatform()->expandEnvironmentStrings(text);
}

int osVersion() {
    const std::unique_ptr<Platform> platform = makeSystemPlatform();
    const VersionRecord record = platform->versionRecord();
    std::printf("record %lu %lu %lu\n", static_cast<unsigned long>(record.platformId),
                static_cast<unsigned long>(record.majorVersion),
                static_cast<unsigned long>(record.minorVersion));
    std::printf("name %s\n", GetOSVersion(*platform).c_str());
    return 0;
}

int uac() {
    const std::unique_ptr<Platform> platform = makeSystemPlatform();
    std::printf("uac %d\n", modUAC::IsUACEnabled(*platform) ? 1 : 0);
    return 0;
}

int shortcuts() {
    const std::unique_ptr<Platform> platform = makeSystemPlatform();
    const ShortcutPaths paths = shortcutPaths(*platform);
    check(!paths.desktop.empty() && !paths.startMenu.empty(), "both shortcut folders known");
    const std::wstring startFolder = folderOf(paths.startMenu);
    RemoveDirectoryW(startFolder.c_str());

    // Without the Start-menu folder: the desktop shortcut only, and the folder is not made.
    CreateShortcuts(*platform, L"C:\\Pelorin First");
    checkShortcut(paths.desktop, L"C:\\Pelorin First\\Pelorin.exe", L"C:\\Pelorin First",
                  "desktop shortcut");
    check(!fileExists(startFolder), "Start-menu folder not created");

    // With it: both, and the old desktop shortcut replaced; folders are expanded.
    check(CreateDirectoryW(startFolder.c_str(), nullptr) != 0, "Start-menu folder made by test");
    const std::wstring folder = L"%SystemDrive%\\Program Files\\Pelorin";
    CreateShortcuts(*platform, folder);
    const std::wstring realFolder = expanded(folder);
    check(realFolder.find(L'%') == std::wstring::npos, "environment expanded");
    for (const std::wstring& path : {paths.desktop, paths.startMenu})
        checkShortcut(path, realFolder + L"\\Pelorin.exe", realFolder,
                      path == paths.desktop ? "replaced desktop shortcut" : "Start-menu shortcut");

    // A root folder: no second backslash in the target.
    CreateShortcuts(*platform, L"C:\\");
    checkShortcut(paths.desktop, L"C:\\Pelorin.exe", L"C:\\", "root-folder shortcut");

    check(platform->deleteFile(paths.desktop) && !fileExists(paths.desktop),
          "desktop shortcut deleted");
    check(platform->deleteFile(paths.startMenu) && !fileExists(paths.startMenu),
          "Start-menu shortcut deleted");
    check(!platform->deleteFile(paths.desktop), "deleting a missing file fails");
    RemoveDirectoryW(startFolder.c_str());
    return g_failures;
}

class SleepingEvents final : public EventPump {
public:
    int polls = 0;
    void processPendingEvents() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    void pause(int milliseconds) override {
        ++polls;
        Sleep(static_cast<DWORD>(milliseconds));
    }
};

int wait() {
    const std::unique_ptr<Platform> platform = makeSystemPlatform();
    check(!platform->start({L"C:\\nowhere\\nothing.exe", {}}, WindowStyle::MinimizedFocus),
          "a missing program cannot be started");

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"wait test";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring marker = folder + L"\\ended marker.txt";
    DeleteFileW(marker.c_str());

    const DWORD began = GetTickCount();
    const std::unique_ptr<StartedProgram> program =
        platform->start({ownPath(), {L"child", L"400", marker}}, WindowStyle::MinimizedFocus);
    check(program != nullptr, "child started");
    if (!program)
        return g_failures;
    SleepingEvents events;
    modUAC::waitUntilEnded(*program, events);
    const DWORD waited = GetTickCount() - began;
    check(fileExists(marker), "waited until the child had written its file");
    check(waited >= 350, "waited the child's 400 ms (" + std::to_string(waited) + " ms)");
    check(events.polls > 10, "polled while waiting (" + std::to_string(events.polls) + ")");
    DeleteFileW(marker.c_str());
    return g_failures;
}

int tool(const std::wstring& folder) {
    const std::unique_ptr<Platform> platform = makeSystemPlatform();
    const std::wstring marker = folder + L"\\started.txt";
    DeleteFileW(marker.c_str());
    const Command command = toolCommand(folder, platform->pathRules());
    std::printf("command line: %s\n", utf8(windowsCommandLine(command)).c_str());
    const std::unique_ptr<StartedProgram> program =
        platform->start(command, WindowStyle::NormalFocus);
    check(program != nullptr, "tool in a folder with spaces started without its extension");
    if (!program)
        return g_failures;
    SleepingEvents events;
    modUAC::waitUntilEnded(*program, events);
    check(fileExists(marker), "the started tool ran");
    return g_failures;
}

int child(const std::wstring& milliseconds, const std::wstring& file) {
    Sleep(static_cast<DWORD>(std::stoul(milliseconds)));
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(handle);
    return 0;
}

int markStart() {
    return child(L"0", folderOf(ownPath()) + L"\\started.txt");
}

} // namespace

int wmain(int argc, wchar_t* argv[]) {
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.empty())
        return markStart();
    const std::wstring& command = args.front();
    if (command == L"osversion")
        return osVersion();
    if (command == L"uac")
        return uac();
    if (command == L"shortcuts")
        return shortcuts();
    if (command == L"wait")
        return wait();
    if (command == L"tool" && args.size() == 2)
        return tool(args[1]);
    if (command == L"child" && args.size() == 3)
        return child(args[1], args[2]);
    std::fprintf(stderr, "unknown command\n");
    return 100;
}
