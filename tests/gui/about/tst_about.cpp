#include "about/frmabout.h"
#include "common/ui/seams.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace pelorin;

class TestAbout : public QObject {
    Q_OBJECT

    QStringList m_opened; // pages and manuals opened, messages shown
    bool m_openerAnswer = true;

private slots:
    void initTestCase() {
        ui::setUrlOpener(
            [this](const QString& target) { return m_opened << target, m_openerAnswer; });
        ui::setMessageHandler([this](MessageIcon, const QString& text) { m_opened << text; });
    }

    // Click, Tab from OK then Enter or Space open the page, or say which failed; Esc closes.
    void linkThenEsc() {
        showAboutBox();
        QPointer<frmAbout> box = openAboutBox();
        QVERIFY(box && QTest::qWaitForWindowExposed(box));
        auto* const link = box->findChild<QLabel*>(u"Label2"_s);
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        box->activateWindow();
        box->findChild<QPushButton*>(u"cmdOK"_s)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        m_openerAnswer = false;
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        const QString page = u"https://pelorin.example.jp/"_s;
        QCOMPARE(m_opened, QStringList(4, page) << u"Webページを開けませんでした。\r\n"_s + page);
        QTest::keyClick(box, Qt::Key_Escape); // the box stayed up after the failure
        QVERIFY(!openAboutBox());
        QTRY_VERIFY(box.isNull());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
