// The POSIX platform layer for real: launchers written into a temporary home folder and checked
// with desktop-file-validate, real programs started and waited for, the whole sequence and the
// Primelet program itself starting a tool that lives in a folder with spaces.

#include "common/timing.h"
#include "postinstall/frmprimelet.h"
#include "postinstall/moduac.h"
#include "postinstall/osversion.h"
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

QString value(const QByteArray& entry, const QString& key) {
    for (const QString& line : QString::fromUtf8(entry).split(u'\n')) {
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return {};
}

// Reads an Exec value back as a launcher would: string escapes first, then `%%`, then quotes.
QStringList execArguments(const QString& value) {
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            unescaped += value[i];
            continue;
        }
        const QChar next = value[++i];
        unescaped += next == u's' ? u' ' : next == u'n' ? u'\n' : next == u't' ? u'\t' : next;
    }
    unescaped.replace(u"%%"_s, u"%"_s);
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted && c == u'\\' && i + 1 < unescaped.size()) {
            current += unescaped[++i];
        } else if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (c == u' ' && !quoted) {
            if (any || !current.isEmpty())
                arguments << current;
            current.clear();
            any = false;
        } else {
            current += c;
        }
    }
    if (any || !current.isEmpty())
        arguments << current;
    return arguments;
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

    void noVersionNoRegistry();
    void launchersReplaced();
    void launchersValid();
    void execLineKeepsOddPathsWhole_data();
    void execLineKeepsOddPathsWhole();
    void startMenuFolderNotCreated();
    void desktopFolderOfTheUser();

    void programsStartedAndWaitedFor();
    void sequenceStartsToolInFolderWithSpaces();
    void primeletProgramEndToEnd();

private:
    QTemporaryDir m_root;
    QString m_home;
    QString m_desktop;
    QString m_startMenu;
    QString m_programFolder;
    std::unique_ptr<Platform> m_platform;

    QString desktopLauncher() const { return m_desktop + u"/ペロリン.desktop"_s; }
    QString startMenuLauncher() const { return m_startMenu + u"/ペロリン.desktop"_s; }
    QString expectedEntry(const QString& folder) const;
    void skipWithoutValidator() const;
};

void TestPosixLayer::initTestCase() {
    QVERIFY(m_root.isValid());
    m_home = m_root.filePath(u"home"_s);
    qputenv("HOME", QFile::encodeName(m_home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home + u"/.config"_s));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home + u"/.local/share"_s));
    m_desktop = m_home + u"/Desktop"_s;
    m_startMenu = m_home + u"/.local/share/applications/ペロリン"_s;
    m_programFolder = m_root.filePath(u"Program Files/Pelorin"_s);
    QVERIFY(makeFakeTool(m_programFolder));
    m_platform = makeSystemPlatform();
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestPosixLayer::init() {
    QDir(m_home).removeRecursively();
    QVERIFY(QDir().mkpath(m_desktop));
    QVERIFY(QDir().mkpath(m_startMenu));
    QFile::remove(m_programFolder + u"/started"_s);
}

QString TestPosixLayer::expectedEntry(const QString& folder) const {
    return u"[Desktop Entry]\nType=Application\nName=ペロリン\nExec=\"%1/Pelorin\"\nPath=%1\n"
           u"Terminal=false\n"_s.arg(folder);
}

void TestPosixLayer::skipWithoutValidator() const {
    if (QStandardPaths::findExecutable(u"desktop-file-validate"_s).isEmpty())
        QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
}

void TestPosixLayer::noVersionNoRegistry() {
    QCOMPARE(GetOSVersion(*m_platform), std::string());
    QVERIFY(!modUAC::IsUACEnabled(*m_platform));
    QVERIFY(m_platform->pathRules().separator == L'/');
}

void TestPosixLayer::launchersReplaced() {
    QVERIFY(writeFile(desktopLauncher(), "[Desktop Entry]\nName=old\n"));
    QVERIFY(writeFile(startMenuLauncher(), "stale"));
    CreateShortcuts(*m_platform, m_programFolder.toStdWString());

    for (const QString& launcher : {desktopLauncher(), startMenuLauncher()}) {
        QCOMPARE(QString::fromUtf8(readFile(launcher)), expectedEntry(m_programFolder));
        QVERIFY(QFile::permissions(launcher).testFlag(QFile::ExeOwner));
    }
    QCOMPARE(execArguments(value(readFile(desktopLauncher()), u"Exec"_s)),
             QStringList{m_programFolder + u"/Pelorin"_s});
}

void TestPosixLayer::launchersValid() {
    skipWithoutValidator();
    CreateShortcuts(*m_platform, m_programFolder.toStdWString());
    for (const QString& launcher : {desktopLauncher(), startMenuLauncher()}) {
        const QString errors = validationErrors(launcher);
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
    }
}

void TestPosixLayer::execLineKeepsOddPathsWhole_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << u"/opt/pelorin"_s;
    QTest::newRow("space") << u"/home/taro/My Programs/ペロリン"_s;
    QTest::newRow("dollar") << u"/srv/$HOME/x"_s;
    QTest::newRow("quote") << u"/srv/say \"hi\""_s;
    QTest::newRow("backslash") << u"/srv/back\\slash"_s;
    QTest::newRow("percent") << u"/srv/100% sure"_s;
    QTest::newRow("shell characters") << u"/srv/a;b&c|d(e)`f`*?#~<>'"_s;
    QTest::newRow("leading space") << u" /srv/lead"_s;
}

void TestPosixLayer::execLineKeepsOddPathsWhole() {
    QFETCH(QString, folder);
    const QString target = folder + u"/Pelorin"_s;
    const QByteArray entry =
        posix::desktopEntryText({target.toStdWString(), folder.toStdWString(), 4}).toUtf8();
    QCOMPARE(execArguments(value(entry, u"Exec"_s)), QStringList{target});

    skipWithoutValidator();
    const QString path = m_root.filePath(u"odd.desktop"_s);
    QVERIFY(writeFile(path, entry));
    const QString errors = validationErrors(path);
    QVERIFY2(errors.isEmpty(), qPrintable(errors + QString::fromUtf8(entry)));
}

void TestPosixLayer::startMenuFolderNotCreated() {
    QVERIFY(QDir(m_startMenu).removeRecursively());
    CreateShortcuts(*m_platform, m_programFolder.toStdWString());
    QCOMPARE(QString::fromUtf8(readFile(desktopLauncher())), expectedEntry(m_programFolder));
    QVERIFY(!QFileInfo::exists(m_startMenu));
}

void TestPosixLayer::desktopFolderOfTheUser() {
    // A Japanese desktop is often called デスクトップ; the user's folder settings say so.
    const QString desktop = m_home + u"/デスクトップ"_s;
    QVERIFY(QDir().mkpath(desktop));
    QVERIFY(QDir().mkpath(m_home + u"/.config"_s));
    QVERIFY(writeFile(m_home + u"/.config/user-dirs.dirs"_s,
                      "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n"));
    CreateShortcuts(*m_platform, m_programFolder.toStdWString());
    QVERIFY(QFileInfo::exists(desktop + u"/ペロリン.desktop"_s));
    QVERIFY(!QFileInfo::exists(desktopLauncher()));
}

void TestPosixLayer::programsStartedAndWaitedFor() {
    QVERIFY(!m_platform->start({L"/nonexistent/program", {}}, WindowStyle::MinimizedFocus));

    // Arguments with spaces arrive whole, and the wait lasts until the program has ended.
    const QString script = m_root.filePath(u"Program Files/write args"_s);
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

void TestPosixLayer::sequenceStartsToolInFolderWithSpaces() {
    QVERIFY(writeFile(desktopLauncher(), "old"));
    frmPrimelet form(*m_platform, m_programFolder.toStdWString());
    form.Form_Load();

    const QString started = m_programFolder + u"/started"_s;
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(started) && !readFile(started).isEmpty(), 10000);
    QCOMPARE(QString::fromUtf8(readFile(started)), m_programFolder + u"/Pelorin"_s);
    // No Windows version here: the launchers are always renewed.
    QCOMPARE(QString::fromUtf8(readFile(desktopLauncher())), expectedEntry(m_programFolder));
    QVERIFY(QFileInfo::exists(startMenuLauncher()));
    QVERIFY(!form.splash().isVisible());
}

void TestPosixLayer::primeletProgramEndToEnd() {
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

    const QString started = folder + u"/started"_s;
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(started) && !readFile(started).isEmpty(), 10000);
    QCOMPARE(QString::fromUtf8(readFile(started)), folder + u"/Pelorin"_s);
    QCOMPARE(QString::fromUtf8(readFile(desktopLauncher())), expectedEntry(folder));
    QCOMPARE(QString::fromUtf8(readFile(startMenuLauncher())), expectedEntry(folder));
}

QTEST_MAIN(TestPosixLayer)
#include "tst_posixlayer.moc"
