// pelorinctl as scripts run it: the real executable against the simulated TV server, each a
// process of its own, on 127.0.0.1 only. PELORIN_TIME_SCALE shortens every wait and time-out.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {

constexpr int FinishMs = 60000;
constexpr int LineMs = 10000;
const QString Mac = QStringLiteral("00-11-22-33-44-55");
const QString CliSources = QStringLiteral(PELORIN_CLI_SOURCE_DIR);

QString executable(const QString& name) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

// The next line a process prints on standard output, waiting for it; nothing when none came.
std::optional<QString> nextLine(QProcess& process, int ms = LineMs) {
    const QDeadlineTimer deadline(ms);
    while (!process.canReadLine()) {
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
    }
    return QString::fromUtf8(process.readLine()).chopped(1);
}

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

// tvsim as a separate process; it gets SIGTERM when the test is done with it.
class TvSim {
public:
    explicit TvSim(const QStringList& args) {
        m_process.start(executable(QStringLiteral("tvsim")),
                        QStringList{"--wol-ports", "0,0"} + args);
        static const QRegularExpression ready(
            QStringLiteral("^tvsim: listening url=(\\S+) wol=([0-9,]*)$"));
        const QRegularExpressionMatch match = ready.match(nextLine(m_process).value_or(""));
        url = match.captured(1);
        wolPorts = match.captured(2);
    }
    TvSim(const TvSim&) = delete;
    TvSim& operator=(const TvSim&) = delete;
    ~TvSim() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    bool isReady() const { return !url.isEmpty(); }

    // Waits until the log holds `text` `times` times (or no more comes); gives the count.
    qsizetype waitForLog(const QString& text, qsizetype times) {
        const QDeadlineTimer deadline(LineMs);
        do {
            m_log += QString::fromUtf8(m_process.readAllStandardOutput());
        } while (m_log.count(text) < times && !deadline.hasExpired() &&
                 m_process.waitForReadyRead(int(deadline.remainingTime())));
        return m_log.count(text);
    }

    QString url;
    QString wolPorts; // as --ports takes them

private:
    QProcess m_process;
    QString m_log;
};

struct PowerCase {
    QString command;
    QStringList sim; // tvsim's arguments
    QString mac;     // stored as Server/Mac-1
    int exit = 0;
    QString outcome;
    QString server;
    QString said; // on standard error
};

} // namespace

Q_DECLARE_METATYPE(PowerCase)

class PelorinctlTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void powerCommandOutcomes_data();
    void powerCommandOutcomes();
    void statusExitCodes_data();
    void statusExitCodes();
    void macsAndConfigReportJson();
    void watchPrintsChangesUntilSignal_data();
    void watchPrintsChangesUntilSignal();
    void wakeSendsSecureOnPacket();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void everyCommandHasHelp();
    void manPageRenders();
    void bashCompletionOffersWords();

private:
    void startCtl(QProcess& process, const QStringList& args) const;
    Finished ctl(const QStringList& args) const;
    void store(const QByteArray& text) const;
    QByteArray stored() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void PelorinctlTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void PelorinctlTest::startCtl(QProcess& process, const QStringList& args) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PELORIN_TIME_SCALE"), QStringLiteral("0.02"));
    process.setProcessEnvironment(environment);
    process.start(executable(QStringLiteral("pelorinctl")),
                  QStringList{"--settings", m_dir->filePath("setting.ini")} + args);
}

Finished PelorinctlTest::ctl(const QStringList& args) const {
    QProcess process;
    startCtl(process, args);
    if (!process.waitForFinished(FinishMs) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void PelorinctlTest::store(const QByteArray& text) const {
    QFile file(m_dir->filePath("setting.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray PelorinctlTest::stored() const {
    QFile file(m_dir->filePath("setting.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void PelorinctlTest::powerCommandOutcomes_data() {
    QTest::addColumn<PowerCase>("expected");
    const auto row = [](const char* name, const PowerCase& expected) {
        QTest::newRow(name) << expected;
    };
    const QStringList auth = {"--user", "u", "--password", "p"};
    const QStringList otherAdapter = {"--off", "--macs", "66:77:88:99:AA:BB"};
    row("on wakes",
        {"on", {"--off", "--wake-delay", "150"}, Mac, 0, "ServerOn", "on", "サーバー:ON"});
    row("on never wakes", {"on", otherAdapter, Mac, 1, "NeverWoke", "off", "サーバー:OFF"});
    row("on refused", {"on", auth, Mac, 3, "ProbeProblem", "unknown", "認証失敗"});
    row("on without MAC",
        {"on", {"--off"}, "00-11-22", 2, "NoUsableMac", "unknown", "config set Server Mac"});
    row("off hibernates", {"off", {}, Mac, 0, "ServerOff", "off", "サーバー:OFF"});
    row("off encoder busy", {"off", {"--encoding"}, Mac, 1, "StillOn", "on", "エンコーダが動作中"});
    row("off asleep already", {"off", {"--off"}, Mac, 0, "NoAnswer", "off", "応答がありません"});
    row("off refused", {"off", auth, Mac, 3, "StillRefused", "unknown", "認証失敗"});
}

void PelorinctlTest::powerCommandOutcomes() {
    QFETCH(PowerCase, expected);
    TvSim tvsim(expected.sim);
    QVERIFY(tvsim.isReady());
    // The URL's host is 127.0.0.1, so the magic packet goes there and nowhere else.
    store(QStringLiteral("[Server]\nURL=%1\nMac-1=%2\n").arg(tvsim.url, expected.mac).toUtf8());

    // The global --json works as well as each command's own.
    const bool on = expected.command == "on";
    const Finished run = ctl(QStringList{"--json", expected.command} +
                             (on ? QStringList{"--ports", tvsim.wolPorts} : QStringList{}));
    QCOMPARE(run.exitCode, expected.exit);
    const QJsonObject report = run.json();
    QCOMPARE(report.value("outcome").toString(), expected.outcome);
    QCOMPARE(report.value("server").toString(), expected.server);
    QCOMPARE(report.value("mac").toString(), on ? expected.mac : "");
    QCOMPARE(report.value("tries").toInt() > 0,
             expected.outcome != "NoUsableMac" && expected.outcome != "NoAnswer");
    QVERIFY(report.value("elapsed").toDouble(-1) >= 0);
    QVERIFY2(run.err.contains(expected.said), qPrintable(run.err));
    // Three rounds to both ports, from an ON command that had an address to wake.
    const int datagrams = on && expected.exit != 2 ? 6 : 0;
    QCOMPARE(tvsim.waitForLog("tvsim: datagram", datagrams), datagrams);
}

void PelorinctlTest::statusExitCodes_data() {
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QStringList>("report"); // status word, server state
    QTest::newRow("on") << QStringList{} << "/tv" << 0 << QStringList{"ON", "on"};
    QTest::newRow("asleep") << QStringList{"--off"} << "/tv" << 1 << QStringList{"OFF", "off"};
    QTest::newRow("refused") << QStringList{"--user", "u", "--password", "p"} << "/tv" << 3
                             << QStringList{"PasswordRequired", "unknown"};
    QTest::newRow("no such page") << QStringList{} << "/elsewhere" << 3
                                  << QStringList{"WrongURL", "unknown"};
    QTest::newRow("strange page") << QStringList{"--fault", "garbage"} << "/tv" << 3
                                  << QStringList{"BadConfigulation", "unknown"};
}

void PelorinctlTest::statusExitCodes() {
    QFETCH(QStringList, sim);
    QFETCH(QString, path);
    QFETCH(int, exit);
    QFETCH(QStringList, report);
    TvSim tvsim(sim);
    QVERIFY(tvsim.isReady());
    const QString url = tvsim.url.chopped(3) + path;

    const Finished plain = ctl({"status", url});
    QCOMPARE(plain.exitCode, exit);
    QCOMPARE(plain.out, report.at(0) + u'\n');
    const QJsonObject json = ctl({"status", "--json", url}).json();
    QCOMPARE(QStringList({json.value("status").toString(), json.value("server").toString()}),
             report);
}

void PelorinctlTest::macsAndConfigReportJson() {
    TvSim tvsim({"--macs", "00:11:22:33:44:55,66:77:88:99:AA:BB"});
    QVERIFY(tvsim.isReady());
    QCOMPARE(ctl({"config", "set", "server", "url", tvsim.url}).exitCode, 0);

    const Finished macs = ctl({"macs", "--json"});
    QCOMPARE(macs.exitCode, 0);
    QCOMPARE(macs.json().value("macs").toVariant().toStringList(),
             QStringList({"00:11:22:33:44:55", "66:77:88:99:AA:BB"}));
    QCOMPARE(
        ctl({"config", "get", "Server", "Mac-2", "--json"}).json(),
        QJsonObject({{"section", "Server"}, {"key", "Mac-2"}, {"value", "66:77:88:99:AA:BB"}}));
    // The URL, then all five MAC slots: fetching the list clears the slots it does not fill.
    const QJsonArray settings =
        ctl({"--json", "config", "list"}).json().value("settings").toArray();
    QCOMPARE(settings.size(), 6);
    QCOMPARE(settings.at(0).toObject().value("value").toString(), tvsim.url);
}

void PelorinctlTest::watchPrintsChangesUntilSignal_data() {
    QTest::addColumn<bool>("json");
    QTest::addColumn<int>("signal");
#ifdef Q_OS_UNIX
    QTest::newRow("lines, SIGTERM") << false << int(SIGTERM);
    QTest::newRow("JSON, SIGINT") << true << int(SIGINT);
#endif
}

void PelorinctlTest::watchPrintsChangesUntilSignal() {
#ifndef Q_OS_UNIX
    QSKIP("ending on a signal is a POSIX matter");
#else
    QFETCH(bool, json);
    QFETCH(int, signal);
    TvSim tvsim(QStringList{});
    QVERIFY(tvsim.isReady());
    store(QStringLiteral("[Server]\nURL=%1\n").arg(tvsim.url).toUtf8());
    QProcess watch;
    startCtl(watch, QStringList{"watch", "--interval", "1"} +
                        (json ? QStringList{"--json"} : QStringList{}));

    // "TIME on|off TEXT", or the same as a JSON object; the time carries its UTC offset.
    static const QRegularExpression time(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d)$"));
    const auto expectLine = [&](const QString& shown) {
        const QString line = nextLine(watch).value_or("");
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        const QString stamp = json ? object.value("time").toString() : line.section(u' ', 0, 0);
        QVERIFY2(time.match(stamp).hasMatch(), qPrintable(line));
        QCOMPARE(json ? object.value("server").toString() + u' ' + object.value("status").toString()
                      : line.section(u' ', 1),
                 shown);
    };
    expectLine("on サーバー:ON");
    if (QTest::currentTestFailed())
        return;

    QNetworkAccessManager manager;
    QNetworkReply* const reply = manager.get(QNetworkRequest(QUrl(tvsim.url + "/hibern.asp")));
    QSignalSpy done(reply, &QNetworkReply::finished);
    QVERIFY(done.wait());
    reply->deleteLater();
    expectLine("off サーバー:OFF");
    if (QTest::currentTestFailed())
        return;
    // Many more looks (an interval is 20 ms here) find nothing new and print nothing.
    QVERIFY(!nextLine(watch, 400));

    QCOMPARE(::kill(static_cast<pid_t>(watch.processId()), signal), 0);
    QVERIFY(watch.waitForFinished(LineMs));
    QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
    QCOMPARE(watch.exitCode(), 0);
    QCOMPARE(watch.readAllStandardError(), QByteArray());
#endif
}

void PelorinctlTest::wakeSendsSecureOnPacket() {
    TvSim tvsim({"--wol-ports", "0"});
    QVERIFY(tvsim.isReady());
    QUdpSocket own;
    QVERIFY(own.bind(QHostAddress::LocalHost, 0));
    const QString ports = tvsim.wolPorts + u',' + QString::number(own.localPort());

    const Finished run = ctl({"wake", Mac, "--to", "127.0.0.1", "--ports", ports, "--count", "2",
                              "--secureon", "0a-0B-fe-01-02-ff", "--json"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.json().value("datagrams").toInt(), 4);
    QCOMPARE(run.json().value("destination").toString(), "127.0.0.1");

    const QByteArray expected = QByteArray(6, '\xFF') +
                                QByteArray::fromHex("001122334455").repeated(16) +
                                QByteArray::fromHex("0a0bfe0102ff");
    for (int n = 0; n < 2; ++n) {
        QVERIFY(own.hasPendingDatagrams() || own.waitForReadyRead(LineMs));
        QByteArray datagram(int(own.pendingDatagramSize()), '\0');
        own.readDatagram(datagram.data(), datagram.size());
        QCOMPARE(datagram, expected);
    }
    QCOMPARE(tvsim.waitForLog("size=108 magic=yes", 2), 2);
}

void PelorinctlTest::badInputWritesNothing_data() {
    QTest::addColumn<QString>("args");
    const QString wake = "wake " + Mac + " --to 127.0.0.1 ";
    QTest::newRow("MAC of five groups") << "config set Server Mac 00-11-22-33-44";
    QTest::newRow("MAC not hexadecimal") << "wake 00-11-22-33-44-zz --to 127.0.0.1";
    QTest::newRow("unknown section") << "config set Servers URL http://127.0.0.1/tv";
    QTest::newRow("unknown key") << "config get Server Colour";
    QTest::newRow("ftp URL") << "config set Server URL ftp://127.0.0.1/tv";
    QTest::newRow("URL port too big") << "config set Server URL http://127.0.0.1:70000/tv";
    QTest::newRow("status of ftp URL") << "status ftp://127.0.0.1/tv";
    QTest::newRow("--ports too big") << wake + "--ports 9,70000";
    QTest::newRow("--ports zero") << "on --ports 0";
    QTest::newRow("--count 0") << wake + "--count 0";
    QTest::newRow("--secureon short") << wake + "--secureon 01-02-03";
    QTest::newRow("--interval 0") << "watch --interval 0";
    QTest::newRow("--interval word") << "watch --interval soon";
    QTest::newRow("unknown option") << "off --force";
}

void PelorinctlTest::badInputWritesNothing() {
    QFETCH(QString, args);
    const QByteArray before = "; kept byte for byte\r\n[Server]\r\nURL=http://127.0.0.1:9/tv\r\n";
    store(before);

    const Finished run = ctl(args.split(u' '));
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.startsWith("pelorinctl: ") && run.err.count(u'\n') == 1, qPrintable(run.err));
    QCOMPARE(stored(), before);
}

void PelorinctlTest::everyCommandHasHelp() {
    for (const QString command : {"on", "off", "status", "watch", "macs", "wake", "config"}) {
        const Finished run = ctl({command, "--help"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("Usage: pelorinctl " + command + " [options]"),
                 qPrintable(run.out));
        QVERIFY(run.out.contains("--json"));
    }
}

void PelorinctlTest::manPageRenders() {
    const QString man = QStandardPaths::findExecutable("man");
    if (man.isEmpty())
        QSKIP("man is not installed");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MANWIDTH", "80");
    process.setProcessEnvironment(environment);
    process.start(man, {"--warnings", "-l", CliSources + "/pelorinctl.1"});
    QVERIFY(process.waitForFinished(FinishMs));
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(process.readAllStandardOutput().contains("EXIT STATUS"));
}

void PelorinctlTest::bashCompletionOffersWords() {
    const QString bash = QStandardPaths::findExecutable("bash");
    if (bash.isEmpty())
        QSKIP("bash is not installed");
    const QString script = "source \"$1\"; shift; COMP_WORDS=(\"$@\"); "
                           "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _pelorinctl; "
                           "echo \"${COMPREPLY[*]}\"";
    const auto offered = [&](const QString& line) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels); // errors spoil the comparison
        process.start(
            bash, QStringList{"-c", script, "bash", CliSources + "/pelorinctl-completion.bash"} +
                      line.split(u' '));
        process.waitForFinished(FinishMs);
        return QString::fromUtf8(process.readAll()).trimmed();
    };
    QCOMPARE(offered("pelorinctl w"), "watch wake");
    QCOMPARE(offered("pelorinctl --settings s.ini o"), "on off");
    QCOMPARE(offered("pelorinctl wake --s"), "--secureon");
    QCOMPARE(offered("pelorinctl config get Server Mac-"), "Mac-1 Mac-2 Mac-3 Mac-4 Mac-5");
}

QTEST_GUILESS_MAIN(PelorinctlTest)
#include "tst_pelorinctl.moc"
