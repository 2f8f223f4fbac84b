#include "postinstall/shortcuts.h"

namespace pelorin::postinstall {

namespace {

std::wstring joined(const std::wstring& folder, const std::wstring& name, wchar_t separator) {
    return folder + separator + name;
}

// The shortcut in `folder`, or nothing when the folder is not known: a shortcut is never made
// in whatever folder an empty path would point at.
std::wstring shortcutIn(const std::wstring& folder, const std::wstring& name, wchar_t separator) {
    return folder.empty() ? std::wstring() : joined(folder, name, separator);
}

std::wstring desktopShortcut(const std::wstring& desktopFolder, const PathRules& rules) {
    return shortcutIn(desktopFolder, rules.shortcutFileName, rules.separator);
}

std::wstring startMenuShortcut(const std::wstring& programsFolder, const PathRules& rules) {
    return shortcutIn(shortcutIn(programsFolder, StartMenuFolderName, rules.separator),
                      rules.shortcutFileName, rules.separator);
}

// Runs one step of CreateShortcuts; an error it raises is ignored and the routine goes on.
template <typename Step> void ignoringErrors(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

std::wstring folderOrNothing(Platform& platform, SpecialFolder folder) {
    std::wstring path;
    ignoringErrors([&] { path = platform.specialFolder(folder); });
    return path;
}

void deleteShortcut(Platform& platform, const std::wstring& path) {
    if (!path.empty())
        ignoringErrors([&] { platform.deleteFile(path); });
}

void saveShortcut(Platform& platform, const std::wstring& path, const std::wstring& target,
                  const std::wstring& programFolder) {
    if (path.empty())
        return;
    ignoringErrors([&] {
        const ShortcutProperties properties{platform.expandEnvironmentStrings(target),
                                            platform.expandEnvironmentStrings(programFolder),
                                            ShortcutWindowStyle};
        platform.saveShortcut(path, properties);
    });
}

} // namespace

std::wstring shortcutTarget(const std::wstring& programFolder, const PathRules& rules) {
    if (!programFolder.empty() && programFolder.back() == rules.separator)
        return programFolder + rules.toolExecutableName;
    return joined(programFolder, rules.toolExecutableName, rules.separator);
}

Command toolCommand(const std::wstring& programFolder, const PathRules& rules) {
    return Command{joined(programFolder, rules.toolLaunchName, rules.separator), {}};
}

ShortcutPaths shortcutPaths(Platform& platform) {
    const PathRules& rules = platform.pathRules();
    return ShortcutPaths{
        desktopShortcut(folderOrNothing(platform, SpecialFolder::Desktop), rules),
        startMenuShortcut(folderOrNothing(platform, SpecialFolder::Programs), rules)};
}

void CreateShortcuts(Platform& platform, const std::wstring& programFolder) {
    const PathRules& rules = platform.pathRules();
    const std::wstring desktop =
        desktopShortcut(folderOrNothing(platform, SpecialFolder::Desktop), rules);
    deleteShortcut(platform, desktop);
    const std::wstring startMenu =
        startMenuShortcut(folderOrNothing(platform, SpecialFolder::Programs), rules);
    deleteShortcut(platform, startMenu);

    const std::wstring target = shortcutTarget(programFolder, rules);
    saveShortcut(platform, desktop, target, programFolder);
    saveShortcut(platform, startMenu, target, programFolder);
}

} // namespace pelorin::postinstall
