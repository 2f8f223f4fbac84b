// The POSIX platform layer for real, and the Primelet program itself run in a temporary home.

#include "postinstall/platform/posix.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pelorin;
using namespace pelorin::postinstall;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
           (!executable || file.setPermissions(file.permissions() | QFile::ExeOwner));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPosixLayer : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;

private slots:
    void execLineKeepsOddPathsWhole_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("space") << u"/home/taro/My Programs/ペロリン"_s;
        QTest::newRow("shell and launcher characters")
            << u"/srv/$HOME \"hi\" back\\slash 100% a;b&c|d(e)`f`*?#~<>'"_s;
    }

    // Inside double quotes the shell takes the same backslash escapes as a launcher, so it splits
    // the Exec value as a launcher does once the string escapes and `%%` are undone.
    void execLineKeepsOddPathsWhole() {
        QFETCH(QString, folder);
        const QString target = folder + u"/Pelorin"_s;
        const QString entry =
            posix::desktopEntryText({target.toStdWString(), folder.toStdWString(), 4});
        QString exec = entry.section(u"\nExec="_s, 1).section(u'\n', 0, 0);
        exec.replace(u"\\\\"_s, u"\\"_s).replace(u"%%"_s, u"%"_s);
        QProcess shell;
        shell.start(u"sh"_s, {u"-c"_s, u"printf '%s\\n' "_s + exec});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), target + u'\n');

        if (QStandardPaths::findExecutable(u"desktop-file-validate"_s).isEmpty())
            QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
        const QString path = m_root.filePath(u"odd.desktop"_s);
        QVERIFY(writeFile(path, entry.toUtf8()));
        QCOMPARE(QProcess::execute(u"desktop-file-validate"_s, {path}), 0);
    }

    // Arguments with spaces arrive whole; the program counts as ended only once it has.
    void programsStartedAndWaitedFor() {
        const std::unique_ptr<Platform> platform = makeSystemPlatform();
        const QString script = m_root.filePath(u"write args"_s);
        QVERIFY(
            writeFile(script, "#!/bin/sh\nsleep 0.1\nprintf '%s|' \"$@\" > \"$0.out\"\n", true));
        const std::unique_ptr<StartedProgram> program =
            platform->start({script.toStdWString(), {L"a b", L"$c"}}, WindowStyle::MinimizedFocus);
        QVERIFY(program);
        QTRY_VERIFY(program->hasEnded());
        QCOMPARE(readFile(script + u".out"_s), "a b|$c|"_ba);
    }

    // Stale launchers from an earlier installation are replaced (no Windows version here), and the
    // tool is started by its full path.
    void primeletProgramStartsToolInFolderWithSpaces() {
        const QString home = m_root.filePath(u"home"_s);
        const QStringList launchers{home + u"/Desktop/ペロリン.desktop"_s,
                                    home +
                                        u"/.local/share/applications/ペロリン/ペロリン.desktop"_s};
        for (const QString& launcher : launchers)
            QVERIFY(QDir().mkpath(QFileInfo(launcher).path()) && writeFile(launcher, "stale"));
        const QString folder = m_root.filePath(u"Program Files/Pelorin copy"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeFile(folder + u"/Pelorin"_s,
                          "#!/bin/sh\nprintf '%s' \"$0\" > \"$(dirname \"$0\")/started\"\n", true));
        QVERIFY(QFile::copy(QStringLiteral(PRIMELET_PATH), folder + u"/Primelet"_s));

        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + u"/.config"_s));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + u"/.local/share"_s));
        QCOMPARE(QProcess::execute(folder + u"/Primelet"_s, {}), 0);

        QTRY_COMPARE_WITH_TIMEOUT(readFile(folder + u"/started"_s),
                                  (folder + u"/Pelorin"_s).toUtf8(), 10000);
        for (const QString& launcher : launchers) {
            QCOMPARE(QString::fromUtf8(readFile(launcher)),
                     u"[Desktop Entry]\nType=Application\nName=Pelorin\nName[ja]=ペロリン\n"
                     u"Icon=pelorin\nExec=\"%1/Pelorin\"\nPath=%1\nTerminal=false\n"_s.arg(folder));
            QVERIFY(QFile::permissions(launcher).testFlag(QFile::ExeOwner));
        }
    }
};

QTEST_GUILESS_MAIN(TestPosixLayer)
#include "tst_posixlayer.moc"
