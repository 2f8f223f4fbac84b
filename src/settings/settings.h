#pragma once

#include "settings/inifile.h"

#include <QString>

namespace pelorin {

// Section and key names as they stand in setting.ini.
namespace ini {
inline constexpr auto Pos = "Pos";
inline constexpr auto Form = "Form";
inline constexpr auto Server = "Server";
inline constexpr auto Show = "Show";
inline constexpr auto URL = "URL";
inline constexpr auto UserName = "UserName";
inline constexpr auto Password = "Password";
inline constexpr auto Address = "Address";
inline constexpr auto Mac = "Mac";
QString listKey(int n); // "List-1" ... "List-100"
QString macKey(int n);  // "Mac-1" ... "Mac-5"
inline constexpr int ListSlots = 100;
inline constexpr int MacSlots = 5;
} // namespace ini

inline constexpr auto SettingsFileName = "setting.ini";

// Where setting.ini lives: beside the executable when it already exists there or that folder
// is writable (a portable copy, and how tests isolate themselves); otherwise in the per-user
// configuration folder shared by every Pelorin program.
QString defaultSettingsFilePath();

// The file ReadIni and WriteIni work on: defaultSettingsFilePath() unless a caller chose another.
QString settingsFilePath();
void setSettingsFilePath(const QString& path);

// The value of `key` in `section` of the settings file; the empty text when missing.
QString ReadIni(const QString& section, const QString& key);

// Stores the value at once. Returns whether the file now holds it; callers that cannot act on a
// failure ignore the result.
bool WriteIni(const QString& section, const QString& key, const QString& value);

// Same, with the reason a write did not happen; IniFile::describe gives it in words.
IniFile::WriteResult WriteIniChecked(const QString& section, const QString& key,
                                     const QString& value);

// Whether the settings file can be used as it stands (IniFile::problem). Reads of an unusable
// file give the empty text and the window's writes fail silently, so programs check this at
// start-up to tell the user; IniFile::describe gives the reason in words.
IniFile::Problem settingsFileProblem();

} // namespace pelorin
