#include "cli/cli.h"
#include "cli/terminal.h"
#include "common/language.h"
#include "common/timing.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

// Qt's own warnings ("QIODevice::write (QTcpSocket): device not open", now and then from its
// SOCKS code) mean nothing to pelorinctl's users and would break the one-line errors scripts
// read; PELORIN_DEBUG lets them through for whoever looks into a problem.
void dropQtMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("PELORIN_DEBUG"))
        qInstallMessageHandler(dropQtMessages);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelorinctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELORIN_VERSION));
    pelorin::installTranslations();
    pelorin::timing::applyScaleFromEnvironment();

    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile input;
    // Unbuffered: a password line is taken from standard input and nothing after it.
    input.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered);
    pelorin::cli::RunInput system;
    system.input = &input;
    system.inputIsTerminal = pelorin::cli::stdinIsTerminal();
    return pelorin::cli::run(QCoreApplication::arguments().mid(1), out, err, system);
}
