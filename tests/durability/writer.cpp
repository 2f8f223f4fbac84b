// Rewrites every setting of the plan in turn, generation after generation, through the program's
// own WriteIni until it is killed. Arguments: the settings file and the run number. Prints
// "ready" once its first value is stored, so the test can time its kill from there and every kill
// lands among the writes rather than in the start-up.
#include "settings/settings.h"
#include "writeplan.h"

#include <QDeadlineTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SETTINGS-FILE RUN\n", argv[0]);
        return EXIT_FAILURE;
    }
    pelorin::setSettingsFilePath(QString::fromLocal8Bit(argv[1]));
    const int run = QByteArray(argv[2]).toInt();
    const QList<durability::Setting> settings = durability::settings();

    // Never outlives a test that died before it could kill us.
    const QDeadlineTimer giveUp(30000);
    for (int generation = 1; !giveUp.hasExpired(); ++generation) {
        for (int n = 0; n < settings.size(); ++n) {
            const QString value = durability::valueFor(n, run, generation);
            if (!pelorin::WriteIni(settings[n].section, settings[n].key, value)) {
                std::fprintf(stderr, "write %d of generation %d failed\n", n, generation);
                return 2;
            }
            if (generation == 1 && n == 0) {
                std::printf("ready\n");
                std::fflush(stdout);
            }
        }
    }
    return EXIT_SUCCESS;
}
