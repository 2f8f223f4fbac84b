#include "about/frmabout.h"
#include "about/help.h"
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

private slots:
    // Click, Tab from OK then Enter or Space open the page, or say which failed; Esc closes.
    void linkThenEsc() {
        QStringList opened; // pages opened, messages shown
        bool openerAnswer = true;
        ui::setUrlOpener([&](const QString& target) { return opened << target, openerAnswer; });
        ui::setMessageHandler([&](MessageIcon, const QString& text) { opened << text; });
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
        openerAnswer = false;
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        const QString page = u"https://pelorin.example.jp/"_s;
        QCOMPARE(opened, QStringList(4, page) << u"Webページを開けませんでした。\r\n"_s + page);
        QTest::keyClick(box, Qt::Key_Escape); // the box stayed up after the failure
        QTRY_VERIFY(box.isNull());            // closed and destroyed, not just hidden
    }

    void manualBesideProgram() {
        QCOMPARE(helpManualPath(), QCoreApplication::applicationDirPath() + u"/help/index.html"_s);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
