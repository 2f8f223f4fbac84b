#include "common/ui/seams.h"
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
    return [drive](QDialog& dialog) { drive(*qobject_cast<Dialog*>(&dialog)); };
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
    QStringList m_events; // messages, lookups and modal runs, in order

private slots:
    void init() {
        setSettingsFilePath(m_dir.filePath(u"setting-%1.ini"_s.arg(++m_fileNo)));
        m_events.clear();
        ui::setMessageHandler(
            [this](MessageIcon, const QString&) { m_events.append(u"message"_s); });
    }

    void cleanup() { QVERIFY(!loadedSettingDialog()); }

    // Assistive technology names each box by the label in front of it, and the URL box "URL".
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
            QVERIFY2(std::any_of(relations.begin(), relations.end(),
                                 [l = label](const auto& r) { return r.first->object() == l; }),
                     qPrintable(label->text()));
        }
        QAccessibleInterface* const url = QAccessible::queryAccessibleInterface(setting.Combo1);
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
        QTest::newRow("new URL") << u"http://new/"_s << false << added << added << false;
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
        for (int n = 1; n <= (full ? ini::ListSlots : 0); ++n)
            setServer(ini::listKey(n), u"http://h%1/tv"_s.arg(n));
        setServer(ini::listKey(2), u"http://old/tv"_s);
        setServer(ini::UserName, u"old"_s);
        setServer(ini::Password, u"old"_s);
        int initRuns = 0;
        SettingDialogHooks hooks;
        hooks.runInit = [&] {
            QVERIFY(loadedSettingDialog() && loadedSettingDialog()->isHidden());
            QCOMPARE(server(ini::URL), url);
            ++initRuns;
        };
        ui::setModalHandler(driving<frmSetting>([&](frmSetting& dialog) {
            // The stored credentials are there to be kept or changed.
            QCOMPARE(dialog.Text1->text() + dialog.Text2->text(), u"oldold"_s);
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
        ui::setModalHandler({});

        QCOMPARE(initRuns, cancel ? 0 : 1);
        QCOMPARE(server(ini::URL), url);
        QCOMPARE(server(ini::listKey(1)), firstSlot);
        QCOMPARE(server(ini::listKey(2)), u"http://old/tv"_s);
        QCOMPARE(server(ini::listKey(ini::ListSlots)), full ? u"http://h100/tv"_s : QString());
        QCOMPARE(server(ini::UserName), cancel ? u"old"_s : u"me"_s);
        QCOMPARE(server(ini::Password), cancel ? u"old"_s : QString());
        QCOMPARE(ReadIni(ini::Pos, u"Setting_Top"_s) + ReadIni(ini::Pos, u"Setting_Left"_s),
                 u"9001500"_s);
    }

    // The main window's Init shows the dialog again from inside its OK, with real modal loops.
    void nestedChoiceWithRealExec() {
        int inits = 0;
        QStringList shown;
        const auto clickOk = [&](const QString& typed) {
            QTimer::singleShot(0, [&, typed] {
                frmSetting* const dialog = loadedSettingDialog();
                QVERIFY(dialog && dialog->isVisible());
                shown.append(dialog->Combo1->currentText());
                dialog->Combo1->setEditText(typed);
                dialog->Command2->click();
            });
        };
        SettingDialogHooks hooks;
        hooks.runInit = [&] {
            if (++inits > 1)
                return;
            clickOk(u"http://nested"_s);
            openSettingDialog(hooks); // shown again while the first is still loaded
            QVERIFY(!loadedSettingDialog());
        };
        clickOk(u"http://first"_s);
        openSettingDialog(hooks);
        QCOMPARE(inits, 2);
        QCOMPARE(shown, (QStringList{u"http://"_s, u"http://first/tv"_s}));
        QCOMPARE(server(ini::URL), u"http://nested/tv"_s);
        QCOMPARE(server(ini::listKey(2)), u"http://nested/tv"_s);
    }

    void details_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("firstFound");
        QTest::addColumn<bool>("probeOn"); // the lookup stores 00-11-22-33-44-55 as first found
        QTest::addColumn<QStringList>("typed"); // none: Cancel
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("macAfter");
        QTest::addColumn<QString>("events");
        const QString a = u"00-11-22-33-44-55"_s;
        const QString b = u"aa-bb-cc-dd-ee-ff"_s;
        const QString none = u"|||||"_s;
        const QString aShown = u"00|11|22|33|44|55"_s;
        const QString bShown = u"aa|bb|cc|dd|ee|ff"_s;
        const QString tv = u"http://tv/tv"_s;
        QStringList pairs{u"aa"_s, u"BB"_s, u"0c"_s, u"D1"_s, u"ee"_s, u"Ff"_s};
        QTest::newRow("first found copied") << tv << QString() << a << false << QStringList()
                                            << u"tv"_s << aShown << a << QString();
        QTest::newRow("port, odd first found copied")
            << u"http://10.0.0.5:8080"_s << QString() << u"0011"_s << false << QStringList()
            << u"10.0.0.5:8080"_s << none << u"0011"_s << QString();
        QTest::newRow("https, stored Mac wins")
            << u"https://tv/tv"_s << b << a << false << QStringList() << QString() << bShown << b
            << QString();
        QTest::newRow("short, odd stored Mac")
            << u"http:"_s << u"aabb"_s << a << false << QStringList() << QString() << none
            << u"aabb"_s << QString();
        QTest::newRow("OK joins six pairs") << tv << b << QString() << false << pairs << u"tv"_s
                                            << bShown << u"aa-BB-0c-D1-ee-Ff"_s << QString();
        pairs[2] = u"ccc"_s;
        QTest::newRow("OK with three characters")
            << tv << b << QString() << false << pairs << u"tv"_s << bShown << b << QString();
        QTest::newRow("nothing known") << tv << QString() << QString() << false << QStringList()
                                       << u"tv"_s << none << QString() << u"message"_s;
        QTest::newRow("server running") << tv << QString() << QString() << true << QStringList()
                                        << u"tv"_s << aShown << a << u"lookup http://tv/tv"_s;
    }
    void details() {
        QFETCH(QString, url);
        QFETCH(QString, mac);
        QFETCH(QString, firstFound);
        QFETCH(bool, probeOn);
        QFETCH(QStringList, typed);
        QFETCH(QString, address);
        QFETCH(QString, shown);
        QFETCH(QString, macAfter);
        QFETCH(QString, events);
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
        openDetailsDialog(url, {probeOn, [&](const QString& asked) {
                                    m_events.append(u"lookup "_s + asked);
                                    setServer(ini::macKey(1), u"00-11-22-33-44-55"_s);
                                    return true;
                                }});
        QCOMPARE(server(ini::Address), typed.isEmpty() ? u"stored"_s : address);
        QCOMPARE(server(ini::Mac), macAfter);
        QCOMPARE(m_events.join(u','), events);
    }

    void detailsSpinnerAndFocus() {
        setServer(ini::macKey(1), u"00-11-22-33-44-55"_s);
        ui::setModalHandler(
            driving<frmMac>([](frmMac& dialog) { QVERIFY(dialog.VScroll1->isHidden()); }));
        openDetailsDialog({});

        setServer(ini::macKey(2), u"66-77-88-99-aa-bb"_s);
        setServer(ini::macKey(4), u"bad"_s);
        ui::setModalHandler(driving<frmMac>([](frmMac& dialog) {
            dialog.VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd); // down arrow
            QCOMPARE(boxes(dialog), u"66|77|88|99|aa|bb"_s);
            dialog.VScroll1->setValue(3);
            QCOMPARE(boxes(dialog), u"|||||"_s);
            QVERIFY(!dialog.VScroll1->isHidden());

            dialog.txtMac[0]->setFocus();
            QTest::keyClicks(dialog.txtMac[0], u"a"_s);
            QCOMPARE(dialog.focusWidget(), dialog.txtMac[0]);
            QTest::keyClicks(dialog.txtMac[0], u"b"_s);
            QCOMPARE(dialog.focusWidget(), dialog.txtMac[1]);
            QCOMPARE(dialog.Command2->nextInFocusChain(), dialog.Command1);
        }));
        openDetailsDialog({});
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
