// The settings file when the process writing it dies at any moment, and values at the edges of
// the profile rules (Japanese text, quotes, "=", blanks, over-long values) written through
// WriteIni and read back through ReadIni from a real file.
#include "settings/inifile.h"
#include "settings/settings.h"
#include "writeplan.h"

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

struct RoundTrip {
    const char* name;
    QString section;
    QString key;
    QString written;
    QString read;
};

QList<RoundTrip> roundTrips() {
    const QString quoteDense = u"値=\""_s;
    return {
        {"Japanese", u"Server"_s, u"UserName"_s, u"テレビ録画サーバー管理者"_s,
         u"テレビ録画サーバー管理者"_s},
        {"Japanese section and key", u"録画サーバー"_s, u"名前"_s, u"居間のテレビ"_s,
         u"居間のテレビ"_s},
        {"equals signs", u"Server"_s, u"Password"_s, u"a=b==c="_s, u"a=b==c="_s},
        {"looks like a key line", u"Server"_s, u"URL"_s, u"URL=http://tv:8080/tv"_s,
         u"URL=http://tv:8080/tv"_s},
        {"double quotes removed", u"Q"_s, u"Q1"_s, u"\"quoted value\""_s, u"quoted value"_s},
        {"single quotes removed", u"Q"_s, u"Q2"_s, u"'single'"_s, u"single"_s},
        {"blanks inside quotes kept", u"Q"_s, u"Q3"_s, u" \t\"  padded  \" "_s, u"  padded  "_s},
        {"inner quotes kept", u"Q"_s, u"Q4"_s, u"say \"hi\" now"_s, u"say \"hi\" now"_s},
        {"only one pair removed", u"Q"_s, u"Q5"_s, u"\"\"twice\"\""_s, u"\"twice\""_s},
        {"mismatched quotes kept", u"Q"_s, u"Q6"_s, u"\"open'"_s, u"\"open'"_s},
        {"lone quote kept", u"Q"_s, u"Q7"_s, u"\""_s, u"\""_s},
        {"Japanese in quotes", u"Q"_s, u"Q8"_s, u"「\"テレビ=オン\"」"_s, u"「\"テレビ=オン\"」"_s},
        {"leading blanks dropped", u"B"_s, u"B1"_s, u" \t \tvalue"_s, u"value"_s},
        {"trailing blanks not read", u"B"_s, u"B2"_s, u"value \t "_s, u"value"_s},
        {"only blanks", u"B"_s, u"B3"_s, u"   "_s, QString()},
        {"ideographic space is no blank", u"B"_s, u"B4"_s, u"\u3000\"全角\" "_s,
         u"\u3000\"全角\""_s},
        {"1023 bytes kept", u"Long"_s, u"L1"_s, QString(1023, u'a'), QString(1023, u'a')},
        {"1024 bytes cut", u"Long"_s, u"L2"_s, QString(1024, u'x'), QString(1023, u'x')},
        {"341 Japanese characters fit", u"Long"_s, u"L3"_s, u"あ"_s.repeated(341),
         u"あ"_s.repeated(341)},
        {"Japanese cut on a character", u"Long"_s, u"L4"_s, u"あ"_s.repeated(400),
         u"あ"_s.repeated(341)},
        {"cut before a character that does not fit", u"Long"_s, u"L5"_s,
         QString(1022, u'a') + u"あい"_s, QString(1022, u'a')},
        {"surrogate pair not split", u"Long"_s, u"L6"_s, QString(1020, u'a') + u"😀"_s,
         QString(1020, u'a')},
        {"surrogate pair ending at the limit", u"Long"_s, u"L7"_s, QString(1019, u'a') + u"😀"_s,
         QString(1019, u'a') + u"😀"_s},
        {"quotes removed before the cut", u"Long"_s, u"L8"_s, u'"' + QString(1100, u'q') + u'"',
         QString(1023, u'q')},
        // Each piece is 5 bytes: 204 of them and one more 3-byte character make 1023.
        {"Japanese, quotes and = cut", u"Long"_s, u"L9"_s,
         u"  '"_s + quoteDense.repeated(300) + u'\'', quoteDense.repeated(204) + u"値"_s},
    };
}

QString withoutLeadingBlanks(QString text) {
    while (text.startsWith(u' ') || text.startsWith(u'\t'))
        text.remove(0, 1);
    return text;
}

} // namespace

class TestDurability : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void allValuesInOneFile();
    void killedWhileWriting();

private:
    QTemporaryDir m_dir;
    QString freshPath() { return m_dir.filePath(u"f%1/setting.ini"_s.arg(++m_files)); }
    int m_files = 0;
};

void TestDurability::roundTrip_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    for (const RoundTrip& row : roundTrips())
        QTest::newRow(row.name) << row.section << row.key << row.written << row.read;
}

// Each value alone in a fresh file: it reads back as the rules say, while the file keeps all of
// it in UTF-8 (only reads are cut).
void TestDurability::roundTrip() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, written);
    QFETCH(QString, read);
    const QString path = freshPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    setSettingsFilePath(path);

    QVERIFY(WriteIni(section, key, written));
    QCOMPARE(ReadIni(section, key), read);
    QCOMPARE(ReadIni(section.toLower(), key.toUpper()), read);
    const QByteArray bytes = contents(path);
    QVERIFY(isUtf8(bytes));
    QVERIFY(bytes.contains((key + u'=' + withoutLeadingBlanks(written)).toUtf8() + NewLine));
}

// All of them in one file, each written twice: later writes leave the earlier values alone.
void TestDurability::allValuesInOneFile() {
    const QString path = freshPath();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    setSettingsFilePath(path);
    const QList<RoundTrip> rows = roundTrips();
    for (const RoundTrip& row : rows)
        QVERIFY(WriteIni(row.section, row.key, u"placeholder"_s));
    for (const RoundTrip& row : rows)
        QVERIFY2(WriteIni(row.section, row.key, row.written), row.name);
    for (const RoundTrip& row : rows)
        QVERIFY2(ReadIni(row.section, row.key) == row.read, row.name);
    QCOMPARE(IniFile(path).entries().size(), rows.size());
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
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    setSettingsFilePath(path);

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
        QVERIFY2(isUtf8(bytes) && bytes.endsWith(NewLine),
                 qPrintable(u"damaged after kill %1"_s.arg(run)));
        const QList<IniFile::Entry> entries = IniFile(path).entries();
        QCOMPARE(entries.size(), settings.size());

        // How far this run got with each setting: 0 for a value from before it.
        QList<int> generations;
        for (qsizetype n = 0; n < settings.size(); ++n) {
            const IniFile::Entry& entry = entries[n];
            QCOMPARE(entry.section, settings[n].section);
            QCOMPARE(entry.key, settings[n].key);
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
        // Settings are written in list order, so the writer's progress reads as generation g for
        // a first stretch and g - 1 for the rest.
        for (qsizetype n = 1; n < generations.size(); ++n) {
            QVERIFY2(generations[n] <= generations[n - 1] && generations[n] >= generations[0] - 1,
                     qPrintable(u"kill %1: writes out of order at %2"_s.arg(run).arg(n)));
        }
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

QTEST_GUILESS_MAIN(TestDurability)
#include "tst_durability.moc"
