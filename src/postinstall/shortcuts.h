#pragma once

#include "postinstall/platform.h"

#include <string>

namespace pelorin::postinstall {

inline constexpr auto StartMenuFolderName = L"ペロリン";
inline constexpr int ShortcutWindowStyle = 4;

// The tool's executable as a shortcut points at it: the program folder and the file name, with
// no separator added when the folder (a drive's root folder) already ends in one.
std::wstring shortcutTarget(const std::wstring& programFolder, const PathRules& rules);

// The tool as it is started: the program folder, a separator and the tool's name, as one
// program path so that spaces in the folder do no harm.
Command toolCommand(const std::wstring& programFolder, const PathRules& rules);

struct ShortcutPaths {
    std::wstring desktop;   // empty when the desktop folder is not known
    std::wstring startMenu; // empty when the Start-menu program folder is not known
};
ShortcutPaths shortcutPaths(Platform& platform);

// Deletes the desktop and Start-menu shortcuts and makes them anew, pointing at the tool in the
// program folder. Every failure is ignored and the routine goes on; the Start-menu folder is not
// created (the installer makes it).
void CreateShortcuts(Platform& platform, const std::wstring& programFolder);

} // namespace pelorin::postinstall
