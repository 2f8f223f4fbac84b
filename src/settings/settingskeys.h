#pragma once

#include <QString>

#include <optional>

namespace pelorin {

struct SettingName {
    QString section;
    QString key;
};

// The section and key as the program writes them, for any letter case of a known name;
// nothing when the program has no such setting.
std::optional<SettingName> knownSetting(const QString& section, const QString& key);

// Why `value` cannot be stored under any key as it is (the empty text when it can): line breaks
// and NUL would break the file's lines, and a read gives back at most IniFile::MaxValueBytes, so
// a longer value would come back cut.
QString plainValueProblem(const QString& value);

// Whether the setting holds a server URL: URL, List-1 ... List-100.
bool isUrlSetting(const SettingName& name);

// A URL as it may be shown anywhere: the password of a "user:password@" part is replaced by
// asterisks. Every printed URL goes through it.
QString urlForDisplay(const QString& url);

// Why `value` cannot be stored under a known setting (the empty text when it can): positions
// are numbers, URLs are http or https addresses, MAC addresses six hexadecimal groups.
QString settingValueProblem(const SettingName& name, const QString& value);

} // namespace pelorin
