// The program's own settings calls in a process of their own, for the tests that need several
// processes or a file system of their own. Modes:
//   writer FILE RUN            rewrites every setting of the plan in turn, generation after
//                              generation, until killed; prints "ready" after its first write
//   writer --keys FILE TAG N   writes N keys of its own ("TAG-1" ... in section "Keys") once
//   writer --once FILE SECTION KEY VALUE
//   writer --hold FILE         holds the file's write lock until killed; prints "locked"
// Exits 0 only when all its writes succeeded; prints why one failed.
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
            if (!pelorin::WriteIni(settings[n].section, settings[n].key,
                                   durability::valueFor(n, run, generation)))
                return 2;
            if (generation == 1 && n == 0)
                say("ready");
        }
    }
    return EXIT_SUCCESS;
}

int writeAll(const QString& section, const QStringList& keys, const QString& value) {
    for (const QString& key : keys) {
        const IniFile::WriteResult result = pelorin::WriteIniChecked(section, key, value);
        if (result != IniFile::WriteResult::Written) {
            say(qPrintable(IniFile(pelorin::settingsFilePath()).describe(result)));
            return 2;
        }
    }
    return EXIT_SUCCESS;
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
    pelorin::setSettingsFilePath(args.value(0));
    if (mode.isEmpty() && args.size() == 2)
        return writeForever(args[1].toInt());
    if (mode == u"--keys" && args.size() == 3) {
        QStringList keys;
        for (int n = 1; n <= args[2].toInt(); ++n)
            keys.append(args[1] + u'-' + QString::number(n));
        return writeAll(QStringLiteral("Keys"), keys, args[1]);
    }
    if (mode == u"--once" && args.size() == 4)
        return writeAll(args[1], {args[2]}, args[3]);
    if (mode == u"--hold" && args.size() == 1)
        return holdLock();
    std::fprintf(stderr, "usage: %s [--keys|--once|--hold] SETTINGS-FILE ...\n", argv[0]);
    return EXIT_FAILURE;
}
