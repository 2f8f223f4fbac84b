#include "settings/inifile.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using pelorin::IniFile;
using Result = IniFile::WriteResult;

Q_DECLARE_METATYPE(IniFile::WriteResult)
Q_DECLARE_METATYPE(IniFile::Problem)

namespace {

#ifdef Q_OS_WIN
const QByteArray NewLine = "\r\n"_ba;
#else
const QByteArray NewLine = "\n"_ba;
#endif

const QDateTime OldTime = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding) {
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom)(text);
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QByteArray& file, const QString& section,
                            const QString& key, const QString& expected) {
            QTest::newRow(name) << file << section << key << expected;
        };
        const auto value = [&](const char* name, const QByteArray& afterEq,
                               const QString& expected) {
            row(name, "[S]\nK=" + afterEq, "S", "K", expected);
        };
        const QByteArray a1020(1020, 'a');
        const QString s1020 = QString::fromLatin1(a1020);
        const QByteArray dup = "K=0\n[A]\nK=1\nk=2\nFlag\nE==x\n;P=y\n[a]\nK=3\nJ=4\n"_ba;

        row("names ignore case and blanks", "  [ Srv ]  \r\n\tURL = x \t\r\n"_ba, " sRV\t", "url ",
            "x");
        row("first key wins", dup, "A", "K", "1");
        row("later section ignored", dup, "a", "J", {});
        row("lines before header", dup, {}, "k", "0");
        row("line without =", dup, "A", "Flag", {});
        row("first = splits", dup, "A", "E", "=x");
        row("semicolon is part of key", dup, "A", "P", {});
        row("semicolon key readable", dup, "A", ";P", "y");
        row("bom ignored", "\xEF\xBB\xBF[S]\nK=v"_ba, "S", "K", "v");
        row("missing section", dup, "B", "K", {});
        row("missing file", {}, "S", "K", {});
        row("unclosed [ stays in section above", "[A]\nK=1\n[B\nJ=2\n"_ba, "A", "J", "2");
        row("unclosed [ opens no section", "[A]\nK=1\n[B\nJ=2\n"_ba, "B", "J", {});
        // Shift-JIS: 山田 8E 52 93 63; ゼ 83 5B and ゾ 83 5D end in the bytes of "[" and "]".
        row("shift-jis value", "[S]\nName=\x8E\x52\x93\x63\n"_ba, "S", "Name", u"山田"_s);
        row("shift-jis ] as second byte", "[\x83\x5B\x83\x5D]\nK=v\n"_ba, u"ゼゾ"_s, "K", "v");
        row("shift-jis ] opens no section", "[S]\n[A\x83\x5D\nK=v\n"_ba, "S", "K", "v");
        row("latin-1 read as shift-jis", "[S]\nName=caf\xE9\nK=v"_ba, "S", "K", "v");
        row("utf-16le", utf16(u"[S]\r\nK=値"_s, QStringConverter::Utf16LE), "s", "k", u"値"_s);
        row("utf-16be", utf16(u"[S]\nK=値\n"_s, QStringConverter::Utf16BE), "S", "K", u"値"_s);
        value("empty value", "\n", {});
        value("nul ends value", "ab\0cd\n"_ba, "ab");
        value("double quotes, inner blanks kept", " \"a b \" \n", "a b ");
        value("only outer quotes", "\"a\"b\"", "a\"b");
        value("single quotes", "'q'", "q");
        value("mismatched quotes", "\"abc'", "\"abc'");
        value("lone quote", "\"", "\"");
        value("1023 bytes kept", a1020 + "abc", s1020 + "abc");
        value("cut before multibyte char", a1020 + "aa\xE3\x81\x82", s1020 + "aa");
        value("multibyte char ending at limit", a1020 + "\xE3\x81\x82!", s1020 + u"\u3042"_s);
        value("cut before surrogate pair", a1020 + "a\xF0\x9F\x98\x80", s1020 + "a");
        // 2 + 510 * 2 bytes of Shift-JIS fit; the next character would end past byte 1023.
        value("shift-jis cut on its own bytes", "aa" + "\x82\xA0"_ba.repeated(600),
              "aa" + u"あ"_s.repeated(510));
    }

    void read() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QTEST(IniFile(freshPath(file)).read(section, key), "expected");
    }

    void write_data() {
        QTest::addColumn<QByteArray>("file"); // null: no file yet
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("expected"); // the file afterwards; null: still missing
        QTest::addColumn<Result>("result");
        const auto row = [](const char* name, const QByteArray& file, const QString& section,
                            const QString& key, const QString& value, const QByteArray& expected,
                            Result result = Result::Written) {
            QTest::newRow(name) << file << section << key << value << expected << result;
        };
        const QByteArray crlf = "; c\r\n[S]\r\n  K = old \r\nJ=1\r\n\r\n[T]\r\nX=2"_ba;
        const QByteArray plain = "[S]\nK=v\n"_ba;
        const QString nul = QString::fromUtf8("a\0b"_ba);

        row("replace in place, crlf", crlf, "s", "k", "new",
            "; c\r\n[S]\r\nK=new\r\nJ=1\r\n\r\n[T]\r\nX=2");
        row("new key after last key", crlf, "S", "Z", "3",
            "; c\r\n[S]\r\n  K = old \r\nJ=1\r\nZ=3\r\n\r\n[T]\r\nX=2");
        row("new key after line without break", crlf, "T", "Y", "3",
            "; c\r\n[S]\r\n  K = old \r\nJ=1\r\n\r\n[T]\r\nX=2\r\nY=3\r\n");
        row("new section, no final break", "[A]\nX=1", " B ", "\tK", "v", "[A]\nX=1\n[B]\nK=v\n");
        row("new key in empty section", "[A]\n\n[B]\n", "A", "K", "v", "[A]\nK=v\n\n[B]\n");
        row("first duplicates written, later kept", "[S]\nK=1\nk=2\n[s]\nK=3\n", "S", "K", "9",
            "[S]\nK=9\nk=2\n[s]\nK=3\n");
        row("semicolon key untouched", "[S]\n;K=x\n", "S", "K", "y", "[S]\n;K=x\nK=y\n");
        row("line without = gets value", "[S]\n Flag \n", "S", "flag", "on", "[S]\nFlag=on\n");
        row("lines before header", "A=1\n\n[S]\n", {}, "B", "2", "A=1\nB=2\n\n[S]\n");
        row("nothing before header", "[S]\n", {}, "B", "2", "B=2\n[S]\n");
        row("leading blanks dropped", "[S]\n", "S", "K", " \tv  ", "[S]\nK=v  \n");
        row("empty value keeps key", plain, "S", "K", {}, "[S]\nK=\n");
        row("bom and nul elsewhere kept", "\xEF\xBB\xBF[S]\nA=x\0y\nB=1\n"_ba, "S", "B", "2",
            "\xEF\xBB\xBF[S]\nA=x\0y\nB=2\n"_ba);
        row("new file", {}, "S", "K", "v", "[S]" + NewLine + "K=v" + NewLine);
        row("same value as read", "[S]\r\n K = \"v\" ", "s", "K", "v", "[S]\r\n K = \"v\" ",
            Result::Unchanged);

        // Shift-JIS: 山田 8E 52 93 63, 表ソ 95 5C 83 5C, 居間 8B 8F 8A D4; ≒ is both 87 90 and
        // 81 E0, and only 81 E0 is what encoding it gives.
        const QByteArray sjis = "[S]\r\nUserName=\x8E\x52\x93\x63\r\nNote=\x95\x5C\x83\x5C\r\n"_ba;
        row("shift-jis lines kept, new one in shift-jis", sjis, "S", "Room", u"居間"_s,
            sjis + "Room=\x8B\x8F\x8A\xD4\r\n");
        row("shift-jis value replaced, key bytes kept", "[S]\n \x87\x90 = x\n"_ba, "S", u"≒"_s,
            u"山田"_s, "[S]\n\x87\x90=\x8E\x52\x93\x63\n"_ba);
        // E9 is the first byte of a two-byte character; alone at the end of a line it is no text.
        row("shift-jis name ending in half a character", "[S]\nK\xE9\n"_ba, "S", "K", "v",
            "[S]\nK=v\n"_ba);
        row("latin-1 lines kept", "[S]\nName=caf\xE9\nK=v\n"_ba, "S", "K", "w",
            "[S]\nName=caf\xE9\nK=w\n"_ba);
        // Without its one byte that is not UTF-8, the file would read as UTF-8: fine for ASCII, not
        // for E3 81 82, which is あ in UTF-8 and something else in Shift-JIS.
        row("shift-jis to ascii", "[S]\nK=\xE9\n"_ba, "S", "K", "v", "[S]\nK=v\n");
        row("shift-jis that would read as utf-8", "[S]\nA=\xE3\x81\x82\nK=\xE9\n"_ba, "S", "K", "v",
            "[S]\nA=\xE3\x81\x82\nK=\xE9\n"_ba, Result::Unencodable);
        for (const QString& text : {u"😀"_s, u"café"_s, u"\u301C"_s}) // U+301C: no code of its own
            row(qPrintable(u"not in shift-jis: "_s + text), sjis, "S", "Room", text, sjis,
                Result::Unencodable);
        const auto le = [](const QString& text) { return utf16(text, QStringConverter::Utf16LE); };
        const auto be = [](const QString& text) { return utf16(text, QStringConverter::Utf16BE); };
        row("utf-16le replace", le(u"[S]\r\nA=値\r\nK=v\r\n"_s), "S", "K", u"新"_s,
            le(u"[S]\r\nA=値\r\nK=新\r\n"_s));
        row("utf-16be new section", be(u"[S]\nA=値"_s), "T", "K", u"新"_s,
            be(u"[S]\nA=値\n[T]\nK=新\n"_s));
        row("utf-16le cut inside a unit", le(u"[S]\nA=1"_s) + "=", "S", "K", "v",
            le(u"[S]\nA=1\nK=v\n"_s) + "=");
        row("empty on line without =", "[S]\nF\n", "S", "F", {}, "[S]\nF\n", Result::Unchanged);

        const auto refused = [&](const char* name, const QString& section, const QString& key,
                                 const QString& value) {
            row(name, plain, section, key, value, plain, Result::Refused);
        };
        refused("value with LF", "S", "K", "a\nb");
        refused("value with CR", "S", "K", "a\rb");
        refused("value with NUL", "S", "K", nul);
        refused("section with ]", "a]b", "K", "v");
        refused("section starting with [", " [x", "K", "v");
        refused("section with LF", "a\nb", "K", "v");
        refused("key with NUL", "S", nul, "v");
        refused("key with CR", "S", "K\r", "v");
        refused("blank key", "S", " \t", "v");
        refused("key with =", "S", "a=b", "v");
        refused("key starting with [", "S", "[K", "v");
        row("refused, no file made", {}, "S", "K", "\n[X]", {}, Result::Refused);
    }

    void write() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, expected);
        QFETCH(Result, result);
        const QString path = freshPath(file);
        QCOMPARE(IniFile(path).write(section, key, value), result);
        QCOMPARE(QFile::exists(path), !expected.isNull());
        QCOMPARE(contents(path), expected);
        if (result != Result::Written && !file.isNull())
            QCOMPARE(QFileInfo(path).lastModified().toUTC(), OldTime);
    }

    void entries() {
        const QString path =
            freshPath("P=0\n[A]\nK=1\nk=2\nFlag\n=x\nL= 'q' \n[B]\n[a]\nM=3\n[C]\nN=\n"_ba);
        QStringList found;
        for (const IniFile::Entry& entry : IniFile(path).entries())
            found.append(entry.section + u'/' + entry.key + u'=' + entry.value);
        QCOMPARE(found, QStringList({u"/P=0"_s, u"A/K=1"_s, u"A/L=q"_s, u"C/N="_s}));
    }

    // New files are the owner's alone (they hold a password); an existing file keeps its mode.
    void permissions() {
        using P = QFileDevice::Permission;
        const QString fresh = freshPath();
        QCOMPARE(IniFile(fresh).write(u"S"_s, u"Password"_s, u"x"_s), Result::Written);
        QCOMPARE(QFile::permissions(fresh) & 0x7077, P::ReadOwner | P::WriteOwner);
        const QString existing = freshPath("[S]\n"_ba);
        const QFileDevice::Permissions shared = P::ReadOwner | P::WriteOwner | P::ReadGroup;
        QVERIFY(QFile::setPermissions(existing, shared | P::ReadUser | P::WriteUser));
        QCOMPARE(IniFile(existing).write(u"S"_s, u"K"_s, u"v"_s), Result::Written);
        QCOMPARE(QFile::permissions(existing) & 0x7077, shared);
    }

    void unusablePaths_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<IniFile::Problem>("problem");
        QTest::addColumn<Result>("result");
        using P = IniFile::Problem;
        const auto sized = [&](qint64 size) {
            const QString path = freshPath(""_ba);
            QFile::resize(path, size);
            return path;
        };
        const QString readOnly = freshPath("[S]\nK=v\n"_ba);
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadUser);
        if (!QFileInfo(readOnly).isWritable()) // else running with rights that ignore it
            QTest::newRow("read-only") << readOnly << P::None << Result::Failed;
        QTest::newRow("folder") << m_dir.path() << P::NotRegularFile << Result::Unusable;
        QTest::newRow("over 4 MiB")
            << sized(IniFile::MaxFileBytes + 1) << P::TooLarge << Result::Unusable;
        QTest::newRow("4 MiB, no room to grow")
            << sized(IniFile::MaxFileBytes) << P::None << Result::Refused;
        const QString link = freshPath();
        if (QFile::link(freshPath("[S]\n"_ba), link))
            QTest::newRow("link to a file") << link << P::None << Result::Written;
        // Reading it would hang.
        const QString fifo = freshPath();
        if (QProcess::execute(u"mkfifo"_s, {fifo}) == 0)
            QTest::newRow("fifo") << fifo << P::NotRegularFile << Result::Unusable;
    }

    // Paths that are no settings file are refused before they are opened; nothing is left changed.
    void unusablePaths() {
        QFETCH(QString, path);
        QFETCH(IniFile::Problem, problem);
        QFETCH(Result, result);
        const IniFile ini(path);
        QCOMPARE(ini.problem(), problem);
        if (problem != IniFile::Problem::None) {
            QCOMPARE(ini.read(u"S"_s, u"K"_s), QString());
            QVERIFY(ini.entries().isEmpty());
        }
        const QFileInfo before(path);
        QCOMPARE(ini.write(u"S"_s, u"K"_s, u"v"_s), result);
        QVERIFY(!QFileInfo::exists(path + u".lock"_s));
        const QFileInfo after(path);
        QCOMPARE(after.isSymLink(), before.isSymLink());
        if (result == Result::Written) {
            QCOMPARE(ini.read(u"S"_s, u"K"_s), u"v"_s);
            return;
        }
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.lastModified(), before.lastModified());
        if (result == Result::Unusable)
            QCOMPARE(ini.describe(result), IniFile::describe(problem));
    }

private:
    QTemporaryDir m_dir;
    // A new name in the folder; a file there holding `bytes`, old, unless they are null.
    QString freshPath(const QByteArray& bytes = {}) {
        const QString path = m_dir.filePath(u"f%1.ini"_s.arg(++m_files));
        QFile file(path);
        if (!bytes.isNull() && file.open(QIODevice::WriteOnly) &&
            file.write(bytes) == bytes.size() && file.flush())
            file.setFileTime(OldTime, QFileDevice::FileModificationTime);
        return path;
    }
    int m_files = 0;
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
