// The settings file when the process writing it dies at any moment, and values at the edges of
// the profile rules (Japanese text, quotes, "=", blanks, over-long values) written through
// WriteIni and read back through ReadIni from a real file.
#include "common/timing.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "writeplan.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <array>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

#ifdef Q_OS_WIN
const QByteArray NewLine = "\r\n"_ba;
#else
const QByteArray NewLine = "\n"_ba;
#endif

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    [[maybe_unused]] const QString text = utf8(bytes);
    return !utf8.hasError();
}

// The whole file as WriteIni lays out these settings when it writes them in plan order.
QByteArray expectedFile(const QList<durability::Setting>& settings, const QStringList& values) {
    QString text;
    QString section;
    for (qsizetype n = 0; n < settings.size(); ++n) {
        if (settings[n].section != section) {
            section = settings[n].section;
            text += u'[' + section + u']' + QString::fromLatin1(NewLine);
        }
        text += settings[n].key + u'=' + values[n] + QString::fromLatin1(NewLine);
    }
    return text.toUtf8();
}

} // namespace

class TestDurability : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void killedWhileWriting();
    void concurrentWriters();
    void lockHeldByAnotherProcess();

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    QString freshPath() {
        const QString path = m_dir.filePath(u"f%1/setting.ini"_s.arg(++m_files));
        QDir().mkpath(QFileInfo(path).path());
        setSettingsFilePath(path);
        return path;
    }
};

void TestDurability::roundTrip_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    const auto row = [](const char* name, const QString& section, const QString& written,
                        const QString& read) {
        QTest::newRow(name) << section << u"名前"_s << written << read;
    };
    const QString dense = u"値=\""_s; // 5 bytes
    row("Japanese section and key", u"録画サーバー"_s, u"居間のテレビ"_s, u"居間のテレビ"_s);
    row("equals signs, looks like a key line", u"S"_s, u"URL=a==b="_s, u"URL=a==b="_s);
    row("quotes removed, blanks inside kept", u"S"_s, u" \t\"  padded  \" "_s, u"  padded  "_s);
    row("Japanese in quotes", u"S"_s, u"「\"テレビ=オン\"」"_s, u"「\"テレビ=オン\"」"_s);
    row("leading blanks dropped", u"S"_s, u" \t \tvalue"_s, u"value"_s);
    row("ideographic space is no blank", u"S"_s, u"\u3000\"全角\" "_s, u"\u3000\"全角\""_s);
    row("1024 bytes cut to 1023", u"S"_s, QString(1024, u'x'), QString(1023, u'x'));
    row("Japanese cut on a character", u"S"_s, u"あ"_s.repeated(400), u"あ"_s.repeated(341));
    // 204 pieces and one more 3-byte character make 1023.
    row("Japanese, quotes and = cut", u"S"_s, u"  '"_s + dense.repeated(300) + u'\'',
        dense.repeated(204) + u"値"_s);
}

// Each value in a fresh file reads back as the rules say, while the file keeps all of it in UTF-8
// (only reads are cut).
void TestDurability::roundTrip() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, written);
    QFETCH(QString, read);
    const QString path = freshPath();
    QVERIFY(WriteIni(section, key, written));
    QCOMPARE(ReadIni(section, key), read);
    const QByteArray bytes = contents(path);
    QVERIFY(isUtf8(bytes));
    QString stored = written;
    while (stored.startsWith(u' ') || stored.startsWith(u'\t'))
        stored.remove(0, 1);
    QVERIFY(bytes.contains((key + u'=' + stored).toUtf8() + NewLine));
}

// A writer process loops over the settings and is killed at random moments, again and again.
// After every kill the file must be whole: present, valid UTF-8, ending in a line break, laid out
// exactly as WriteIni lays it out, and every setting must hold a complete value from either
// before this writer ran or from this writer, in the order it writes them. A mix of two values,
// a cut-off file or a lost section cannot pass.
void TestDurability::killedWhileWriting() {
    constexpr int Kills = 40;
    constexpr int MaxDelayUs = 20000;
    constexpr qint64 TimeBudgetMs = 15000;

    const QString writer = QStringLiteral(DURABILITY_WRITER);
    QVERIFY2(QFileInfo(writer).isExecutable(), qPrintable(writer));
    const QString path = freshPath();
    const QList<durability::Setting> settings = durability::settings();
    QStringList values;
    for (qsizetype n = 0; n < settings.size(); ++n) {
        values.append(durability::valueFor(int(n), 0, 0));
        QVERIFY(WriteIni(settings[n].section, settings[n].key, values.last()));
    }
    QCOMPARE(contents(path), expectedFile(settings, values));

    const quint32 seed = qEnvironmentVariableIsSet("PELORIN_DURABILITY_SEED")
                             ? quint32(qEnvironmentVariableIntValue("PELORIN_DURABILITY_SEED"))
                             : QRandomGenerator::global()->generate();
    qInfo("kill moments from seed %u (set PELORIN_DURABILITY_SEED to repeat)", seed);
    QRandomGenerator random(seed);

    QElapsedTimer elapsed;
    elapsed.start();
    int kills = 0;
    int killsMidGeneration = 0;
    for (int run = 1; run <= Kills && elapsed.elapsed() < TimeBudgetMs; ++run) {
        QProcess process;
        process.start(writer, {path, QString::number(run)});
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
        QVERIFY2(process.waitForReadyRead(10000), "the writer never got ready");
        // The writer goes on by itself; this only chooses the moment of the kill.
        QThread::usleep(random.bounded(MaxDelayUs));
        process.kill();
        QVERIFY(process.waitForFinished(10000));
        QVERIFY2(process.exitStatus() == QProcess::CrashExit,
                 qPrintable(u"writer ended by itself: "_s + process.readAllStandardError()));
        ++kills;

        const QByteArray bytes = contents(path);
        QVERIFY2(!bytes.isEmpty(), qPrintable(u"empty or missing after kill %1"_s.arg(run)));
        const QList<IniFile::Entry> entries = IniFile(path).entries();
        QCOMPARE(entries.size(), settings.size());

        // How far this run got with each setting: 0 for a value from before it.
        QList<int> generations;
        for (qsizetype n = 0; n < settings.size(); ++n) {
            const IniFile::Entry& entry = entries[n];
            const auto origin = durability::originOf(entry.value);
            QVERIFY2(origin && origin->setting == n,
                     qPrintable(u"kill %1: %2 holds a torn value"_s.arg(run).arg(entry.key)));
            if (entry.value == values[n])
                generations.append(0);
            else if (origin->run == run)
                generations.append(origin->generation);
            else
                QFAIL(qPrintable(
                    u"kill %1: %2 went back to an older value"_s.arg(run).arg(entry.key)));
            values[n] = entry.value;
        }
        // Written in list order: generation g for a first stretch and g - 1 for the rest.
        for (qsizetype n = 1; n < generations.size(); ++n)
            QVERIFY2(generations[n] <= generations[n - 1] && generations[n] >= generations[0] - 1,
                     qPrintable(u"kill %1: writes out of order at %2"_s.arg(run).arg(n)));
        // Laid out exactly as WriteIni lays it out, so no section, key or line break is lost.
        QCOMPARE(bytes, expectedFile(settings, values));
        if (generations.first() != generations.last())
            ++killsMidGeneration;
    }
    qInfo("%d kills, %d of them in the middle of a generation, in %lld ms", kills,
          killsMidGeneration, elapsed.elapsed());
    QVERIFY(kills >= Kills / 2);
    // Kills that all fell between two generations would leave the interesting moments untried.
    QVERIFY(killsMidGeneration >= kills / 2);
}

// Two processes that write keys of their own into one file at the same time lose none of them:
// each write reads, changes and replaces the file while no other write can.
void TestDurability::concurrentWriters() {
    constexpr int KeysEach = 50;
    const QString path = freshPath();
    const QStringList tags{u"A"_s, u"B"_s};
    std::array<QProcess, 2> writers;
    for (int n = 0; n < 2; ++n)
        writers[n].start(QStringLiteral(DURABILITY_WRITER),
                         {u"--keys"_s, path, tags[n], QString::number(KeysEach)});
    for (QProcess& writer : writers) {
        QVERIFY(writer.waitForFinished(60000));
        QVERIFY2(writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0,
                 writer.readAllStandardError().constData());
    }
    QStringList missing;
    for (const QString& tag : tags)
        for (int n = 1; n <= KeysEach; ++n)
            if (ReadIni(u"Keys"_s, tag + u'-' + QString::number(n)) != tag)
                missing.append(tag + u'-' + QString::number(n));
    QVERIFY2(missing.isEmpty(), qPrintable(u"lost: "_s + missing.join(u' ')));
}

// A live writer's lock is waited for, then the write gives up as busy and leaves the file; the
// lock a killed writer leaves behind does not block anyone, nor the empty one of a writer killed
// before it could write its name into it.
void TestDurability::lockHeldByAnotherProcess() {
    const QString path = freshPath();
    QVERIFY(WriteIni(u"S"_s, u"K"_s, u"old"_s));
    QProcess holder;
    holder.start(QStringLiteral(DURABILITY_WRITER), {u"--hold"_s, path});
    QVERIFY2(holder.waitForReadyRead(10000), "the lock holder never got ready");

    timing::setScale(0.02);
    const auto result = WriteIniChecked(u"S"_s, u"K"_s, u"new"_s);
    timing::setScale(1);
    QCOMPARE(result, IniFile::WriteResult::Busy);
    QCOMPARE(ReadIni(u"S"_s, u"K"_s), u"old"_s);

    holder.kill();
    QVERIFY(holder.waitForFinished(10000));
    QVERIFY(QFileInfo::exists(path + u".lock"_s));
    QCOMPARE(WriteIniChecked(u"S"_s, u"K"_s, u"new"_s), IniFile::WriteResult::Written);
    QCOMPARE(ReadIni(u"S"_s, u"K"_s), u"new"_s);
    QVERIFY(!QFileInfo::exists(path + u".lock"_s));

    QFile empty(path + u".lock"_s);
    QVERIFY(empty.open(QIODevice::WriteOnly));
    QVERIFY(empty.setFileTime(QDateTime::currentDateTime().addSecs(-5),
                              QFileDevice::FileModificationTime));
    empty.close();
    timing::setScale(0.02);
    const auto afterEmpty = WriteIniChecked(u"S"_s, u"K"_s, u"newer"_s);
    timing::setScale(1);
    QCOMPARE(afterEmpty, IniFile::WriteResult::Written);
}

QTEST_GUILESS_MAIN(TestDurability)
#include "tst_durability.moc"
