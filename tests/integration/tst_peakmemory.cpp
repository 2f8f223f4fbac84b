// The real pelorinctl against servers that never stop sending: its peak memory, measured from
// outside by GNU time once it has ended, stays bounded (a child's peak counted by this process
// would include the pages it had when it was forked).
#include "support/hostileserver.h"

#include <QCoreApplication>
#include <QFile>
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
        const QString gnuTime = QStringLiteral("/usr/bin/time"); // scripts/install-deps.sh has it
        QVERIFY2(QFile::exists(gnuTime), "GNU time is missing");
        hostile::Server server(act);
        QVERIFY(server.listen());
        const QTemporaryDir dir;
        const QString figures = dir.filePath(QStringLiteral("figures"));
        QProcess ctl;
        // A request times out after 5 s at this scale; the run must end well before: the client
        // ends an endless answer once it is longer than any page and leaves no thread behind.
        qputenv("PELORIN_TIME_SCALE", "0.5");
        ctl.start(gnuTime, {"--format=%e %M", "--output=" + figures,
                            QCoreApplication::applicationDirPath() + "/pelorinctl", "--settings",
                            dir.filePath("setting.ini"), "--quiet", "status", server.url()});
        QVERIFY(ctl.waitForFinished(60000));
        QCOMPARE(ctl.exitStatus(), QProcess::NormalExit);

        // "SECONDS PEAK_KIB", after a line about the exit status when it is not 0.
        QFile file(figures);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll().trimmed();
        const QList<QByteArray> values = text.split('\n').constLast().split(' ');
        QCOMPARE(values.size(), 2);
        // Far above what a status request needs (under 20 MiB), far below an unbounded read.
        QVERIFY2(values[1].toInt() > 0 && values[1].toInt() < 48 * 1024, text.constData());
        QVERIFY2(values[0].toDouble() < 5, text.constData());
    }
};

QTEST_GUILESS_MAIN(PeakMemoryTest)
#include "tst_peakmemory.moc"
