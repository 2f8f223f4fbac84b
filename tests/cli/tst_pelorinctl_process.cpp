// What only the real executables show, each a process of its own on 127.0.0.1: the language,
// signals, the terminal's echo, `watch`; and the shell completions.
#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

constexpr int LineMs = 10000;

// The next line a process prints on its read channel; empty when none came in time.
QString nextLine(QProcess& process, int ms = LineMs) {
    while (!process.canReadLine() && process.waitForReadyRead(ms)) {
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

class PelorinctlProcessTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // Starts pelorinctl with "NAME=VALUE" words of `environment` added to our environment.
    void start(QProcess& process, const QStringList& args, const QString& environment = {}) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(QStringLiteral("PELORIN_TIME_SCALE"), QStringLiteral("0.02"));
        variables.remove(QStringLiteral("PELORIN_DEBUG"));
        for (const QString& variable :
             ("LANGUAGE= LC_ALL= LC_MESSAGES= " + environment).split(u' ', Qt::SkipEmptyParts))
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        process.setProcessEnvironment(variables);
        process.start(QCoreApplication::applicationDirPath() + "/pelorinctl",
                      QStringList{"--settings", m_dir.filePath("s.ini")} + args);
    }

    // The standard error of a pelorinctl that ran to its end.
    QString said(const QStringList& args, const QString& environment = {}) {
        QProcess process;
        start(process, args, environment);
        return process.waitForFinished(60000) ? process.readAllStandardError() : "hung";
    }

private Q_SLOTS:
    void init() { QFile::remove(m_dir.filePath("s.ini")); }

    // The language chosen by the locale, the window's own words for a Japanese user; Qt's own
    // debug messages reach the user only with PELORIN_DEBUG set.
    void speaksTheUsersLanguage() {
        const QString debug = "LANG=en_US.UTF-8 QT_LOGGING_RULES=*.debug=true";
        const QStringList status{"status", "http://127.0.0.1:1/tv"};
        QCOMPARE(said(status, "LANG=ja_JP.UTF-8"), QStringLiteral("接続中...\nサーバー:OFF\n"));
        QCOMPARE(said(status, debug), "Connecting...\nServer: OFF\n");
        QVERIFY(said(status, debug + " PELORIN_DEBUG=1").contains("qt."));
    }

#ifdef Q_OS_UNIX
    // "-" at a terminal: a prompt on standard error, nothing of the typing echoed, and the
    // terminal's echo back on afterwards, also when a signal ends the program halfway.
    void passwordPromptHidesTyping_data() {
        QTest::addColumn<QByteArray>("typed"); // nothing: SIGINT ends the program instead
        QTest::newRow("Enter") << QByteArray("typed secret\n");
        QTest::newRow("SIGINT") << QByteArray();
    }

    void passwordPromptHidesTyping() {
        QFETCH(QByteArray, typed);
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
        start(process, {"config", "set", "Server", "Password", "-"});
        // Typed once the prompt shows, as a user would: the echo is off by then.
        QByteArray prompt;
        while (!prompt.contains("Password") && process.waitForReadyRead(LineMs))
            prompt += process.readAllStandardError();
        QVERIFY2(prompt.contains("Password"), prompt.constData());
        QCOMPARE(::write(master, typed.constData(), size_t(typed.size())), typed.size());
        if (typed.isEmpty())
            QCOMPARE(::kill(static_cast<pid_t>(process.processId()), SIGINT), 0);
        QVERIFY(process.waitForFinished(LineMs));
        QCOMPARE(process.exitStatus(),
                 typed.isEmpty() ? QProcess::CrashExit : QProcess::NormalExit);

        char echoed[64] = {}; // nothing: the read finds the terminal's output empty
        QCOMPARE(::read(master, echoed, sizeof echoed), ssize_t(-1));
        termios mode{};
        QVERIFY(::tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ECHO));
        start(process, {"config", "get", "Server", "Password"});
        QVERIFY(process.waitForFinished(LineMs));
        QCOMPARE(process.readAllStandardOutput(), typed.isEmpty() ? "\n" : typed);
    }

    // `watch` prints a line only when the status changes, and a signal ends it cleanly.
    void watchPrintsChangesUntilSignal_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("format"); // of a line; %1 the status, %2 the server's state
        QTest::newRow("SIGTERM") << int(SIGTERM) << "T %1";
        QTest::newRow("SIGINT, JSON")
            << int(SIGINT) << R"({"server":"%2","status":"%1","time":"T","url":"U"})";
    }

    void watchPrintsChangesUntilSignal() {
        QFETCH(int, signal);
        QFETCH(QString, format);
        QProcess tvsim;
        tvsim.start(QCoreApplication::applicationDirPath() + "/tvsim",
                    {"--wol-ports", "", "--quiet"});
        static const QRegularExpression ready(QStringLiteral("^tvsim: listening url=(\\S+) "));
        const QString url = ready.match(nextLine(tvsim)).captured(1);
        QCOMPARE(said({"config", "set", "Server", "URL", url}), QString());
        QProcess watch;
        start(watch, {"watch", "--interval", "1", format.startsWith('{') ? "--json" : "--quiet"});
        static const QRegularExpression time( // with its UTC offset
            QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d)"));
        const auto next = [&] { return nextLine(watch).replace(time, "T").replace(url, "U"); };
        const auto line = [&](const char* status, const char* server) {
            return QString(format).replace("%1", status).replace("%2", server);
        };
        QCOMPARE(next(), line("ON", "on"));
        QCOMPARE(said({"off", "--quiet"}), QString());
        QCOMPARE(next(), line("OFF", "off"));
        // Many more looks (an interval is 20 ms here) find nothing new and print nothing.
        QCOMPARE(nextLine(watch, 400), QString());

        QCOMPARE(::kill(static_cast<pid_t>(watch.processId()), signal), 0);
        QVERIFY(watch.waitForFinished(LineMs) && watch.exitStatus() == QProcess::NormalExit &&
                watch.exitCode() == 0);
        QCOMPARE(watch.readAllStandardError(), QByteArray());
        tvsim.terminate(); // SIGTERM, as a user would end it
        QVERIFY(tvsim.waitForFinished(LineMs));
    }
#endif

    // The completions read without a complaint, and the shells offer a section's keys, all and
    // only those. (The package check has lintian read the manual page.)
    void completions_data() {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("offered"); // sorted
        const QString dir = PELORIN_CLI_SOURCE_DIR "/completions/";
        const QByteArray keys = "Address Mac Mac-1 Mac-2 Mac-3 Mac-4 Mac-5 Password URL UserName\n";
        const QString bash = "source $0; COMP_WORDS=(pelorinctl config get server '');"
                             " COMP_CWORD=4; _pelorinctl; echo $(printf '%s\\n' "
                             "\"${COMPREPLY[@]}\" | LC_ALL=C sort)";
        const QString fish = "source $argv[1]; complete -C 'pelorinctl config set server ' | cut "
                             "-f1 | string join ' '";
        QTest::newRow("bash") << "bash" << QStringList{"-c", bash, dir + "pelorinctl.bash"} << keys;
        QTest::newRow("fish") << "fish" << QStringList{"-c", fish, dir + "pelorinctl.fish"} << keys;
        QTest::newRow("zsh") << "zsh" << QStringList{"-n", dir + "_pelorinctl"} << QByteArray();
    }

    void completions() {
        QFETCH(QString, shell);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, offered);
        if (QStandardPaths::findExecutable(shell).isEmpty())
            QSKIP("not installed (scripts/install-deps.sh installs it)");
        QProcess process;
        process.start(shell, args);
        QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
        QCOMPARE(process.readAllStandardError() + process.readAllStandardOutput(), offered);
    }
};

QTEST_GUILESS_MAIN(PelorinctlProcessTest)
#include "tst_pelorinctl_process.moc"
