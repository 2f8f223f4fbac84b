#include "postinstall/commandline.h"

namespace pelorin::postinstall {

namespace {

bool needsQuotes(const std::wstring& part) {
    return part.empty() || part.find_first_of(L" \t\n\v\"") != std::wstring::npos;
}

// The program's own name ends at the closing quote; backslashes in it are taken literally.
std::wstring quotedProgram(const std::wstring& program) {
    return needsQuotes(program) ? L'"' + program + L'"' : program;
}

// Backslashes count only in front of a quote: there they are doubled, and the quote escaped.
std::wstring quotedArgument(const std::wstring& argument) {
    if (!needsQuotes(argument))
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            quoted.append(backslashes * 2 + 1, L'\\');
        else
            quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

} // namespace

std::wstring windowsCommandLine(const Command& command) {
    std::wstring line = quotedProgram(command.program);
    for (const std::wstring& argument : command.arguments)
        line += L' ' + quotedArgument(argument);
    return line;
}

std::wstring plainCommandLine(const Command& command) {
    std::wstring line = command.program;
    for (const std::wstring& argument : command.arguments)
        line += L' ' + argument;
    return line;
}

} // namespace pelorin::postinstall
