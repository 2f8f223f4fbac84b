// The program's own settings calls in a process of their own, for the tests that need several
// processes or a file system of their own. Modes:
//   writer FILE RUN           rewrites every setting of the plan in turn, generation after
//                             generation, until killed; prints "ready" after its first write
//   writer --keys FILE TAG N  writes keys "TAG-1" to "TAG-N" in section "Keys"; prints why a
//                             write failed and exits 2, if one did
//   writer --hold FILE        holds the file's write lock until killed; prints "locked"
#include "settings/settings.h"
#include "writeplan.h"

#include <QDeadlineTimer>
#include <QLockFile>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace {

// Never outlives a test that died before it could kill us.
constexpr int GiveUpMs = 30000;

int say(const QString& text, int exitCode) {
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
    return exitCode;
}

int writeForever(int run) {
    const QList<durability::Setting> settings = durability::settings();
    const QDeadlineTimer giveUp(GiveUpMs);
    for (int generation = 1; !giveUp.hasExpired(); ++generation) {
        for (int n = 0; n < settings.size(); ++n) {
            if (!pelorin::WriteIni(settings[n].section, settings[n].key,
                                   durability::valueFor(n, run, generation)))
                return 2;
            if (generation == 1 && n == 0)
                say(QStringLiteral("ready"), 0);
        }
    }
    return 0;
}

int writeKeys(const QString& tag, int count) {
    for (int n = 1; n <= count; ++n) {
        const auto result =
            pelorin::WriteIniChecked(QStringLiteral("Keys"), tag + u'-' + QString::number(n), tag);
        if (result != pelorin::IniFile::WriteResult::Written)
            return say(pelorin::IniFile(pelorin::settingsFilePath()).describe(result), 2);
    }
    return 0;
}

int holdLock() {
    QLockFile lock(pelorin::settingsFilePath() + QStringLiteral(".lock"));
    if (!lock.tryLock(0))
        return 2;
    say(QStringLiteral("locked"), 0);
    QThread::msleep(GiveUpMs);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const QString mode = QString::fromLocal8Bit(argc > 1 ? argv[1] : "");
    const int first = mode.startsWith(u"--") ? 2 : 1;
    const QString file = QString::fromLocal8Bit(argc > first ? argv[first] : "");
    pelorin::setSettingsFilePath(file);
    if (first == 1 && argc == 3)
        return writeForever(atoi(argv[2]));
    if (mode == u"--keys" && argc == 5)
        return writeKeys(QString::fromLocal8Bit(argv[3]), atoi(argv[4]));
    if (mode == u"--hold" && argc == 3)
        return holdLock();
    std::fprintf(stderr, "usage: %s [--keys|--hold] SETTINGS-FILE ...\n", argv[0]);
    return 1;
}
