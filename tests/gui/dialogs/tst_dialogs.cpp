#include "common/shared_state.h"
#include "common/ui/seams.h"
#include "common/ui/twips.h"
#include "common/ui/windowpos.h"
#include "dialogs/frmmac.h"
#include "dialogs/frmsetting.h"
#include "dialogs/urltidy.h"
#include "settings/settings.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
        resetShared();
        m_events.clear();
        ui::setMessageHandler([this](MessageIcon, const QString& text) { m_events.append(text); });
        ui::setModalHandler([](QDialog& dialog) { dialog.close(); });
    }

    void cleanup() {
        ui::setMessageHandler({});
        ui::setModalHandler({});
        QVERIFY(!loadedSettingDialog());
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

    void geometrySpotCheck() {
        frmSetting setting({});
        QCOMPARE(setting.windowTitle(), u"TVサーバーの指定"_s);
        QCOMPARE(setting.size(), QSize(322, 220));
        QCOMPARE(setting.minimumSize(), setting.maximumSize());
        QCOMPARE(setting.Combo1->geometry(), twips::rect(600, 240, 3735, 300));
        QCOMPARE(setting.Text2->parentWidget(), setting.Frame2);

        frmMac mac({});
        QCOMPARE(mac.size(), QSize(322, 132));
        QCOMPARE(mac.txtMac[5]->geometry(), twips::rect(3720, 720, 375, 270));
    }

    void loadThenCancel() {
        setServer(ini::listKey(1), u"http://b/tv"_s);
        setServer(ini::listKey(3), u"http://a/tv"_s);
        setServer(ini::URL, u"http://b/tv"_s);
        setServer(ini::UserName, u"user"_s);
        setServer(ini::Password, u"secret"_s);
        WriteIni(ini::Pos, u"Setting_Top"_s, u"600"_s);
        WriteIni(ini::Pos, u"Setting_Left"_s, u"750"_s);
        int inits = 0;
        ui::setModalHandler(driving<frmSetting>([](frmSetting& dialog) {
            QVERIFY(shared().SettingOpen);
            QCOMPARE(dialog.pos(), QPoint(50, 40));
            QCOMPARE(dialog.Combo1->count(), 2);
            QCOMPARE(dialog.Combo1->itemText(1), u"http://a/tv"_s);
            QCOMPARE(dialog.Combo1->currentText(), u"http://b/tv"_s);
            QCOMPARE(dialog.Text1->text(), u"user"_s);
            QCOMPARE(dialog.Text2->text(), u"secret"_s);
            QCOMPARE(dialog.focusWidget(), dialog.Combo1);

            dialog.Combo1->setEditText(u"http://other/tv"_s);
            dialog.Text1->clear();
            ui::moveWindowTwips(dialog, 1500, 900);
            dialog.show();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(dialog.isVisible() && loadedSettingDialog() == &dialog);
            dialog.Command1->click();
        }));
        openSettingDialog({[&] { ++inits; }, {}});
        QCOMPARE(inits, 0);
        QVERIFY(!shared().SettingOpen);
        QCOMPARE(server(ini::URL), u"http://b/tv"_s);
        QCOMPARE(server(ini::listKey(2)), QString());
        QCOMPARE(server(ini::UserName), u"user"_s);
        QCOMPARE(ReadIni(ini::Pos, u"Setting_Top"_s), u"900"_s);
        QCOMPARE(ReadIni(ini::Pos, u"Setting_Left"_s), u"1500"_s);
    }

    void okStores_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("choosing");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("firstSlot");
        QTest::addColumn<int>("inits");
        const QString added = u"http://new/tv"_s;
        // Confirmed with Enter in the URL box, which therefore never loses the focus.
        QTest::newRow("new URL fills the gap") << u"http://new/"_s << false << added << added << 1;
        QTest::newRow("chosen for Init") << added << true << added << added << 0;
        QTest::newRow("no host") << u"http://"_s << false << QString() << QString() << 1;
        QTest::newRow("listed URL")
            << u"http://old/tv"_s << false << u"http://old/tv"_s << QString() << 1;
        QTest::newRow("other letter case")
            << u"http://OLD/tv"_s << false << u"http://OLD/tv"_s << u"http://OLD/tv"_s << 1;
    }

    void okStores() {
        QFETCH(QString, typed);
        QFETCH(bool, choosing);
        QFETCH(QString, url);
        QFETCH(QString, firstSlot);
        QFETCH(int, inits);
        shared().ChoosingServer = choosing;
        setServer(ini::listKey(2), u"http://old/tv"_s);
        setServer(ini::UserName, u"old"_s);
        setServer(ini::Password, u"old"_s);
        int initRuns = 0;
        SettingDialogHooks hooks;
        hooks.runInit = [&] {
            const frmSetting* const dialog = loadedSettingDialog();
            QVERIFY(dialog && dialog->isHidden() && shared().SettingOpen);
            QCOMPARE(server(ini::URL), url);
            ++initRuns;
        };
        ui::setModalHandler(driving<frmSetting>([&](frmSetting& dialog) {
            dialog.Combo1->setEditText(typed);
            dialog.Text1->setText(u"me"_s);
            dialog.Text2->clear();
            dialog.show();
            QTest::keyClick(dialog.Combo1, Qt::Key_Return);
        }));
        openSettingDialog(hooks);

        QCOMPARE(initRuns, inits);
        QVERIFY(!shared().SettingOpen);
        QCOMPARE(server(ini::URL), url);
        QCOMPARE(server(ini::listKey(1)), firstSlot);
        QCOMPARE(server(ini::listKey(2)), u"http://old/tv"_s);
        QCOMPARE(server(ini::listKey(3)), QString());
        QCOMPARE(server(ini::UserName), u"me"_s);
        QCOMPARE(server(ini::Password), QString());
    }

    void okWithFullList() {
        for (int n = 1; n <= ini::ListSlots; ++n)
            setServer(ini::listKey(n), u"http://h%1/tv"_s.arg(n));
        ui::setModalHandler(driving<frmSetting>([](frmSetting& dialog) {
            dialog.Combo1->setEditText(u"http://new/tv"_s);
            dialog.Command2->click();
        }));
        openSettingDialog({});
        QCOMPARE(server(ini::URL), u"http://new/tv"_s);
        for (int n = 1; n <= ini::ListSlots; ++n)
            QCOMPARE(server(ini::listKey(n)), u"http://h%1/tv"_s.arg(n));
    }

    void urlBoxEditing() {
        QStringList detailsFor;
        SettingDialogHooks hooks;
        hooks.openDetails = [&] { detailsFor.append(shared().DetailURL); };
        ui::setModalHandler(driving<frmSetting>([&](frmSetting& dialog) {
            dialog.show();
            const QLineEdit* const edit = dialog.Combo1->lineEdit();
            QCOMPARE(edit->text(), u"http://"_s);
            QCOMPARE(edit->cursorPosition(), 7);
            QVERIFY(!edit->hasSelectedText());

            const auto leave = [&](Qt::FocusReason reason) {
                QFocusEvent event(QEvent::FocusOut, reason);
                QCoreApplication::sendEvent(dialog.Combo1, &event);
            };
            dialog.Combo1->setEditText(u"http://host"_s);
            leave(Qt::ActiveWindowFocusReason); // another program got the focus
            QCOMPARE(edit->text(), u"http://host"_s);
            leave(Qt::MouseFocusReason);
            QCOMPARE(edit->text(), u"http://host/tv"_s);

            dialog.Combo1->setEditText(u"http://other/"_s);
            dialog.Command3->click();
            QVERIFY(loadedSettingDialog() == &dialog && dialog.isVisible());
            dialog.Command1->click();
        }));
        openSettingDialog(hooks);
        QCOMPARE(detailsFor, QStringList{u"http://other/tv"_s});
    }

    void nestedChoiceWithRealExec() {
        ui::setModalHandler({});
        int inits = 0;
        QList<const frmSetting*> shown;
        int itemsShownAgain = 0; // a second load would list the stored URL once more
        const auto clickOk = [](const std::function<void(frmSetting&)>& edit) {
            QTimer::singleShot(0, [edit] {
                frmSetting* const dialog = loadedSettingDialog();
                QVERIFY(dialog && dialog->isVisible());
                edit(*dialog);
                dialog->Command2->click();
            });
        };
        SettingDialogHooks hooks;
        hooks.runInit = [&] {
            ++inits;
            shared().ChoosingServer = true;
            clickOk([&](frmSetting& dialog) {
                shown.append(&dialog);
                itemsShownAgain = dialog.Combo1->count();
            });
            openSettingDialog(hooks);
            QVERIFY(shared().SettingOpen == false && !loadedSettingDialog());
        };
        clickOk([&](frmSetting& dialog) {
            shown.append(&dialog);
            dialog.Combo1->setEditText(u"http://nested"_s);
        });
        openSettingDialog(hooks);
        QCOMPARE(inits, 1);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0), shown.at(1));
        QCOMPARE(itemsShownAgain, 1);
        QCOMPARE(server(ini::URL), u"http://nested/tv"_s);
        QCOMPARE(server(ini::listKey(1)), u"http://nested/tv"_s);
        QCOMPARE(server(ini::listKey(2)), QString());
        QVERIFY(!shared().SettingOpen);
    }

    void detailsLoad_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("firstFound");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("macAfter");
        const QString a = u"00-11-22-33-44-55"_s;
        const QString b = u"aa-bb-cc-dd-ee-ff"_s;
        const QString none = u"|||||"_s;
        QTest::newRow("host and path, first found copied")
            << u"http://tvserver/tv"_s << u"tvserver"_s << QString() << a << u"00|11|22|33|44|55"_s
            << a;
        QTest::newRow("port, odd first found copied")
            << u"http://10.0.0.5:8080"_s << u"10.0.0.5:8080"_s << QString() << u"0011"_s << none
            << u"0011"_s;
        QTest::newRow("https, stored Mac wins")
            << u"https://tvserver/tv"_s << QString() << b << a << u"aa|bb|cc|dd|ee|ff"_s << b;
        QTest::newRow("short, odd stored Mac")
            << u"http:"_s << QString() << u"aabb"_s << a << none << u"aabb"_s;
    }

    void detailsLoad() {
        QFETCH(QString, url);
        QFETCH(QString, address);
        QFETCH(QString, mac);
        QFETCH(QString, firstFound);
        QFETCH(QString, shown);
        QFETCH(QString, macAfter);
        shared().DetailURL = url;
        setServer(ini::Address, u"stored"_s);
        setServer(ini::Mac, mac);
        setServer(ini::macKey(1), firstFound);
        ui::setModalHandler(driving<frmMac>([&](frmMac& dialog) {
            QCOMPARE(dialog.Text3->text(), address);
            QCOMPARE(boxes(dialog), shown);
            dialog.show();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(dialog.isVisible());
            dialog.Command1->click();
        }));
        openDetailsDialog({});
        QCOMPARE(server(ini::Address), u"stored"_s);
        QCOMPARE(server(ini::Mac), macAfter);
        QVERIFY(m_events.isEmpty());
    }

    void detailsOk_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("macAfter");
        QTest::newRow("six pairs")
            << QStringList{u"aa"_s, u"BB"_s, u"0c"_s, u"D1"_s, u"ee"_s, u"Ff"_s}
            << u"aa-BB-0c-D1-ee-Ff"_s;
        QTest::newRow("three characters")
            << QStringList{u"aa"_s, u"bb"_s, u"ccc"_s, u"dd"_s, u"ee"_s, u"ff"_s}
            << u"00-00-00-00-00-00"_s;
    }

    void detailsOk() {
        QFETCH(QStringList, typed);
        QFETCH(QString, macAfter);
        setServer(ini::Mac, u"00-00-00-00-00-00"_s);
        setServer(ini::Address, u"old"_s);
        WriteIni(ini::Pos, u"Mac_Left"_s, u"1500"_s);
        ui::setModalHandler(driving<frmMac>([&](frmMac& dialog) {
            QCOMPARE(dialog.pos().x(), 100);
            ui::moveWindowTwips(dialog, 300, 450);
            dialog.Text3->clear();
            for (int i = 0; i < frmMac::MacGroups; ++i)
                dialog.txtMac[i]->setText(typed.at(i));
            dialog.Command2->click();
        }));
        openDetailsDialog({});
        QCOMPARE(server(ini::Mac), macAfter);
        QCOMPARE(server(ini::Address), QString());
        QCOMPARE(ReadIni(ini::Pos, u"Mac_Top"_s), u"450"_s);
        QCOMPARE(ReadIni(ini::Pos, u"Mac_Left"_s), u"300"_s);
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
            QCOMPARE(dialog.focusWidget(), dialog.txtMac[0]); // filling during load moves nothing
            dialog.VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd); // the down arrow
            QCOMPARE(boxes(dialog), u"66|77|88|99|aa|bb"_s);
            dialog.VScroll1->setValue(4);
            QCOMPARE(boxes(dialog), u"66|77|88|99|aa|bb"_s);
            dialog.VScroll1->setValue(3);
            QCOMPARE(boxes(dialog), u"|||||"_s);

            dialog.txtMac[0]->setFocus();
            QTest::keyClicks(dialog.txtMac[0], u"a"_s);
            QCOMPARE(dialog.focusWidget(), dialog.txtMac[0]);
            QTest::keyClicks(dialog.txtMac[0], u"b"_s);
            QCOMPARE(dialog.focusWidget(), dialog.txtMac[1]);
            dialog.txtMac[5]->setFocus();
            QTest::keyClicks(dialog.txtMac[5], u"xyz"_s);
            QCOMPARE(dialog.focusWidget(), dialog.txtMac[5]);
            QCOMPARE(dialog.txtMac[5]->text(), u"xyz"_s);
        }));
        openDetailsDialog({});
    }

    void detailsLookupAndNotice_data() {
        QTest::addColumn<bool>("probeOn");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("events");
        const QString notice = u"詳細画面上でのMACアドレスについて：\r\n\r\n"
                               "現在TVサーバーが起動しているのであれば、このあと接続を試みてMACアド"
                               "レスを自動取得しますの"
                               "で"
                               "入力する必要はありません。\r\n"
                               "そのままOKを押して画面を閉じてください。\r\n"
                               "TVサーバーが起動していないのであれば、TVサーバー起動状態で再度実行"
                               "するか、MACアドレスを"
                               "入力してください。"_s;
        const QString found = u"00-11-22-33-44-55"_s;
        const QStringList lookedUp = {u"lookup http://tv/tv"_s, u"shown"_s};
        QTest::newRow("nothing known")
            << false << found << u"|||||"_s << QStringList{notice, u"shown"_s};
        QTest::newRow("server running") << true << found << u"00|11|22|33|44|55"_s << lookedUp;
        QTest::newRow("running, none found") << true << QString() << u"|||||"_s << lookedUp;
    }

    void detailsLookupAndNotice() {
        QFETCH(bool, probeOn);
        QFETCH(QString, found);
        QFETCH(QString, shown);
        QFETCH(QStringList, events);
        shared().LastProbeON = probeOn;
        shared().DetailURL = u"http://tv/tv"_s;
        ui::setModalHandler(driving<frmMac>([&](frmMac& dialog) {
            m_events.append(u"shown"_s);
            QCOMPARE(boxes(dialog), shown);
        }));
        openDetailsDialog([&](const QString& url) {
            m_events.append(u"lookup "_s + url);
            setServer(ini::macKey(1), found);
            return true;
        });
        QCOMPARE(m_events, events);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
