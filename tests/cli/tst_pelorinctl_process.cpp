// What only the real pelorinctl executable shows, each run a process of its own on 127.0.0.1
// only: signals, the terminal's echo, `watch`, what main() does with Qt's own messages; and the
// shells' completions and the manual page as they are installed. PELORIN_TIME_SCALE shortens
// every wait and time-out.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

constexpr int FinishMs = 60000;
constexpr int LineMs = 10000;
const QString CliSources = QStringLiteral(PELORIN_CLI_SOURCE_DIR);

QString executable(const QString& name) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

// The next line a process prints on its read channel, waiting for it; nothing when none came.
std::optional<QString> nextLine(QProcess& process, int ms = LineMs) {
    const QDeadlineTimer deadline(ms);
    while (!process.canReadLine()) {
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
    }
    return QString::fromUtf8(process.readLine()).chopped(1);
}

// What a shell's completion offers for a command line (the last word is the one completed);
// for zsh and man, nothing when they read their file without a complaint.
QString offered(const QString& program, const QString& line) {
    const QHash<QString, QStringList> args{
        {"bash", QStringList{"-c",
                             "source \"$0\" && complete -p pelorinctl >/dev/null &&"
                             " COMP_WORDS=(\"$@\") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1))"
                             "; _pelorinctl; printf '%s\\n' \"${COMPREPLY[@]}\"",
                             CliSources + "/completions/pelorinctl.bash"} +
                     line.split(u' ')},
        {"fish",
         {"-c", "source $argv[1]; and complete -C $argv[2]",
          CliSources + "/completions/pelorinctl.fish", line}},
        {"zsh", {"-n", CliSources + "/completions/_pelorinctl"}},
        {"man", {"--warnings", "-l", CliSources + "/pelorinctl.1"}}};
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MANWIDTH", "80");
    process.setProcessEnvironment(environment);
    if (program == "man")
        process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, args.value(program));
    const QString err = process.waitForFinished(FinishMs) ? process.readAllStandardError() : "hung";
    if (process.exitCode() != 0 || !err.isEmpty())
        return "failed: " + err;
    QStringList offered;
    for (const QString& entry : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n'))
        if (!entry.isEmpty())
            offered.append(entry.section(u'\t', 0, 0)); // fish adds a description
    offered.sort();
    return offered.join(u' ');
}

} // namespace

class PelorinctlProcessTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // `environment`: "NAME=VALUE" words added to this process's own.
    void startCtl(QProcess& process, const QStringList& args, const QString& environment = {}) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(QStringLiteral("PELORIN_TIME_SCALE"), QStringLiteral("0.02"));
        variables.remove(QStringLiteral("PELORIN_DEBUG"));
        for (const QString& variable : environment.split(u' ', Qt::SkipEmptyParts))
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        process.setProcessEnvironment(variables);
        process.start(executable(QStringLiteral("pelorinctl")),
                      QStringList{"--settings", m_dir.filePath("setting.ini")} + args);
    }

private Q_SLOTS:
    void init() { QFile::remove(m_dir.filePath("setting.ini")); }

    // One language per run, chosen by the locale: the window's own words exactly for a Japanese
    // user, no Japanese for anyone else. Qt's own messages (its debug output, asked for through
    // its logging rules) reach the user only with PELORIN_DEBUG set.
    void speaksTheUsersLanguage_data() {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said"); // all of standard error ("qt.": a part of it)
        const QString en = "LANGUAGE= LC_ALL= LC_MESSAGES= LANG=en_US.UTF-8";
        const QString debug = en + " QT_LOGGING_RULES=*.debug=true";
        const QStringList status{"status", "http://127.0.0.1:1/tv"};
        QTest::newRow("ja") << "LANGUAGE= LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8" << status
                            << QStringLiteral("接続中...\nサーバー:OFF\n");
        QTest::newRow("en") << en << QStringList{"config", "set", "Server", "URL", "a\nb"}
                            << "pelorinctl: a value cannot contain line breaks\n";
        QTest::newRow("Qt's debug hidden") << debug << status << "Connecting...\nServer: OFF\n";
        QTest::newRow("PELORIN_DEBUG") << debug + " PELORIN_DEBUG=1" << status << "qt.";
    }

    void speaksTheUsersLanguage() {
        QFETCH(QString, environment);
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        QProcess process;
        startCtl(process, args, environment);
        QVERIFY(process.waitForFinished(FinishMs));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(said == "qt." ? err.contains(said) : err == said, qPrintable(err));
    }

#ifdef Q_OS_UNIX
    // "-" at a terminal: a prompt on standard error, nothing of the typing echoed, and the
    // terminal's echo back on afterwards, also when a signal ends the program halfway.
    void passwordPromptHidesTyping_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QString>("stored"); // nothing: SIGINT ends the program instead
        QTest::newRow("Enter") << QByteArray("typed secret\n") << "typed secret";
        QTest::newRow("SIGINT") << QByteArray() << QString();
    }

    void passwordPromptHidesTyping() {
        QFETCH(QByteArray, typed);
        QFETCH(QString, stored);
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        const auto closeBoth = qScopeGuard([&] {
            ::close(terminal);
            ::close(master);
        });
        QVERIFY(terminal >= 0);
        QProcess process;
        process.setStandardInputFile(QString::fromLocal8Bit(::ptsname(master)));
        process.setReadChannel(QProcess::StandardError);
        startCtl(process, {"config", "set", "Server", "Password", "-"});
        // Typed once the prompt shows, as a user would: the echo is off by then.
        QByteArray prompt;
        while (!prompt.contains("Password") && process.waitForReadyRead(LineMs))
            prompt += process.readAllStandardError();
        QVERIFY2(prompt.contains("Password"), prompt.constData());
        QCOMPARE(::write(master, typed.constData(), size_t(typed.size())), typed.size());
        if (stored.isNull())
            QCOMPARE(::kill(static_cast<pid_t>(process.processId()), SIGINT), 0);
        QVERIFY(process.waitForFinished(LineMs));
        QCOMPARE(process.exitStatus(),
                 stored.isNull() ? QProcess::CrashExit : QProcess::NormalExit);

        char echoed[64] = {}; // nothing: the read finds the terminal's output empty
        QCOMPARE(::read(master, echoed, sizeof echoed), ssize_t(-1));
        termios mode{};
        QVERIFY(::tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ECHO));
        startCtl(process, {"config", "get", "Server", "Password"});
        QVERIFY(process.waitForFinished(FinishMs));
        QCOMPARE(process.readAllStandardOutput(), stored.toUtf8() + '\n');
    }

    // `watch` prints a line only when the status changes, and a signal ends it cleanly.
    void watchPrintsChangesUntilSignal_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("json");
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGINT, JSON") << int(SIGINT) << true;
    }

    void watchPrintsChangesUntilSignal() {
        QFETCH(int, signal);
        QFETCH(bool, json);
        QProcess tvsim; // it gets SIGTERM when the test is done with it
        const auto stop = qScopeGuard([&] {
            tvsim.terminate();
            tvsim.waitForFinished(5000);
        });
        tvsim.start(executable(QStringLiteral("tvsim")), {"--wol-ports", "", "--quiet"});
        static const QRegularExpression ready(QStringLiteral("^tvsim: listening url=(\\S+) "));
        const QString url = ready.match(nextLine(tvsim).value_or("")).captured(1);
        QVERIFY(!url.isEmpty());
        QFile file(m_dir.filePath("setting.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Server]\nURL=" + url.toUtf8()));
        file.close();
        QProcess watch;
        startCtl(watch, QStringList{"watch", "--interval", "1"} << (json ? "--json" : "--quiet"));

        // "TIME STATUS", the time with its UTC offset; or the same as JSON.
        static const QRegularExpression time(
            QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d)"));
        const auto next = [&] {
            return nextLine(watch).value_or("").replace(time, "T").replace(url, "U");
        };
        const auto line = [json](const char* status, const char* server) {
            return json ? QStringLiteral(R"({"server":"%1","status":"%2","time":"T","url":"U"})")
                              .arg(server, status)
                        : QStringLiteral("T ") + status;
        };
        QCOMPARE(next(), line("ON", "on"));
        QNetworkAccessManager manager;
        QNetworkReply* const reply = manager.get(QNetworkRequest(QUrl(url + "/hibern.asp")));
        QVERIFY(QSignalSpy(reply, &QNetworkReply::finished).wait());
        reply->deleteLater();
        QCOMPARE(next(), line("OFF", "off"));
        // Many more looks (an interval is 20 ms here) find nothing new and print nothing.
        QVERIFY(!nextLine(watch, 400));

        QCOMPARE(::kill(static_cast<pid_t>(watch.processId()), signal), 0);
        QVERIFY(watch.waitForFinished(LineMs));
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);
        QCOMPARE(watch.readAllStandardError(), QByteArray());
    }
#endif

    // Each shell offers what the command at hand takes, and nothing it does not.
    void completionsOffer_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("offered"); // sorted
        const char* const cases[][3] = {
            {"command", "pelorinctl con", "config"},
            {"keys", "pelorinctl --settings s.ini config set server ",
             "Address Mac Mac-1 Mac-2 Mac-3 Mac-4 Mac-5 Password URL UserName"},
            {"nothing after list", "pelorinctl config list ", ""},
            {"options after a value", "pelorinctl wake --to host --",
             "--count --help --json --ports --quiet --secureon --to"},
        };
        for (const char* shell : {"bash", "fish"})
            for (const auto& c : cases)
                QTest::addRow("%s, %s", shell, c[0]) << shell << c[1] << c[2];
        QTest::newRow("zsh") << "zsh"
                             << ""
                             << "";
        QTest::newRow("man page") << "man"
                                  << ""
                                  << "";
    }

    void completionsOffer() {
        QFETCH(QString, program);
        QFETCH(QString, line);
        QFETCH(QString, offered);
        if (QStandardPaths::findExecutable(program).isEmpty())
            QSKIP("not installed (scripts/install-deps.sh installs it)");
        QCOMPARE(::offered(program, line), offered);
    }
};

QTEST_GUILESS_MAIN(PelorinctlProcessTest)
#include "tst_pelorinctl_process.moc"
