#pragma once

#include "postinstall/platform.h"

#include <string>

namespace pelorin::postinstall {

// The command line that a Windows program's start-up code splits back into exactly this program
// and these arguments. Parts that need no quotes are left bare, so "regsvr32 /s msinet.ocx"
// reads as it always did; a program path with spaces is quoted as a whole.
std::wstring windowsCommandLine(const Command& command);

// The command line as a person reads it (the parts joined by spaces, nothing quoted).
std::wstring plainCommandLine(const Command& command);

} // namespace pelorin::postinstall
