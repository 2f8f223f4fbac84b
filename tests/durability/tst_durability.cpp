// The settings file under attack from writers (this program in a mode of its own, see writerMain).
#include "common/timing.h"
#include "settings/inifile.h"
#include "settings/settings.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

// Grouped by section, so that a file written from scratch in this order keeps this order.
constexpr int SettingCount = 19;
QString section(int n) {
    return n < 8 ? u"Server"_s : n < 13 ? u"Mac"_s : u"録画サーバー"_s;
}

// A value naming its writer run (0: none) and generation, long enough, with Japanese text, "=" and
// quotes, that a torn or mixed write cannot pass for a whole one; under the 1023-byte read limit.
QString valueFor(int setting, int run, int generation) {
    return u"r%1g%2s%3|"_s.arg(run).arg(generation).arg(setting) +
           u"居間の\"テレビ\"=オン;"_s.repeated(5 + (run * 7 + generation * 13 + setting * 3) % 30);
}

// Never outlives a test that died before it could kill it.
constexpr int GiveUpMs = 30000;

// --write FILE RUN: says "ready", then rewrites every setting in turn, generation after generation.
// --keys FILE TAG N: writes keys TAG-1 to TAG-N in section "Keys"; exits 2 if one fails.
// --hold FILE: holds the file's write lock until killed; says "locked".
int writerMain(const QStringList& args) {
    setSettingsFilePath(args[1]);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (args[0] == u"--write") {
        std::puts("ready");
        const QDeadlineTimer giveUp(GiveUpMs);
        for (int generation = 1; !giveUp.hasExpired(); ++generation)
            for (int n = 0; n < SettingCount; ++n)
                if (!WriteIni(section(n), QString::number(n),
                              valueFor(n, args.value(2).toInt(), generation)))
                    return 2;
    } else if (args[0] == u"--keys") {
        for (int n = 1; n <= args.value(3).toInt(); ++n)
            if (!WriteIni(u"Keys"_s, args.value(2) + u'-' + QString::number(n), args.value(2)))
                return 2;
    } else if (args[0] == u"--hold") {
        QLockFile lock(args[1] + u".lock"_s);
        lock.tryLock(0);
        std::puts("locked");
        QThread::msleep(GiveUpMs);
    }
    return 0;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDurability : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_self = QCoreApplication::applicationFilePath(); // started as a writer

    QString freshPath() {
        const QString path = m_dir.filePath(QLatin1String(QTest::currentTestFunction()));
        setSettingsFilePath(path);
        return path;
    }

private slots:
    // A writer rewriting every setting in turn is killed at random moments. Each value is then
    // whole, from before or from this writer, written in list order (generation g for a first
    // stretch, g - 1 after), and the file is byte for byte the one a calm write makes.
    void killedWhileWriting() {
        const QString path = freshPath();
        const IniFile calm(m_dir.filePath(u"calm"_s));
        QStringList values;
        for (int n = 0; n < SettingCount; ++n)
            QVERIFY(
                WriteIni(section(n), QString::number(n), values.emplaceBack(valueFor(n, 0, 0))));
        for (int run = 1; run <= 30; ++run) {
            QProcess writer;
            writer.start(m_self, {u"--write"_s, path, QString::number(run)});
            QVERIFY2(writer.waitForReadyRead(10000), "the writer never got ready");
            QThread::usleep(QRandomGenerator::global()->bounded(20000));
            writer.kill();
            QVERIFY(writer.waitForFinished(10000) && writer.exitStatus() == QProcess::CrashExit);

            const QList<IniFile::Entry> entries = IniFile(path).entries();
            QCOMPARE(entries.size(), SettingCount);
            QList<int> generations;
            for (int n = 0; n < SettingCount; ++n) {
                const QString& value = entries[n].value;
                const bool before = value == values[n];
                generations.append(before ? 0
                                          : value.section(u'g', 1, 1).section(u's', 0, 0).toInt());
                QVERIFY2(before || value == valueFor(n, run, generations.last()),
                         qPrintable(u"kill %1: %2 torn or older"_s.arg(run).arg(entries[n].key)));
                QVERIFY(generations[n] <= generations[std::max(n - 1, 0)] &&
                        generations[n] >= generations[0] - 1);
                values[n] = value;
                calm.write(section(n), QString::number(n), value);
            }
            QCOMPARE(contents(path), contents(calm.path()));
        }
    }

    // Two processes writing keys of their own into one file at once lose none of them.
    void concurrentWriters() {
        const QString path = freshPath();
        QProcess writers[2];
        for (int n = 0; n < 2; ++n)
            writers[n].start(m_self, {u"--keys"_s, path, QString(QChar(u'A' + n)), u"50"_s});
        for (QProcess& writer : writers)
            QVERIFY(writer.waitForFinished(60000) && writer.exitStatus() == QProcess::NormalExit &&
                    writer.exitCode() == 0);
        QCOMPARE(IniFile(path).entries().size(), 100);
    }

    // A live writer's lock makes a write give up as busy; the lock of a killed writer, and the
    // empty one of a writer killed before it wrote its name into it, are taken over.
    void lockLeftBehind() {
        const QString path = freshPath();
        const QString lock = path + u".lock"_s;
        QVERIFY(WriteIni(u"S"_s, u"K"_s, u"old"_s));
        QProcess holder;
        holder.start(m_self, {u"--hold"_s, path});
        QVERIFY2(holder.waitForReadyRead(10000), "the lock holder never got ready");
        timing::setScale(0.02);
        QCOMPARE(WriteIniChecked(u"S"_s, u"K"_s, u"new"_s), IniFile::WriteResult::Busy);
        QCOMPARE(ReadIni(u"S"_s, u"K"_s), u"old"_s);

        holder.kill();
        QVERIFY(holder.waitForFinished(10000) && QFileInfo::exists(lock));
        QCOMPARE(WriteIniChecked(u"S"_s, u"K"_s, u"new"_s), IniFile::WriteResult::Written);
        QVERIFY(!QFileInfo::exists(lock));

        QFile empty(lock);
        QVERIFY(empty.open(QIODevice::WriteOnly) &&
                empty.setFileTime(QDateTime::currentDateTime().addSecs(-5),
                                  QFile::FileModificationTime));
        empty.close();
        QCOMPARE(WriteIniChecked(u"S"_s, u"K"_s, u"newer"_s), IniFile::WriteResult::Written);
    }
};

int main(int argc, char* argv[]) {
    const QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 && args[0].startsWith(u"--"))
        return writerMain(args);
    TestDurability test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_durability.moc"
