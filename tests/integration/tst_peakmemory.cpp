// The real pelorinctl against servers that never stop sending: its peak memory, measured from
// outside by GNU time (scripts/install-deps.sh has it), stays bounded.
#include "support/hostileserver.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(hostile::Act)

class PeakMemoryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statusAgainstEndlessAnswer_data() {
        QTest::addColumn<hostile::Act>("act");
        QTest::newRow("chunked body") << hostile::Act::EndlessChunked;
        QTest::newRow("body without length") << hostile::Act::EndlessUnsized;
        QTest::newRow("header lines") << hostile::Act::HeaderFlood;
        QTest::newRow("one header line") << hostile::Act::EndlessHeaderLine;
    }

    void statusAgainstEndlessAnswer() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the address sanitizer's shadow memory makes resident sizes meaningless");
#endif
        QFETCH(hostile::Act, act);
        hostile::Server server(act);
        QVERIFY(server.listen());
        const QTemporaryDir dir;
        QProcess ctl;
        qputenv("PELORIN_TIME_SCALE", "0.5");
        ctl.start(QStringLiteral("/usr/bin/time"),
                  {"--format=%M", "--output=" + dir.filePath("kib"),
                   QCoreApplication::applicationDirPath() + "/pelorinctl", "--settings",
                   dir.filePath("setting.ini"), "--quiet", "status", server.url()});
        QVERIFY2(ctl.waitForFinished(60000), "GNU time is missing or pelorinctl hangs");
        QFile file(dir.filePath("kib"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        // The last line (after one about a non-zero exit status): far above what a status request
        // needs (under 20 MiB), far below an unbounded read.
        const QByteArray figures = file.readAll().trimmed();
        QVERIFY2(!figures.contains("signal"), figures.constData()); // not killed, not aborted
        const QByteArray peak = figures.split('\n').constLast();
        QVERIFY2(peak.toInt() > 0 && peak.toInt() < 48 * 1024, peak.constData());
    }
};

QTEST_GUILESS_MAIN(PeakMemoryTest)
#include "tst_peakmemory.moc"
