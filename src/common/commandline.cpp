#include "common/commandline.h"

#include <cstdio>
#include <cstring>

namespace pelorin {

std::optional<int> answerHelpOrVersion(int argc, const char* const argv[], const char* program,
                                       const char* summary) {
    for (int i = 1; i < argc; ++i) {
        const char* const argument = argv[i];
        if (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-V") == 0) {
            std::printf("%s %s\n", program, PELORIN_VERSION);
            return 0;
        }
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            std::printf("Usage: %s [--help | --version]\n\n%s\n", program, summary);
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace pelorin
