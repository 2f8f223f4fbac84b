#pragma once

#include "rules/settingnames.h"

#include <QString>

namespace pelorin {

// Why `value` cannot be stored under any key as it is (the empty text when it can): line breaks
// and NUL would break the file's lines, and a read gives back at most IniFile::MaxValueBytes, so
// a longer value would come back cut.
QString plainValueProblem(const QString& value);

// Why `value` cannot be stored under a known setting (the empty text when it can): positions
// are numbers, URLs are http or https addresses, MAC addresses six hexadecimal groups.
QString settingValueProblem(const SettingName& name, const QString& value);

} // namespace pelorin
