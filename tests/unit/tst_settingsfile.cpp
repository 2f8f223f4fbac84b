#include "settings/settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pelorin;

class TestSettingsFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void readWriteChosenFile() {
        const QString folder = QCoreApplication::applicationDirPath();
        if (QFileInfo(folder).isWritable()) // a portable copy keeps them beside the program
            QCOMPARE(settingsFilePath(), folder + u"/setting.ini"_s);
        const QString path = m_dir.filePath(u"setting.ini"_s);
        setSettingsFilePath(path);
        QCOMPARE(ReadIni(ini::Server, ini::listKey(3)), QString());
        QVERIFY(WriteIni(ini::Server, ini::listKey(3), u"http://tv:8080"_s));
        QVERIFY(WriteIni(ini::Mac, ini::macKey(1), u"00-11-22-33-44-55"_s));
        QCOMPARE(ReadIni(u"server"_s, u"list-3"_s), u"http://tv:8080"_s);
        QCOMPARE(WriteIniChecked(ini::Mac, ini::macKey(1), u"00-11-22-33-44-55"_s),
                 IniFile::WriteResult::Unchanged);
        QVERIFY(WriteIni(ini::Mac, ini::macKey(1), u"00-11-22-33-44-55"_s));
        QVERIFY(!WriteIni(ini::Server, ini::Password, u"x\n[Server]"_s));
        QVERIFY(WriteIni(ini::Server, ini::listKey(ini::ListSlots), u"x"_s));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(
            file.readAll().replace("\r\n", "\n"),
            "[Server]\nList-3=http://tv:8080\nList-100=x\n[Mac]\nMac-1=00-11-22-33-44-55\n"_ba);
    }

    // The per-user folder is made, for its owner only, by the first save; the folder of a file a
    // caller chose is not: its absence must show as a failure.
    void folders() {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(u"config"_s)));
        const QString perUser = m_dir.filePath(u"config/Pelorin"_s);
        setSettingsFilePath(perUser + u"/setting.ini"_s);
        QVERIFY(WriteIni(ini::Pos, ini::Form, u"1"_s));
        QCOMPARE(QFile::permissions(perUser) & 0x7077,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        setSettingsFilePath(m_dir.filePath(u"nowhere/setting.ini"_s));
        QCOMPARE(settingsFileProblem(), IniFile::Problem::None);
        QCOMPARE(WriteIniChecked(ini::Pos, ini::Form, u"1"_s), IniFile::WriteResult::Failed);
        QVERIFY(!QFileInfo::exists(m_dir.filePath(u"nowhere"_s)));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
