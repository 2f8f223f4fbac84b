// The program's own settings calls in a process of their own, for the tests that need several
// processes or a file system of their own. Modes:
//   writer FILE RUN            rewrites every setting of the plan in turn, generation after
//                              generation, until killed; prints "ready" once its first value is
//                              stored, so the test can time its kill among the writes
//   writer --keys FILE TAG N   writes N keys of its own ("TAG-1" ... in section "Keys") once
//   writer --once FILE SECTION KEY VALUE
//                              one write; prints why it failed, if it did
//   writer --hold FILE         holds the file's write lock until killed; prints "locked"
// Every mode exits 0 only when all its writes succeeded.
#include "settings/settings.h"
#include "writeplan.h"

#include <QDeadlineTimer>
#include <QLockFile>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace {

using pelorin::IniFile;

// Never outlives a test that died before it could kill us.
constexpr int GiveUpMs = 30000;

void say(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

int writeForever(int run) {
    const QList<durability::Setting> settings = durability::settings();
    const QDeadlineTimer giveUp(GiveUpMs);
    for (int generation = 1; !giveUp.hasExpired(); ++generation) {
        for (int n = 0; n < settings.size(); ++n) {
            const QString value = durability::valueFor(n, run, generation);
            if (!pelorin::WriteIni(settings[n].section, settings[n].key, value)) {
                std::fprintf(stderr, "write %d of generation %d failed\n", n, generation);
                return 2;
            }
            if (generation == 1 && n == 0)
                say("ready");
        }
    }
    return EXIT_SUCCESS;
}

int writeKeys(const QString& tag, int count) {
    for (int n = 1; n <= count; ++n) {
        const IniFile::WriteResult result =
            pelorin::WriteIniChecked(QStringLiteral("Keys"), tag + u'-' + QString::number(n), tag);
        if (result != IniFile::WriteResult::Written) {
            std::fprintf(stderr, "key %d: %s\n", n,
                         qPrintable(IniFile(pelorin::settingsFilePath()).describe(result)));
            return 2;
        }
    }
    return EXIT_SUCCESS;
}

int writeOnce(const QString& section, const QString& key, const QString& value) {
    const IniFile::WriteResult result = pelorin::WriteIniChecked(section, key, value);
    std::printf("%s\n", qPrintable(IniFile(pelorin::settingsFilePath()).describe(result)));
    return result == IniFile::WriteResult::Written ? EXIT_SUCCESS : 2;
}

int holdLock() {
    QLockFile lock(pelorin::settingsFilePath() + QStringLiteral(".lock"));
    if (!lock.tryLock(0))
        return 2;
    say("locked");
    QThread::msleep(GiveUpMs);
    return EXIT_SUCCESS;
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const QString mode = args.value(0).startsWith(u"--") ? args.takeFirst() : QString();
    const qsizetype expected = mode.isEmpty()      ? 2
                               : mode == u"--keys" ? 3
                               : mode == u"--once" ? 4
                               : mode == u"--hold" ? 1
                                                   : -1;
    if (args.size() != expected) {
        std::fprintf(stderr, "usage: %s [--keys|--once|--hold] SETTINGS-FILE ...\n", argv[0]);
        return EXIT_FAILURE;
    }
    pelorin::setSettingsFilePath(args[0]);
    if (mode == u"--keys")
        return writeKeys(args[1], args[2].toInt());
    if (mode == u"--once")
        return writeOnce(args[1], args[2], args[3]);
    if (mode == u"--hold")
        return holdLock();
    return writeForever(args[1].toInt());
}
