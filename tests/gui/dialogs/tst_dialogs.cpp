#include "common/ui/seams.h"
#include "common/ui/windowpos.h"
#include "dialogs/frmmac.h"
#include "dialogs/frmsetting.h"
#include "rules/urltidy.h"
#include "settings/settings.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

QString server(const QString& key) {
    return ReadIni(ini::Server, key);
}

void setServer(const QString& key, const QString& value) {
    QVERIFY(WriteIni(ini::Server, key, value));
}

// Runs a dialog through its real opener with `drive` playing the user.
template <typename Dialog> ui::ModalHandler driving(std::function<void(Dialog&)> drive) {
    return [drive](QDialog& dialog) {
        auto* const typed = qobject_cast<Dialog*>(&dialog);
        QVERIFY(typed);
        drive(*typed);
    };
}

QString boxes(const frmMac& dialog) {
    QStringList texts;
    for (const QLineEdit* box : dialog.txtMac)
        texts.append(box->text());
    return texts.join(u'|');
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileNo = 0;
    QStringList m_events; // messages and modal runs, in order

private slots:
    void init() {
        setSettingsFilePath(m_dir.filePath(u"setting-%1.ini"_s.arg(++m_fileNo)));
        m_events.clear();
        ui::setMessageHandler(
            [this](MessageIcon, const QString&) { m_events.append(u"message"_s); });
        ui::setModalHandler([](QDialog& dialog) { dialog.close(); });
    }

    void cleanup() {
        ui::setMessageHandler({});
        ui::setModalHandler({});
        QVERIFY(!loadedSettingDialog());
    }

    // Assistive technology names each box by the label in front of it, and the URL box "URL"
    // whatever it holds.
    void boxesLabelled() {
        frmSetting setting({});
        setting.Combo1->setEditText(u"http://host/tv"_s);
        frmMac details(u"http://host/tv"_s, {});
        const QList<std::pair<QLabel*, QWidget*>> pairs{{setting.Label1, setting.Combo1},
                                                        {setting.Label2, setting.Text1},
                                                        {setting.Label3, setting.Text2},
                                                        {details.Label4, details.Text3},
                                                        {details.Label5, details.txtMac[0]}};
        for (const auto& [label, box] : pairs) {
            const auto relations =
                QAccessible::queryAccessibleInterface(box)->relations(QAccessible::Label);
            // A titled frame around the box labels it too.
            QVERIFY2(std::any_of(relations.begin(), relations.end(),
                                 [label = label](const auto& relation) {
                                     return relation.first->object() == label;
                                 }),
                     qPrintable(label->text()));
        }
        QAccessibleInterface* const url = QAccessible::queryAccessibleInterface(setting.Combo1);
        QCOMPARE(url->role(), QAccessible::ComboBox);
        QCOMPARE(url->text(QAccessible::Name), u"URL"_s);
        QCOMPARE(url->text(QAccessible::Value), u"http://host/tv"_s);
    }

    void urlTidying_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("tidied");
        QTest::newRow("host only") << u"http://host"_s << u"http://host/tv"_s;
        QTest::newRow("trailing slash") << u"http://host/"_s << u"http://host/tv"_s;
        QTest::newRow("upper-case tv") << u"http://host/TV"_s << u"http://host/TV"_s;
        QTest::newRow("slash after tv") << u"http://host/tv/"_s << u"http://host/tv/tv"_s;
        QTest::newRow("seven characters") << u"http://"_s << u"http://"_s;
        QTest::newRow("eight characters") << u"http://a"_s << u"http://a/tv"_s;
    }

    void urlTidying() {
        QFETCH(QString, typed);
        QFETCH(QString, tidied);
        QCOMPARE(tidyServerUrl(typed), tidied);
        QCOMPARE(tidyServerUrl(tidied), tidied);
    }

    void confirm_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("firstSlot");
        QTest::addColumn<bool>("full"); // all other slots taken
        const QString added = u"http://new/tv"_s;
        // Confirmed with Enter in the URL box, which therefore never loses the focus.
        QTest::newRow("new URL fills the gap")
            << u"http://new/"_s << false << added << added << false;
        QTest::newRow("no host") << u"http://"_s << false << QString() << QString() << false;
        QTest::newRow("listed URL")
            << u"http://old/tv"_s << false << u"http://old/tv"_s << QString() << false;
        QTest::newRow("other letter case")
            << u"http://OLD/tv"_s << false << u"http://OLD/tv"_s << u"http://OLD/tv"_s << false;
        QTest::newRow("cancel") << added << true << QString() << QString() << false;
        QTest::newRow("all slots full") << added << false << added << u"http://h1/tv"_s << true;
    }

    void confirm() {
        QFETCH(QString, typed);
        QFETCH(bool, cancel);
        QFETCH(QString, url);
        QFETCH(QString, firstSlot);
        QFETCH(bool, full);
        const int inits = cancel ? 0 : 1;
        for (int n = 1; n <= (full ? ini::ListSlots : 0); ++n)
            setServer(ini::listKey(n), u"http://h%1/tv"_s.arg(n));
        setServer(ini::listKey(2), u"http://old/tv"_s);
        setServer(ini::UserName, u"old"_s);
        setServer(ini::Password, u"old"_s);
        int initRuns = 0;
        SettingDialogHooks hooks;
        hooks.runInit = [&] {
            const frmSetting* const dialog = loadedSettingDialog();
            QVERIFY(dialog && dialog->isHidden());
            QCOMPARE(server(ini::URL), url);
            ++initRuns;
        };
        ui::setModalHandler(driving<frmSetting>([&](frmSetting& dialog) {
            // The stored credentials are there to be kept or changed.
            QCOMPARE(dialog.Text1->text(), u"old"_s);
            QCOMPARE(dialog.Text2->text(), u"old"_s);
            dialog.Combo1->setEditText(typed);
            dialog.Text1->setText(u"me"_s);
            dialog.Text2->clear();
            // Placed by the window system, not by the program: where it really stands is saved.
            dialog.show();
            dialog.windowHandle()->setFramePosition(QPoint(100, 60));
            QTRY_COMPARE(dialog.pos(), QPoint(100, 60));
            if (cancel) {
                QTest::keyClick(&dialog, Qt::Key_Escape); // does not close
                QVERIFY(dialog.isVisible());
                dialog.Command1->click();
            } else {
                QTest::keyClick(dialog.Combo1, Qt::Key_Return);
            }
        }));
        openSettingDialog(hooks);

        QCOMPARE(initRuns, inits);
        QVERIFY(!loadedSettingDialog());
        QCOMPARE(server(ini::URL), url);
        QCOMPARE(server(ini::listKey(1)), firstSlot);
        QCOMPARE(server(ini::listKey(2)), u"http://old/tv"_s);
        QCOMPARE(server(ini::listKey(ini::ListSlots)), full ? u"http://h100/tv"_s : QString());
        QCOMPARE(server(ini::UserName), cancel ? u"old"_s : u"me"_s);
        QCOMPARE(server(ini::Password), cancel ? u"old"_s : QString());
        QCOMPARE(ReadIni(ini::Pos, u"Setting_Top"_s) + ReadIni(ini::Pos, u"Setting_Left"_s),
                 u"9001500"_s);
    }

    // A stored coordinate is applied on its own; the other stays where the window system put
    // the window.
    void oneStoredCoordinate_data() {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QPoint>("expected"); // -1: where the window system put it
        QTest::newRow("top only") << u"900"_s << QString() << QPoint(-1, 60);
        QTest::newRow("left only") << u"-15"_s << u"1500"_s << QPoint(100, -1);
    }
    void oneStoredCoordinate() {
        QFETCH(QString, top);
        QFETCH(QString, left);
        QFETCH(QPoint, expected);
        QVERIFY(WriteIni(ini::Pos, u"Setting_Top"_s, top));
        QVERIFY(WriteIni(ini::Pos, u"Setting_Left"_s, left));
        const QPoint placed(230, 170);
        ui::setModalHandler(driving<frmSetting>([&](frmSetting& dialog) {
            dialog.show();
            dialog.windowHandle()->setFramePosition(placed);
            QTRY_COMPARE(dialog.pos(), QPoint(expected.x() < 0 ? placed.x() : expected.x(),
                                              expected.y() < 0 ? placed.y() : expected.y()));
            dialog.Command1->click();
        }));
        openSettingDialog({});
    }

    void nestedChoiceWithRealExec() {
        ui::setModalHandler({});
        int inits = 0;
        int shown = 0;
        const auto clickOk = [&](const QString& typed) {
            QTimer::singleShot(0, [&, typed] {
                frmSetting* const dialog = loadedSettingDialog();
                QVERIFY(dialog && dialog->isVisible());
                ++shown;
                if (!typed.isEmpty())
                    dialog->Combo1->setEditText(typed);
                dialog->Command2->click();
            });
        };
        SettingDialogHooks hooks;
        bool choosing = false; // as the main window's Init does it
        hooks.runInit = [&] {
            if (choosing)
                return;
            ++inits;
            choosing = true;
            clickOk({});
            openSettingDialog(hooks); // shown again while the first is still loaded
            QVERIFY(!loadedSettingDialog());
        };
        clickOk(u"http://nested"_s);
        openSettingDialog(hooks);
        QCOMPARE(inits, 1);
        QCOMPARE(shown, 2);
        QCOMPARE(server(ini::URL), u"http://nested/tv"_s);
        QCOMPARE(server(ini::listKey(1)), u"http://nested/tv"_s);
    }

    void details_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("firstFound");
        QTest::addColumn<QStringList>("typed"); // none: Cancel
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("macAfter");
        const QString a = u"00-11-22-33-44-55"_s;
        const QString b = u"aa-bb-cc-dd-ee-ff"_s;
        const QString none = u"|||||"_s;
        const QString tv = u"http://tvserver/tv"_s;
        QTest::newRow("host and path, first found copied")
            << tv << QString() << a << QStringList() << u"tvserver"_s << u"00|11|22|33|44|55"_s
            << a;
        QTest::newRow("port, odd first found copied")
            << u"http://10.0.0.5:8080"_s << QString() << u"0011"_s << QStringList()
            << u"10.0.0.5:8080"_s << none << u"0011"_s;
        QTest::newRow("https, stored Mac wins")
            << u"https://tvserver/tv"_s << b << a << QStringList() << QString()
            << u"aa|bb|cc|dd|ee|ff"_s << b;
        QTest::newRow("short, odd stored Mac")
            << u"http:"_s << u"aabb"_s << a << QStringList() << QString() << none << u"aabb"_s;
        QTest::newRow("OK joins six pairs")
            << tv << b << QString()
            << QStringList{u"aa"_s, u"BB"_s, u"0c"_s, u"D1"_s, u"ee"_s, u"Ff"_s} << u"tvserver"_s
            << u"aa|bb|cc|dd|ee|ff"_s << u"aa-BB-0c-D1-ee-Ff"_s;
        QTest::newRow("OK with three characters")
            << tv << b << QString()
            << QStringList{u"aa"_s, u"bb"_s, u"ccc"_s, u"dd"_s, u"ee"_s, u"ff"_s} << u"tvserver"_s
            << u"aa|bb|cc|dd|ee|ff"_s << b;
    }

    void details() {
        QFETCH(QString, url);
        QFETCH(QString, mac);
        QFETCH(QString, firstFound);
        QFETCH(QStringList, typed);
        QFETCH(QString, address);
        QFETCH(QString, shown);
        QFETCH(QString, macAfter);
        setServer(ini::Address, u"stored"_s);
        setServer(ini::Mac, mac);
        setServer(ini::macKey(1), firstFound);
        ui::setModalHandler(driving<frmMac>([&](frmMac& dialog) {
            QCOMPARE(dialog.Text3->text(), address);
            QCOMPARE(boxes(dialog), shown);
            for (int i = 0; i < typed.size(); ++i)
                dialog.txtMac[i]->setText(typed.at(i));
            (typed.isEmpty() ? dialog.Command1 : dialog.Command2)->click();
        }));
        openDetailsDialog(url);
        QCOMPARE(server(ini::Address), typed.isEmpty() ? u"stored"_s : address);
        QCOMPARE(server(ini::Mac), macAfter);
        QVERIFY(m_events.isEmpty());
    }

    void detailsSpinnerAndFocus() {
        setServer(ini::macKey(1), u"00-11-22-33-44-55"_s);
        ui::setModalHandler(
            driving<frmMac>([](frmMac& dialog) { QVERIFY(dialog.VScroll1->isHidden()); }));
        openDetailsDialog({});

        setServer(ini::macKey(2), u"66-77-88-99-aa-bb"_s);
        setServer(ini::macKey(4), u"bad"_s);
        ui::setModalHandler(driving<frmMac>([](frmMac& dialog) {
            QVERIFY(!dialog.VScroll1->isHidden());
            dialog.VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd); // the down arrow
            QCOMPARE(boxes(dialog), u"66|77|88|99|aa|bb"_s);
            dialog.VScroll1->setValue(3);
            QCOMPARE(boxes(dialog), u"|||||"_s);

            dialog.txtMac[0]->setFocus();
            QTest::keyClicks(dialog.txtMac[0], u"a"_s);
            QCOMPARE(dialog.focusWidget(), dialog.txtMac[0]);
            QTest::keyClicks(dialog.txtMac[0], u"b"_s);
            QCOMPARE(dialog.focusWidget(), dialog.txtMac[1]);
        }));
        openDetailsDialog({});
    }

    void detailsLookupAndNotice_data() {
        QTest::addColumn<bool>("probeOn");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("nothing known")
            << false << u"|||||"_s << QStringList{u"message"_s, u"shown"_s};
        QTest::newRow("server running")
            << true << u"00|11|22|33|44|55"_s << QStringList{u"lookup http://tv/tv"_s, u"shown"_s};
    }

    void detailsLookupAndNotice() {
        QFETCH(bool, probeOn);
        QFETCH(QString, shown);
        QFETCH(QStringList, events);
        ui::setModalHandler(driving<frmMac>([&](frmMac& dialog) {
            m_events.append(u"shown"_s);
            QCOMPARE(boxes(dialog), shown);
        }));
        openDetailsDialog(u"http://tv/tv"_s, {probeOn, [&](const QString& url) {
                                                  m_events.append(u"lookup "_s + url);
                                                  setServer(ini::macKey(1), u"00-11-22-33-44-55"_s);
                                                  return true;
                                              }});
        QCOMPARE(m_events, events);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
