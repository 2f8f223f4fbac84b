// The real pelorinctl against servers that never stop sending: its peak memory, measured from
// outside once it has ended, stays bounded whatever the server sends. GNU time measures it: a
// child's peak counted by this process would include the pages it had when it was forked.
#include "support/hostileserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(hostile::Act)

namespace {

// Far above what a status request needs (under 20 MiB), far below what an unbounded read reaches
// within the request's deadline.
constexpr int BoundKiB = 48 * 1024;
// At this scale a request times out after 5 s. The whole run ends before that: the client ends an
// endless answer once it is longer than any page, and leaves no thread reading behind (a thread
// caught in a read loop held the exit for another 5 s).
const QString TimeScale = QStringLiteral("0.5");
constexpr double DeadlineSeconds = 5;
const QString GnuTime = QStringLiteral("/usr/bin/time");

} // namespace

class PeakMemoryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statusAgainstEndlessAnswer_data();
    void statusAgainstEndlessAnswer();
};

void PeakMemoryTest::statusAgainstEndlessAnswer_data() {
    QTest::addColumn<hostile::Act>("act");
    QTest::newRow("chunked body") << hostile::Act::EndlessChunked;
    QTest::newRow("body without length") << hostile::Act::EndlessUnsized;
    QTest::newRow("header lines") << hostile::Act::HeaderFlood;
    QTest::newRow("one header line") << hostile::Act::EndlessHeaderLine;
}

void PeakMemoryTest::statusAgainstEndlessAnswer() {
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer's shadow memory and quarantine make resident sizes meaningless");
#endif
    QFETCH(hostile::Act, act);
    QVERIFY2(QFile::exists(GnuTime), "GNU time is missing (scripts/install-deps.sh installs it)");
    hostile::Server server(act);
    QVERIFY(server.listen());
    const QTemporaryDir dir;
    const QString figuresFile = dir.filePath(QStringLiteral("figures"));
    QProcess ctl;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PELORIN_TIME_SCALE"), TimeScale);
    ctl.setProcessEnvironment(environment);
    ctl.start(GnuTime,
              {QStringLiteral("--format=%e %M"), QStringLiteral("--output=") + figuresFile,
               QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pelorinctl")),
               QStringLiteral("--settings"), dir.filePath(QStringLiteral("setting.ini")),
               QStringLiteral("--quiet"), QStringLiteral("status"), server.url()});
    QVERIFY(ctl.waitForFinished(60000));
    QCOMPARE(ctl.exitStatus(), QProcess::NormalExit);

    // "SECONDS PEAK_KIB", after a line about the exit status when it is not 0.
    QFile figures(figuresFile);
    QVERIFY(figures.open(QIODevice::ReadOnly));
    const QByteArray text = figures.readAll().trimmed();
    const QList<QByteArray> values = text.split('\n').constLast().split(' ');
    QCOMPARE(values.size(), 2);
    const double seconds = values.at(0).toDouble();
    const int peakKiB = values.at(1).toInt();
    QVERIFY2(peakKiB > 0 && peakKiB < BoundKiB, text.constData());
    QVERIFY2(seconds < DeadlineSeconds, text.constData());
}

QTEST_GUILESS_MAIN(PeakMemoryTest)
#include "tst_peakmemory.moc"
