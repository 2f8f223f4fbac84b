// The POSIX platform layer for real: launchers written into a temporary home folder and checked
// with desktop-file-validate, real programs started and waited for, and the Primelet program
// itself starting a tool that lives in a folder with spaces.

#include "common/timing.h"
#include "postinstall/moduac.h"
#include "postinstall/platform/posix.h"
#include "postinstall/shortcuts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pelorin;
using namespace pelorin::postinstall;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The arguments a launcher makes of an entry's Exec value. Inside double quotes the shell
// takes the same backslash escapes as a launcher, so it splits the value once the string
// escapes and `%%` are undone.
QStringList execArguments(const QByteArray& entry) {
    QString exec = QString::fromUtf8(entry).section(u"\nExec="_s, 1).section(u'\n', 0, 0);
    exec.replace(u"\\\\"_s, u"\\"_s).replace(u"%%"_s, u"%"_s);
    QProcess shell;
    shell.start(u"sh"_s, {u"-c"_s, u"printf '%s\\n' "_s + exec});
    shell.waitForFinished();
    return QString::fromUtf8(shell.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// desktop-file-validate's verdict: empty when the file is valid.
QString validationErrors(const QString& path) {
    QProcess validator;
    validator.start(u"desktop-file-validate"_s, {path});
    if (!validator.waitForFinished(30000))
        return u"desktop-file-validate did not finish"_s;
    const QString output =
        QString::fromUtf8(validator.readAllStandardOutput() + validator.readAllStandardError());
    return validator.exitCode() == 0 && !output.contains(u"error"_s) ? QString() : output;
}

constexpr auto FakeTool = "#!/bin/sh\nprintf '%s' \"$0\" > \"$(dirname \"$0\")/started\"\n";

bool makeFakeTool(const QString& folder) {
    const QString path = folder + u"/Pelorin"_s;
    return QDir().mkpath(folder) && writeFile(path, FakeTool) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class RealEvents final : public EventPump {
public:
    int pauses = 0;
    void processPendingEvents() override { QCoreApplication::processEvents(); }
    void pause(int milliseconds) override {
        ++pauses;
        timing::waitProcessingEvents(milliseconds);
    }
};

} // namespace

class TestPosixLayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void launchersReplacedAndValid();
    void execLineKeepsOddPathsWhole_data();
    void execLineKeepsOddPathsWhole();
    void programsStartedAndWaitedFor();
    void primeletProgramStartsToolInFolderWithSpaces();

private:
    QTemporaryDir m_root;
    QString m_home;
    QString m_desktop;
    QString m_startMenu;
    std::unique_ptr<Platform> m_platform;

    QStringList launchers() const {
        return {m_desktop + u"/ペロリン.desktop"_s, m_startMenu + u"/ペロリン.desktop"_s};
    }
    static QString expectedEntry(const QString& folder) {
        return u"[Desktop Entry]\nType=Application\nName=Pelorin\nName[ja]=ペロリン\nIcon=pelorin\n"
               u"Exec=\"%1/Pelorin\"\nPath=%1\nTerminal=false\n"_s.arg(folder);
    }
    static bool haveValidator() {
        return !QStandardPaths::findExecutable(u"desktop-file-validate"_s).isEmpty();
    }
};

void TestPosixLayer::initTestCase() {
    QVERIFY(m_root.isValid());
    m_home = m_root.filePath(u"home"_s);
    qputenv("HOME", QFile::encodeName(m_home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home + u"/.config"_s));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home + u"/.local/share"_s));
    m_desktop = m_home + u"/Desktop"_s;
    m_startMenu = m_home + u"/.local/share/applications/ペロリン"_s;
    m_platform = makeSystemPlatform();
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestPosixLayer::init() {
    QDir(m_home).removeRecursively();
    QVERIFY(QDir().mkpath(m_desktop));
    QVERIFY(QDir().mkpath(m_startMenu));
    // Stale launchers from an earlier installation, to be replaced.
    QVERIFY(writeFile(launchers()[0], "[Desktop Entry]\nName=old\n"));
    QVERIFY(writeFile(launchers()[1], "stale"));
}

void TestPosixLayer::launchersReplacedAndValid() {
    const QString folder = m_root.filePath(u"Program Files/Pelorin"_s);
    CreateShortcuts(*m_platform, folder.toStdWString());
    for (const QString& launcher : launchers()) {
        QCOMPARE(QString::fromUtf8(readFile(launcher)), expectedEntry(folder));
        QVERIFY(QFile::permissions(launcher).testFlag(QFile::ExeOwner));
        if (haveValidator()) {
            const QString errors = validationErrors(launcher);
            QVERIFY2(errors.isEmpty(), qPrintable(errors));
        }
    }
    if (!haveValidator())
        QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
}

void TestPosixLayer::execLineKeepsOddPathsWhole_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("space") << u"/home/taro/My Programs/ペロリン"_s;
    QTest::newRow("dollar") << u"/srv/$HOME/x"_s;
    QTest::newRow("quote") << u"/srv/say \"hi\""_s;
    QTest::newRow("backslash") << u"/srv/back\\slash"_s;
    QTest::newRow("percent") << u"/srv/100% sure"_s;
    QTest::newRow("shell characters") << u"/srv/a;b&c|d(e)`f`*?#~<>'"_s;
}

void TestPosixLayer::execLineKeepsOddPathsWhole() {
    QFETCH(QString, folder);
    const QString target = folder + u"/Pelorin"_s;
    const QByteArray entry =
        posix::desktopEntryText({target.toStdWString(), folder.toStdWString(), 4}).toUtf8();
    QCOMPARE(execArguments(entry), QStringList{target});

    if (!haveValidator())
        QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
    const QString path = m_root.filePath(u"odd.desktop"_s);
    QVERIFY(writeFile(path, entry));
    const QString errors = validationErrors(path);
    QVERIFY2(errors.isEmpty(), qPrintable(errors + QString::fromUtf8(entry)));
}

void TestPosixLayer::programsStartedAndWaitedFor() {
    QVERIFY(!m_platform->start({L"/nonexistent/program", {}}, WindowStyle::MinimizedFocus));

    // Arguments with spaces arrive whole, and the wait lasts until the program has ended.
    const QString script = m_root.filePath(u"write args"_s);
    QVERIFY(writeFile(script, "#!/bin/sh\nsleep 0.1\nprintf '%s|' \"$@\" > \"$0.out\"\n"));
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const std::unique_ptr<StartedProgram> program =
        m_platform->start({script.toStdWString(), {L"a b", L"$c"}}, WindowStyle::MinimizedFocus);
    QVERIFY(program);
    RealEvents events;
    modUAC::waitUntilEnded(*program, events);
    QCOMPARE(readFile(script + u".out"_s), "a b|$c|"_ba);
    QVERIFY(events.pauses > 0);
    QVERIFY(program->hasEnded());
}

void TestPosixLayer::primeletProgramStartsToolInFolderWithSpaces() {
    const QString folder = m_root.filePath(u"Program Files/Pelorin copy"_s);
    QVERIFY(makeFakeTool(folder));
    const QString primelet = folder + u"/Primelet"_s;
    QFile::remove(primelet);
    QVERIFY(QFile::copy(QStringLiteral(PRIMELET_PATH), primelet));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    process.setProcessEnvironment(environment);
    process.start(primelet, {});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);

    // Started by its full path; no Windows version here, so the launchers are renewed.
    const QString started = folder + u"/started"_s;
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(started) && !readFile(started).isEmpty(), 10000);
    QCOMPARE(QString::fromUtf8(readFile(started)), folder + u"/Pelorin"_s);
    for (const QString& launcher : launchers())
        QCOMPARE(QString::fromUtf8(readFile(launcher)), expectedEntry(folder));
}

QTEST_MAIN(TestPosixLayer)
#include "tst_posixlayer.moc"
