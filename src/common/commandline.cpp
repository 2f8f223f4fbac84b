#include "common/commandline.h"

#include "common/language.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>

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
            // The help is in the user's language; the catalogue needs an application object,
            // and a core one opens no display.
            int count = 1;
            char* name[] = {const_cast<char*>(argv[0]), nullptr};
            const std::unique_ptr<QCoreApplication> app =
                QCoreApplication::instance() ? nullptr
                                             : std::make_unique<QCoreApplication>(count, name);
            installTranslations();
            const QString text =
                QCoreApplication::translate("commandline", "使い方: %1 [--help | --version]")
                    .arg(QString::fromUtf8(program)) +
                QStringLiteral("\n\n") + QCoreApplication::translate("commandline", summary) +
                u'\n';
            std::fputs(text.toLocal8Bit().constData(), stdout);
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace pelorin
