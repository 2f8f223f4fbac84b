#include "about/frmabout.h"
#include "about/help.h"
#include "common/ui/seams.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

QColor linkColor(const QWidget* box) {
    return box->findChild<QLabel*>(u"Label2"_s)->palette().color(QPalette::WindowText);
}

// A move without buttons, delivered the way the application delivers it: to the widget, and on
// to its parents when the widget leaves it alone.
void hover(QWidget* box, const char* name, QPoint pos = QPoint(2, 2)) {
    QWidget* const widget = *name ? box->findChild<QWidget*>(QLatin1String(name)) : box;
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), widget->mapToGlobal(QPointF(pos)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

    QStringList m_opened;
    bool m_openerAnswer = true;
    QStringList m_messages;

    static frmAbout* openBox() {
        showAboutBox();
        frmAbout* const box = openAboutBox();
        return box && QTest::qWaitForWindowExposed(box) ? box : nullptr;
    }

private slots:
    void init() {
        m_opened.clear();
        m_openerAnswer = true;
        ui::setUrlOpener(
            [this](const QString& target) { return m_opened << target, m_openerAnswer; });
        ui::setMessageHandler([this](MessageIcon, const QString& text) { m_messages << text; });
    }
    void cleanup() {
        if (frmAbout* const box = openAboutBox())
            box->close();
        QTRY_VERIFY(!openAboutBox());
        QCOMPARE(m_messages.join(u','), QString());
    }

    // The link turns red under the pointer; only the labels beside it and the box's face turn
    // it blue again.
    void hoverColours() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        QCOMPARE(linkColor(box), Blue);
        for (const auto& [name, after] : {std::pair{"lblVersion", Red},
                                          {"lblTitle", Red},
                                          {"picIcon", Red},
                                          {"Line1", Red},
                                          {"cmdOK", Red},
                                          {"Label1", Blue},
                                          {"Label3", Blue},
                                          {"Label4", Blue},
                                          {"lblDisclaimer", Blue},
                                          {"", Blue}}) {
            hover(box, "Label2");
            QCOMPARE(linkColor(box), Red);
            hover(box, name, *name ? QPoint(1, 1) : QPoint(5, 80));
            QVERIFY2(linkColor(box) == after, name);
        }
    }

    void linkOpensThePage() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        auto* const link = box->findChild<QLabel*>(u"Label2"_s);
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        QCOMPARE(m_opened, QStringList{u"https://pelorin.example.jp/"_s});
        // A right click is no click, and a press that ends outside the link is none either.
        QTest::mouseClick(link, Qt::RightButton, Qt::NoModifier, QPoint(10, 8));
        QTest::mousePress(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 200));
        QCOMPARE(m_opened.size(), 1);
        // Tab reaches the link, where Enter and Space open the page rather than press OK.
        QAccessibleInterface* const access = QAccessible::queryAccessibleInterface(link);
        QCOMPARE(access->role(), QAccessible::Link);
        QCOMPARE(access->text(QAccessible::Name), u"Webページ"_s);
        box->activateWindow();
        box->findChild<QPushButton*>(u"cmdOK"_s)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), link);
        QTest::keyClick(link, Qt::Key_Return);
        QTest::keyClick(link, Qt::Key_Space);
        access->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_opened.size(), 4);
        // No browser: the user is told which page could not be opened, and the box stays.
        m_openerAnswer = false;
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        QCOMPARE(m_messages.takeFirst(),
                 u"Webページを開けませんでした。\r\nhttps://pelorin.example.jp/"_s);
        QCOMPARE(openAboutBox(), box);
    }

    void closing_data() {
        QTest::addColumn<int>("key"); // 0: the OK button, -1: the window's close box
        QTest::newRow("OK") << 0;
        QTest::newRow("Enter") << int(Qt::Key_Enter);
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("close box") << -1;
    }
    void closing() {
        QFETCH(int, key);
        QPointer<frmAbout> box = openBox();
        QVERIFY(box);
        if (key == 0)
            QTest::mouseClick(box->findChild<QPushButton*>(u"cmdOK"_s), Qt::LeftButton);
        else if (key > 0)
            QTest::keyClick(box, Qt::Key(key));
        else
            box->close();
        QVERIFY(!openAboutBox());
        QTRY_VERIFY(box.isNull()); // destroyed, not just hidden
        QVERIFY(m_opened.isEmpty());
    }

    // One box at a time; reopened at once after closing, before the old one is deleted, it is
    // a new one, blue again.
    void singleBox() {
        QPointer<frmAbout> first = openBox();
        QVERIFY(first);
        hover(first, "Label2");
        showAboutBox();
        QCOMPARE(openAboutBox(), first.data());
        QCOMPARE(linkColor(first), Red); // the same box, in the same state
        first->close();
        frmAbout* const second = openBox();
        QVERIFY(second && second != first.data());
        QCOMPARE(linkColor(second), Blue);
    }

    void helpLookup_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QStringList>("files"); // a name ending in "/" is a folder
        QTest::addColumn<QString>("expected");
        const QString ja = u"bin/help/index.html"_s;
        const QString en = u"bin/help/index.en.html"_s;
        const QString jaInstalled = u"share/pelorin/help/index.html"_s;
        const QString enInstalled = u"share/pelorin/help/index.en.html"_s;
        const Language J = Language::Japanese;
        const Language E = Language::English;
        QTest::newRow("none") << J << QStringList{} << QString();
        QTest::newRow("installed") << J << QStringList{jaInstalled} << jaInstalled;
        QTest::newRow("beside first") << J << QStringList{jaInstalled, ja, en} << ja;
        QTest::newRow("a folder is no manual")
            << J << QStringList{jaInstalled, ja + "/"} << jaInstalled;
        QTest::newRow("en beside") << E << QStringList{ja, en} << en;
        QTest::newRow("en installed") << E << QStringList{jaInstalled, enInstalled} << enInstalled;
        QTest::newRow("en falls back") << E << QStringList{ja} << ja;
    }
    void helpLookup() {
        QFETCH(Language, language);
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(QDir().mkpath(root.filePath(u"bin"_s)));
        for (const QString& file : std::as_const(files)) {
            QVERIFY(QDir().mkpath(QFileInfo(root.filePath(file)).absolutePath()));
            QFile manual(root.filePath(file));
            QVERIFY(file.endsWith(u'/') ? QDir().mkpath(manual.fileName())
                                        : manual.open(QIODevice::WriteOnly));
        }
        QCOMPARE(findHelpManual(root.filePath(u"bin"_s), language),
                 expected.isEmpty() ? QString() : root.filePath(expected));
        // What the build put beside this test is opened; a missing file or a folder is not.
        const QString japanese = QCoreApplication::applicationDirPath() + u"/help/index.html"_s;
        QCOMPARE(helpManualPath(), japanese);
        QVERIFY(ShowHelp(nullptr, japanese));
        QVERIFY(!ShowHelp(nullptr, QString()) && !ShowHelp(nullptr, root.path()));
        QCOMPARE(m_opened, QStringList{japanese});
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
