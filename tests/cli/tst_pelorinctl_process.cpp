// What only the real pelorinctl executable shows, each run a process of its own on 127.0.0.1
// only: signals, the terminal's echo, `watch`, what main() does with Qt's own messages; and the
// shells' completions and the manual page as they are installed. PELORIN_TIME_SCALE shortens
// every wait and time-out.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
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

// The next line a process prints on standard output, waiting for it; nothing when none came.
std::optional<QString> nextLine(QProcess& process, int ms = LineMs) {
    const QDeadlineTimer deadline(ms);
    while (!process.canReadLine()) {
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            return std::nullopt;
    }
    return QString::fromUtf8(process.readLine()).chopped(1);
}

// tvsim as a separate process; it gets SIGTERM when the test is done with it.
class TvSim {
public:
    TvSim() {
        m_process.start(executable(QStringLiteral("tvsim")), {"--wol-ports", "", "--quiet"});
        static const QRegularExpression ready(QStringLiteral("^tvsim: listening url=(\\S+) "));
        url = ready.match(nextLine(m_process).value_or("")).captured(1);
    }
    ~TvSim() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    QString url;

private:
    QProcess m_process;
};

// What a shell's completion offers for a command line (the last word is the one completed).
QStringList completions(const QString& shell, const QString& line) {
    QProcess process;
    if (shell == "bash") {
        QStringList words = line.split(u' ');
        process.start("bash",
                      QStringList{"-c",
                                  "source \"$0\" && complete -p pelorinctl >/dev/null &&"
                                  " COMP_WORDS=(\"$@\") && COMP_CWORD=$((${#COMP_WORDS[@]} - 1))"
                                  "; _pelorinctl; printf '%s\\n' \"${COMPREPLY[@]}\"",
                                  CliSources + "/completions/pelorinctl.bash"} +
                          words);
    } else {
        process.start("fish", {"-c", "source $argv[1]; and complete -C $argv[2]",
                               CliSources + "/completions/pelorinctl.fish", line});
    }
    if (!process.waitForFinished(FinishMs) || process.exitCode() != 0)
        return {"failed: " + QString::fromUtf8(process.readAllStandardError())};
    QStringList offered;
    for (const QString& entry : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n'))
        if (!entry.isEmpty())
            offered.append(entry.section(u'\t', 0, 0)); // fish adds a description
    offered.sort();
    return offered;
}

} // namespace

class PelorinctlProcessTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    void startCtl(QProcess& process, const QStringList& args,
                  const QStringList& environment = {}) const {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert(QStringLiteral("PELORIN_TIME_SCALE"), QStringLiteral("0.02"));
        variables.remove(QStringLiteral("PELORIN_DEBUG"));
        for (const QString& variable : environment)
            variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        process.setProcessEnvironment(variables);
        process.start(executable(QStringLiteral("pelorinctl")),
                      QStringList{"--settings", m_dir->filePath("setting.ini")} + args);
    }

    QString storedPassword() const {
        QProcess process;
        startCtl(process, {"config", "get", "Server", "Password"});
        process.waitForFinished(FinishMs);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    void store(const QByteArray& text) const {
        QFile file(m_dir->filePath("setting.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // One language per run, chosen by the locale: the window's own words exactly for a Japanese
    // user, no Japanese at all for anyone else; the status word on standard output is data.
    void speaksTheUsersLanguage_data() {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said"); // standard error
        const QStringList status{"status", "http://127.0.0.1:1/tv"};
        QTest::newRow("ja status")
            << "ja_JP.UTF-8" << status << QStringLiteral("接続中...\nサーバー:OFF\n");
        QTest::newRow("en status")
            << "en_US.UTF-8" << status << QStringLiteral("Connecting...\nServer: OFF\n");
        const QStringList bad{"config", "set", "Server", "URL", "a\nb"};
        QTest::newRow("ja refused value")
            << "ja_JP.UTF-8" << bad << QStringLiteral("pelorinctl: 値に改行は入れられません\n");
        QTest::newRow("en refused value")
            << "en_US.UTF-8" << bad
            << QStringLiteral("pelorinctl: a value cannot contain line breaks\n");
    }
    void speaksTheUsersLanguage() {
        QFETCH(QString, lang);
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        QProcess process;
        startCtl(process, args, {"LANG=" + lang, "LANGUAGE=", "LC_ALL=", "LC_MESSAGES="});
        QVERIFY(process.waitForFinished(FinishMs));
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()), said);
    }

    // "-" at a terminal: a prompt on standard error, nothing of the typing echoed, and the
    // terminal's echo back on afterwards, also when a signal ends the program halfway.
    void passwordPromptHidesTyping_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QString>("stored"); // nothing: SIGINT ends the program instead
#ifdef Q_OS_UNIX
        QTest::newRow("Enter") << QByteArray("typed secret\n") << "typed secret";
        QTest::newRow("SIGINT") << QByteArray() << QString();
#endif
    }

    void passwordPromptHidesTyping() {
#ifndef Q_OS_UNIX
        QSKIP("pseudo-terminals are a POSIX matter");
#else
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
        QCOMPARE(::tcgetattr(terminal, &mode), 0);
        QVERIFY(mode.c_lflag & ECHO);
        QCOMPARE(storedPassword(), stored + u'\n');
#endif
    }

    void watchPrintsChangesUntilSignal_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("json");
#ifdef Q_OS_UNIX
        QTest::newRow("SIGTERM") << int(SIGTERM) << false;
        QTest::newRow("SIGINT, JSON") << int(SIGINT) << true;
#endif
    }

    void watchPrintsChangesUntilSignal() {
#ifndef Q_OS_UNIX
        QSKIP("ending on a signal is a POSIX matter");
#else
        QFETCH(int, signal);
        QFETCH(bool, json);
        TvSim tvsim;
        QVERIFY(!tvsim.url.isEmpty());
        store(QStringLiteral("[Server]\nURL=%1\n").arg(tvsim.url).toUtf8());
        QProcess watch;
        startCtl(watch, QStringList{"watch", "--interval", "1"} << (json ? "--json" : "--quiet"));

        // "TIME STATUS", the time with its UTC offset; or the same as JSON.
        static const QRegularExpression time(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d)$"));
        const auto next = [&]() -> QString {
            const QString line = nextLine(watch).value_or("");
            if (!json)
                return time.match(line.section(u' ', 0, 0)).hasMatch() ? line.section(u' ', 1)
                                                                       : line;
            const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
            if (object.keys() != QStringList{"server", "status", "time", "url"} ||
                !time.match(object.value("time").toString()).hasMatch() ||
                object.value("url").toString() != tvsim.url)
                return line;
            return object.value("status").toString() + u' ' + object.value("server").toString();
        };
        QCOMPARE(next(), json ? "ON on" : "ON");
        QNetworkAccessManager manager;
        QNetworkReply* const reply = manager.get(QNetworkRequest(QUrl(tvsim.url + "/hibern.asp")));
        QVERIFY(QSignalSpy(reply, &QNetworkReply::finished).wait());
        reply->deleteLater();
        QCOMPARE(next(), json ? "OFF off" : "OFF");
        // Many more looks (an interval is 20 ms here) find nothing new and print nothing.
        QVERIFY(!nextLine(watch, 400));

        QCOMPARE(::kill(static_cast<pid_t>(watch.processId()), signal), 0);
        QVERIFY(watch.waitForFinished(LineMs));
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);
        QCOMPARE(watch.readAllStandardError(), QByteArray());
#endif
    }

    // Qt's own messages (here its debug output, asked for through Qt's logging rules) do not
    // reach pelorinctl's users unless PELORIN_DEBUG is set.
    void qtMessagesHidden_data() {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<bool>("shown");
        QTest::newRow("hidden") << QStringList{"QT_LOGGING_RULES=*.debug=true"} << false;
        QTest::newRow("PELORIN_DEBUG")
            << QStringList{"QT_LOGGING_RULES=*.debug=true", "PELORIN_DEBUG=1"} << true;
    }

    void qtMessagesHidden() {
        QFETCH(QStringList, environment);
        QFETCH(bool, shown);
        QProcess process;
        // Nothing listens on port 9 of 127.0.0.1 in this test: the server reads OFF.
        startCtl(process, {"--json", "status", "http://127.0.0.1:9/tv"}, environment);
        QVERIFY(process.waitForFinished(FinishMs));
        QCOMPARE(process.exitCode(), 1);
        const QJsonObject result =
            QJsonDocument::fromJson(process.readAllStandardOutput()).object();
        QCOMPARE(result.value("status").toString(), "OFF");
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(err.contains("qt."), shown);
        if (!shown)
            QCOMPARE(err, "Connecting...\nServer: OFF\n");
    }

    // Each shell offers what the command at hand takes, and nothing it does not.
    void completionsOffer_data() {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("offered");
        const QStringList keys{"URL",   "UserName", "Password", "Address", "Mac",
                               "Mac-1", "Mac-2",    "Mac-3",    "Mac-4",   "Mac-5"};
        const struct {
            const char* name;
            QString line;
            QString offered;
        } cases[] = {
            {"command", "pelorinctl con", "config"},
            {"config action", "pelorinctl --quiet config ", "get list set"},
            {"sections", "pelorinctl config get ", "Form Pos Server"},
            {"keys", "pelorinctl --settings s.ini config set server ", keys.join(u' ')},
            {"nothing after list", "pelorinctl config list ", ""},
            {"list's options", "pelorinctl config list --", "--help --json --quiet --show-secrets"},
            {"set's options", "pelorinctl config set --", "--help --json --password-stdin --quiet"},
            {"discover's options", "pelorinctl discover 127.0.0.0/29 --",
             "--help --json --local --path --port --quiet --save --timeout"},
            {"wake's options after a value", "pelorinctl wake --to host --",
             "--count --help --json --ports --quiet --secureon --to"},
            {"help", "pelorinctl help ", "config discover help macs off on status wake watch"},
        };
        for (const char* shell : {"bash", "fish"}) {
            for (const auto& c : cases) {
                QStringList offered = c.offered.split(u' ', Qt::SkipEmptyParts);
                offered.sort();
                QTest::addRow("%s, %s", shell, c.name) << shell << c.line << offered.join(u' ');
            }
        }
    }

    void completionsOffer() {
        QFETCH(QString, shell);
        QFETCH(QString, line);
        QFETCH(QString, offered);
        if (QStandardPaths::findExecutable(shell).isEmpty())
            QSKIP("the shell is not installed (scripts/install-deps.sh installs it)");
        QCOMPARE(completions(shell, line).join(u' '), offered);
    }

    void zshCompletionIsValid() {
        if (QStandardPaths::findExecutable("zsh").isEmpty())
            QSKIP("zsh is not installed (scripts/install-deps.sh installs it)");
        QProcess zsh;
        zsh.start("zsh", {"-n", CliSources + "/completions/_pelorinctl"});
        QVERIFY(zsh.waitForFinished(FinishMs));
        QCOMPARE(zsh.readAllStandardError(), QByteArray());
        QCOMPARE(zsh.exitCode(), 0);
    }

    void manPageRenders() {
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
};

QTEST_GUILESS_MAIN(PelorinctlProcessTest)
#include "tst_pelorinctl_process.moc"
