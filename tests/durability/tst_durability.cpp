// The settings file under attack from other processes: a writer killed at random moments, two
// writers at once, a lock left behind.
#include "common/timing.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "writeplan.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

const QString Writer = QStringLiteral(DURABILITY_WRITER);

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDurability : public QObject {
    Q_OBJECT

private slots:
    void killedWhileWriting();
    void concurrentWriters();
    void lockLeftBehind();

private:
    QTemporaryDir m_dir;
    QString freshPath() {
        const QString path = m_dir.filePath(QLatin1String(QTest::currentTestFunction()));
        setSettingsFilePath(path);
        return path;
    }
};

// A writer rewriting every setting in turn is killed at random moments. After each kill each value
// is whole, from before or from this writer, written in list order (generation g for a first
// stretch and g - 1 for the rest), and the file is byte for byte the one a calm write makes.
void TestDurability::killedWhileWriting() {
    const QString path = freshPath();
    const IniFile calm(m_dir.filePath(u"calm"_s));
    const QList<durability::Setting> settings = durability::settings();
    QStringList values;
    for (qsizetype n = 0; n < settings.size(); ++n) {
        values.append(durability::valueFor(int(n), 0, 0));
        QVERIFY(WriteIni(settings[n].section, settings[n].key, values[n]));
    }
    const quint32 seed = qEnvironmentVariableIsSet("PELORIN_DURABILITY_SEED")
                             ? quint32(qEnvironmentVariableIntValue("PELORIN_DURABILITY_SEED"))
                             : QRandomGenerator::global()->generate();
    qInfo("kill moments from seed %u (PELORIN_DURABILITY_SEED repeats them)", seed);
    QRandomGenerator random(seed);

    for (int run = 1; run <= 30; ++run) {
        QProcess writer;
        writer.start(Writer, {path, QString::number(run)});
        QVERIFY2(writer.waitForReadyRead(10000), "the writer never got ready");
        QThread::usleep(random.bounded(20000));
        writer.kill();
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        const QList<IniFile::Entry> entries = IniFile(path).entries();
        QCOMPARE(entries.size(), settings.size());
        QList<int> generations;
        for (qsizetype n = 0; n < settings.size(); ++n) {
            const QString& value = entries[n].value;
            const bool before = value == values[n];
            generations.append(before ? 0 : durability::generationOf(value));
            QVERIFY2(before || value == durability::valueFor(int(n), run, generations.last()),
                     qPrintable(u"kill %1: %2 torn or older"_s.arg(run).arg(entries[n].key)));
            QVERIFY(generations[n] <= generations[qMax(n - 1, 0)] &&
                    generations[n] >= generations[0] - 1);
            values[n] = value;
            calm.write(settings[n].section, settings[n].key, value);
        }
        QCOMPARE(contents(path), contents(calm.path()));
    }
}

// Two processes writing keys of their own into one file at once lose none of them.
void TestDurability::concurrentWriters() {
    const QString path = freshPath();
    QProcess writers[2];
    for (int n = 0; n < 2; ++n)
        writers[n].start(Writer, {u"--keys"_s, path, QString(QChar(u'A' + n)), u"50"_s});
    for (QProcess& writer : writers) {
        QVERIFY(writer.waitForFinished(60000));
        QVERIFY2(writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0,
                 writer.readAllStandardOutput().constData());
    }
    QCOMPARE(IniFile(path).entries().size(), 100);
}

// A live writer's lock makes a write give up as busy; the lock of a killed writer, and the empty
// one of a writer killed before it wrote its name into it, are taken over.
void TestDurability::lockLeftBehind() {
    const QString path = freshPath();
    const QString lock = path + u".lock"_s;
    QVERIFY(WriteIni(u"S"_s, u"K"_s, u"old"_s));
    QProcess holder;
    holder.start(Writer, {u"--hold"_s, path});
    QVERIFY2(holder.waitForReadyRead(10000), "the lock holder never got ready");
    timing::setScale(0.02);
    QCOMPARE(WriteIniChecked(u"S"_s, u"K"_s, u"new"_s), IniFile::WriteResult::Busy);
    QCOMPARE(ReadIni(u"S"_s, u"K"_s), u"old"_s);

    holder.kill();
    QVERIFY(holder.waitForFinished(10000) && QFileInfo::exists(lock));
    QCOMPARE(WriteIniChecked(u"S"_s, u"K"_s, u"new"_s), IniFile::WriteResult::Written);
    QVERIFY(!QFileInfo::exists(lock));

    QFile empty(lock);
    QVERIFY(empty.open(QIODevice::WriteOnly));
    QVERIFY(empty.setFileTime(QDateTime::currentDateTime().addSecs(-5),
                              QFileDevice::FileModificationTime));
    empty.close();
    QCOMPARE(WriteIniChecked(u"S"_s, u"K"_s, u"newer"_s), IniFile::WriteResult::Written);
}

QTEST_GUILESS_MAIN(TestDurability)
#include "tst_durability.moc"
