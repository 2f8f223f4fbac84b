// Prints the settings file that Pelorin's programs use when started from this program's folder.
#include "settings/settings.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    const QCoreApplication app(argc, argv);
    QTextStream(stdout) << pelorin::defaultSettingsFilePath() << Qt::endl;
}
