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
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

// A move without buttons, delivered the way the application delivers it: to the widget, and on
// to its parents when the widget leaves it alone. Returns the link's colour after it.
QColor hover(QWidget* box, const char* name) {
    QWidget* const widget = *name ? box->findChild<QWidget*>(QLatin1String(name)) : box;
    const QPointF pos(*name ? 1 : 5, *name ? 1 : 80);
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    return box->findChild<QLabel*>(u"Label2"_s)->palette().color(QPalette::WindowText);
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

    QStringList m_opened;
    bool m_openerAnswer = true;

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
        ui::setMessageHandler([this](MessageIcon, const QString& text) { m_opened << text; });
    }
    void cleanup() {
        if (frmAbout* const box = openAboutBox())
            box->close();
        QTRY_VERIFY(!openAboutBox());
    }

    // The link turns red under the pointer; only the labels beside it and the box's face turn
    // it blue again. Shown again while open, it is the same box in the same state.
    void hoverColours() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        const QColor blue(0, 0, 255);
        QCOMPARE(hover(box, "Label1"), blue);
        for (const auto& [name, toBlue] : {std::pair{"lblVersion", false},
                                           {"lblTitle", false},
                                           {"picIcon", false},
                                           {"Line1", false},
                                           {"cmdOK", false},
                                           {"Label1", true},
                                           {"Label3", true},
                                           {"Label4", true},
                                           {"lblDisclaimer", true},
                                           {"", true}}) {
            QCOMPARE(hover(box, "Label2"), QColor(255, 0, 0));
            showAboutBox();
            QCOMPARE(openAboutBox(), box);
            QVERIFY2((hover(box, name) == blue) == toBlue, name);
        }
    }

    void linkOpensThePage() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        auto* const link = box->findChild<QLabel*>(u"Label2"_s);
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        // A right click is no click, and a press that ends outside the link is none either.
        QTest::mouseClick(link, Qt::RightButton, Qt::NoModifier, QPoint(10, 8));
        QTest::mousePress(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 200));
        QCOMPARE(m_opened, QStringList{u"https://pelorin.example.jp/"_s});
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
        QCOMPARE(m_opened.last(),
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

    // The manual the build put beside this test is opened; a missing file or a folder is not.
    void help() {
        const QString japanese = QCoreApplication::applicationDirPath() + u"/help/index.html"_s;
        QCOMPARE(helpManualPath(), japanese);
        QCOMPARE(findHelpManual(QCoreApplication::applicationDirPath(), Language::English),
                 QCoreApplication::applicationDirPath() + u"/help/index.en.html"_s);
        QVERIFY(ShowHelp(nullptr, japanese));
        QVERIFY(!ShowHelp(nullptr, QString()) && !ShowHelp(nullptr, QDir::tempPath()));
        QVERIFY(!ShowHelp(nullptr, QDir::tempPath() + u"/no-such-manual.html"_s));
        QCOMPARE(m_opened, QStringList{japanese});
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
