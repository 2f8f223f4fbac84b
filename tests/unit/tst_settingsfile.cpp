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

private slots:
    void keyNames();
    void defaultPath();
    void readWriteChosenFile();
    void unusablePlaces();

private:
    QTemporaryDir m_dir;
};

void TestSettingsFile::keyNames() {
    QCOMPARE(ini::listKey(1), u"List-1"_s);
    QCOMPARE(ini::listKey(ini::ListSlots), u"List-100"_s);
    QCOMPARE(ini::macKey(ini::MacSlots), u"Mac-5"_s);
}

void TestSettingsFile::defaultPath() {
    const QString folder = QCoreApplication::applicationDirPath();
    if (!QFileInfo(folder).isWritable())
        QSKIP("The test runs from a read-only folder");
    QCOMPARE(defaultSettingsFilePath(), folder + u"/setting.ini"_s);
    QCOMPARE(settingsFilePath(), defaultSettingsFilePath());
}

void TestSettingsFile::readWriteChosenFile() {
    const QString path = m_dir.filePath(u"setting.ini"_s);
    setSettingsFilePath(path);
    QCOMPARE(settingsFilePath(), path);
    QCOMPARE(ReadIni(ini::Server, ini::listKey(3)), QString());

    QVERIFY(WriteIni(ini::Server, ini::listKey(3), u"http://tv:8080"_s));
    QVERIFY(WriteIni(ini::Mac, ini::macKey(1), u"00-11-22-33-44-55"_s));
    QCOMPARE(ReadIni(u"server"_s, u"list-3"_s), u"http://tv:8080"_s);
    QCOMPARE(WriteIniChecked(ini::Mac, ini::macKey(1), u"00-11-22-33-44-55"_s),
             IniFile::WriteResult::Unchanged);
    QVERIFY(WriteIni(ini::Mac, ini::macKey(1), u"00-11-22-33-44-55"_s));
    QVERIFY(!WriteIni(ini::Server, ini::Password, u"x\n[Server]"_s));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().replace("\r\n", "\n"),
             "[Server]\nList-3=http://tv:8080\n[Mac]\nMac-1=00-11-22-33-44-55\n"_ba);
}

void TestSettingsFile::unusablePlaces() {
    setSettingsFilePath(m_dir.filePath(u"nowhere/setting.ini"_s));
    QCOMPARE(settingsFileProblem(), IniFile::Problem::None);
    QCOMPARE(WriteIniChecked(ini::Pos, ini::Form, u"1"_s), IniFile::WriteResult::Failed);
    QVERIFY(!WriteIni(ini::Pos, ini::Form, u"1"_s));
    QVERIFY(!QFileInfo::exists(m_dir.filePath(u"nowhere"_s)));

    setSettingsFilePath(m_dir.path());
    QCOMPARE(settingsFileProblem(), IniFile::Problem::NotRegularFile);
    QCOMPARE(WriteIniChecked(ini::Pos, ini::Form, u"1"_s), IniFile::WriteResult::Unusable);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
