// The platform layer on Windows: plain Win32 and COM.

#include "postinstall/commandline.h"
#include "postinstall/platform.h"
#include "postinstall/platform/win32com.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace pelorin::postinstall {

namespace {

using win32::ComApartment;
using win32::ComPtr;
using win32::Handle;

// The version record of the ANSI interface, as the version test expects it.
static_assert(sizeof(OSVERSIONINFOA) == 148);

using GetVersionExAFunction = BOOL(WINAPI*)(LPOSVERSIONINFOA);

// Looked up at run time: a system without it raises an error instead of refusing to start.
GetVersionExAFunction getVersionExA() {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const FARPROC address = kernel ? GetProcAddress(kernel, "GetVersionExA") : nullptr;
    if (!address)
        throw PlatformError();
    return reinterpret_cast<GetVersionExAFunction>(reinterpret_cast<void (*)()>(address));
}

class Win32Program final : public StartedProgram {
public:
    explicit Win32Program(HANDLE process) : m_process(process) {}
    bool hasEnded() override { return WaitForSingleObject(m_process.get(), 0) != WAIT_TIMEOUT; }

private:
    const Handle m_process;
};

WORD showCommand(WindowStyle style) {
    return style == WindowStyle::MinimizedFocus ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
}

const KNOWNFOLDERID& knownFolder(SpecialFolder folder) {
    return folder == SpecialFolder::Desktop ? FOLDERID_Desktop : FOLDERID_Programs;
}

class WindowsPlatform final : public Platform {
public:
    const PathRules& pathRules() const override { return WindowsPathRules; }

    VersionRecord versionRecord() override {
        OSVERSIONINFOA record{};
        record.dwOSVersionInfoSize = sizeof(record);
        getVersionExA()(&record);
        return VersionRecord{record.dwPlatformId, record.dwMajorVersion, record.dwMinorVersion};
    }

    std::optional<RegistryHandle> openMachineKey(const std::string& subKey, std::uint32_t options,
                                                 std::uint32_t accessMask) override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey.c_str(), options, accessMask, &key) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return reinterpret_cast<RegistryHandle>(key);
    }

    std::optional<std::uint32_t> queryFourByteValue(RegistryHandle key,
                                                    const std::string& valueName) override {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
            return std::nullopt;
        return value;
    }

    void closeKey(RegistryHandle key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }

    std::unique_ptr<StartedProgram> start(const Command& command, WindowStyle style) override {
        std::wstring line = windowsCommandLine(command);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = showCommand(style);
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process))
            return nullptr;
        CloseHandle(process.hThread);
        // Both styles give the new program the focus.
        AllowSetForegroundWindow(process.dwProcessId);
        return std::make_unique<Win32Program>(process.hProcess);
    }

    std::wstring specialFolder(SpecialFolder folder) override {
        PWSTR path = nullptr;
        const HRESULT result = SHGetKnownFolderPath(knownFolder(folder), 0, nullptr, &path);
        std::wstring text = SUCCEEDED(result) && path ? std::wstring(path) : std::wstring();
        CoTaskMemFree(path);
        return text;
    }

    std::wstring expandEnvironmentStrings(const std::wstring& text) override {
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
        if (needed == 0)
            throw PlatformError();
        std::vector<wchar_t> buffer(needed);
        const DWORD written = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), needed);
        if (written == 0 || written > needed)
            throw PlatformError();
        return std::wstring(buffer.data(), written - 1);
    }

    bool deleteFile(const std::wstring& path) override { return DeleteFileW(path.c_str()) != 0; }

    bool saveShortcut(const std::wstring& path, const ShortcutProperties& properties) override {
        const ComApartment apartment;
        if (!apartment.usable())
            return false;
        ComPtr<IShellLinkW> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(IShellLinkW), link.put())))
            return false;
        link->SetPath(properties.targetPath.c_str());
        link->SetWorkingDirectory(properties.workingDirectory.c_str());
        link->SetShowCmd(properties.windowStyle);
        ComPtr<IPersistFile> file;
        return link.queryInto(file) && SUCCEEDED(file->Save(path.c_str(), TRUE));
    }
};

} // namespace

std::unique_ptr<Platform> makeSystemPlatform() {
    return std::make_unique<WindowsPlatform>();
}

} // namespace pelorin::postinstall
