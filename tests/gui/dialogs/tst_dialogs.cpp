#include "common/ui/seams.h"
#include "dialogs/frmmac.h"
#include "dialogs/frmsetting.h"
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

// The settings dialog confirmed with Enter in the URL box, or cancelled; what is stored then.
struct Confirm {
    QString typed{}, url{}, firstSlot{};
    bool cancel = false;
    bool full = false; // every list slot but the first taken
};
struct Details { // the details dialog: stored, shown, and what OK (typed groups) or Cancel leaves
    QString url{}, mac{}, firstFound{}, address{}, shown{}, macAfter{};
    QStringList typed{};  // none: Cancel
    QString events{};     // messages and lookups
    bool probeOn = false; // the lookup stores `shown` as first found
};
Q_DECLARE_METATYPE(Confirm)
Q_DECLARE_METATYPE(Details)

namespace {

template <typename Dialog> void driving(std::function<void(Dialog&)> drive) { // plays the user
    ui::setModalHandler([drive](QDialog& dialog) { drive(*qobject_cast<Dialog*>(&dialog)); });
}

QString boxes(const frmMac& dialog) {
    QStringList texts;
    for (const QLineEdit* box : dialog.txtMac)
        texts.append(box->text());
    return texts.join(u'-');
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_fileNo = 0;
    QStringList m_events;

    static QString server(const QString& key) { return ReadIni(ini::Server, key); }
    static void setServer(QString k, QString v) { QVERIFY(WriteIni(ini::Server, k, v)); }

private slots:
    void init() {
        setSettingsFilePath(m_dir.filePath(u"setting-%1.ini"_s.arg(++m_fileNo)));
        m_events.clear();
        ui::setMessageHandler([this](MessageIcon, const QString&) { m_events << u"message"_s; });
    }
    void cleanup() { QVERIFY(!loadedSettingDialog()); }

    // Assistive technology names each box by the label in front of it, and the URL box "URL".
    void boxesLabelled() {
        frmSetting s({});
        frmMac d({}, {});
        QCOMPARE((QList<QWidget*>{s.Label1->buddy(), s.Label2->buddy(), s.Label3->buddy(),
                                  d.Label4->buddy(), d.Label5->buddy()}),
                 (QList<QWidget*>{s.Combo1, s.Text1, s.Text2, d.Text3, d.txtMac[0]}));
        QCOMPARE(QAccessible::queryAccessibleInterface(s.Combo1)->text(QAccessible::Name),
                 u"URL"_s);
    }

    void confirm_data() {
        QTest::addColumn<Confirm>("row");
        const QString added = u"http://new/tv"_s;
        const auto newUrl = [](const QString& typed, const QString& url) {
            return Confirm{typed, url, url};
        };
        QTest::newRow("trailing slash") << newUrl(u"http://new/"_s, added);
        QTest::newRow("host only") << newUrl(u"http://a"_s, u"http://a/tv"_s);
        QTest::newRow("upper-case TV") << newUrl(u"http://a/TV"_s, u"http://a/TV"_s);
        QTest::newRow("slash after tv") << newUrl(u"http://a/tv/"_s, u"http://a/tv/tv"_s);
        QTest::newRow("no host") << Confirm{u"http://"_s};
        QTest::newRow("listed URL") << Confirm{u"http://old/tv"_s, u"http://old/tv"_s};
        QTest::newRow("other letter case") << newUrl(u"http://OLD/tv"_s, u"http://OLD/tv"_s);
        QTest::newRow("cancel") << Confirm{added, {}, {}, true};
        QTest::newRow("all slots full") << Confirm{added, added, u"http://h1/tv"_s, false, true};
    }
    void confirm() {
        QFETCH(Confirm, row);
        for (int n = 1; n <= (row.full ? ini::ListSlots : 0); ++n)
            setServer(ini::listKey(n), u"http://h%1/tv"_s.arg(n));
        setServer(ini::listKey(2), u"http://old/tv"_s);
        setServer(ini::UserName, u"old"_s);
        setServer(ini::Password, u"old"_s);
        SettingDialogHooks hooks;
        hooks.runInit = [&] {
            QVERIFY(loadedSettingDialog() && loadedSettingDialog()->isHidden());
            m_events << server(ini::URL);
        };
        driving<frmSetting>([&](frmSetting& dialog) {
            QCOMPARE(dialog.Text1->text() + dialog.Text2->text(), u"oldold"_s);
            dialog.Combo1->setEditText(row.typed);
            dialog.Text1->setText(u"me"_s);
            dialog.Text2->clear();
            dialog.show();
            dialog.windowHandle()->setFramePosition(QPoint(100, 60)); // as a window system would
            QTRY_COMPARE(dialog.pos(), QPoint(100, 60));
            QTest::keyClick(dialog.Combo1, row.cancel ? Qt::Key_Escape : Qt::Key_Return);
            if (dialog.isVisible()) // Esc does not close it, Cancel does
                dialog.Command1->click();
        });
        openSettingDialog(hooks);
        QCOMPARE(m_events, row.cancel ? QStringList() : QStringList{row.url});
        QCOMPARE(server(ini::URL), row.url);
        QCOMPARE(server(ini::listKey(1)), row.firstSlot);
        QCOMPARE(server(ini::UserName) + server(ini::Password), row.cancel ? u"oldold"_s : u"me"_s);
        QCOMPARE(ReadIni(ini::Pos, u"Setting_Top"_s) + ReadIni(ini::Pos, u"Setting_Left"_s),
                 u"9001500"_s);
    }

    // The main window's Init shows the dialog again from inside its OK, with real modal loops.
    void nestedChoiceWithRealExec() {
        ui::setModalHandler({});
        const auto clickOk = [&](const QString& typed) {
            QTimer::singleShot(0, [&, typed] {
                frmSetting* const dialog = loadedSettingDialog();
                QVERIFY(dialog && dialog->isVisible());
                m_events.append(dialog->Combo1->currentText());
                dialog->Combo1->setEditText(typed);
                dialog->Command2->click();
            });
        };
        SettingDialogHooks hooks;
        hooks.runInit = [&] {
            if (m_events.size() > 1) // the second OK only stores
                return;
            clickOk(u"http://nested"_s);
            openSettingDialog(hooks); // shown again while the first is still loaded
        };
        clickOk(u"http://first"_s);
        openSettingDialog(hooks);
        QCOMPARE(m_events, (QStringList{u"http://"_s, u"http://first/tv"_s}));
        QCOMPARE(server(ini::URL) + server(ini::listKey(2)), u"http://nested/tv"_s.repeated(2));
    }

    void details_data() {
        QTest::addColumn<Details>("row");
        const QString a = u"00-11-22-33-44-55"_s;
        const QString b = u"aa-bb-cc-dd-ee-ff"_s;
        const QString none = u"-----"_s;
        const QString tv = u"http://tv/tv"_s;
        QStringList pairs{u"aa"_s, u"BB"_s, u"0c"_s, u"D1"_s, u"ee"_s, u"Ff"_s};
        QTest::newRow("first found copied") << Details{tv, {}, a, u"tv"_s, a, a};
        QTest::newRow("port, odd first found copied") << Details{
            u"http://10.0.0.5:8080"_s, {}, u"0011"_s, u"10.0.0.5:8080"_s, none, u"0011"_s};
        QTest::newRow("https, stored Mac wins") << Details{u"https://tv/tv"_s, b, a, {}, b, b};
        QTest::newRow("short, odd stored Mac")
            << Details{u"http:"_s, u"aabb"_s, a, {}, none, u"aabb"_s};
        QTest::newRow("OK joins six pairs")
            << Details{tv, {}, {}, u"tv"_s, none, u"aa-BB-0c-D1-ee-Ff"_s, pairs, u"message"_s};
        pairs[2] = u"ccc"_s;
        QTest::newRow("OK with three characters keeps the stored Mac")
            << Details{tv, b, {}, u"tv"_s, b, b, pairs};
        QTest::newRow("nothing known") << Details{tv, {}, {}, u"tv"_s, none, {}, {}, u"message"_s};
        QTest::newRow("server running")
            << Details{tv, {}, {}, u"tv"_s, a, a, {}, u"lookup http://tv/tv"_s, true};
    }
    void details() {
        QFETCH(Details, row);
        setServer(ini::Address, u"stored"_s);
        setServer(ini::Mac, row.mac);
        setServer(ini::macKey(1), row.firstFound);
        driving<frmMac>([&](frmMac& dialog) {
            QCOMPARE(dialog.Text3->text(), row.address);
            QVERIFY(dialog.VScroll1->isHidden()); // a single address found: nothing to choose
            QCOMPARE(boxes(dialog), row.shown);
            for (QLineEdit* box : dialog.txtMac)
                box->setText(row.typed.isEmpty() ? box->text() : QString());
            dialog.txtMac[0]->setFocus();
            for (const QString& pair : row.typed)
                QTest::keyClicks(dialog.focusWidget(), pair); // two characters: on to the next
            (row.typed.isEmpty() ? dialog.Command1 : dialog.Command2)->click();
        });
        openDetailsDialog(row.url, {row.probeOn, [&](const QString& asked) {
                                        m_events << u"lookup "_s + asked;
                                        return WriteIni(ini::Server, ini::macKey(1), row.shown);
                                    }});
        QCOMPARE(server(ini::Address), row.typed.isEmpty() ? u"stored"_s : row.address);
        QCOMPARE(server(ini::Mac), row.macAfter);
        QCOMPARE(m_events.join(u','), row.events);
    }

    void detailsSpinner() {
        setServer(ini::macKey(1), u"00-11-22-33-44-55"_s);
        setServer(ini::macKey(2), u"66-77-88-99-aa-bb"_s);
        driving<frmMac>([](frmMac& dialog) {
            QVERIFY(!dialog.VScroll1->isHidden());
            dialog.VScroll1->triggerAction(QAbstractSlider::SliderSingleStepAdd); // down arrow
            QCOMPARE(boxes(dialog), u"66-77-88-99-aa-bb"_s);
            dialog.VScroll1->setValue(3);
            QCOMPARE(boxes(dialog), u"-----"_s);
        });
        openDetailsDialog({});
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
