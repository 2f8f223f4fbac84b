#pragma once

#include "postinstall/platform.h"

#include <string>

namespace pelorin::postinstall {

namespace osname {
inline constexpr auto Vista = "VISTA";
inline constexpr auto Failed = "Failed";
} // namespace osname

// The name of the Windows version the record describes ("95", "98", "Me", "NT4", "2000", "XP",
// "2003", "VISTA"); the empty text when no version matches.
std::string osVersionName(const VersionRecord& record);

// The name of the version this program runs on; "Failed" when the platform raised an error.
std::string GetOSVersion(Platform& platform);

} // namespace pelorin::postinstall
