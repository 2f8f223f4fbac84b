// Every window as users get it from the program's own application set-up: exact titles, texts
// in the user's language that fit, on screen.
#include "about/frmabout.h"
#include "button/frmdesign.h"
#include "common/language.h"
#include "common/ui/application.h"
#include "common/ui/seams.h"
#include "dialogs/frmmac.h"
#include "dialogs/frmsetting.h"
#include "main/frmmain.h"
#include "settings/settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

using Make = std::function<std::unique_ptr<QWidget>()>;

template <typename Dialog, typename... Args> std::unique_ptr<Dialog> loaded(Args... args) {
    auto dialog = std::make_unique<Dialog>(args...);
    dialog->Form_Load();
    return dialog;
}

int textRoom(const QAbstractButton& button) {
    const QStyle* const style = button.style();
    if (qobject_cast<const QRadioButton*>(&button))
        return button.width() - style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) -
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    return button.width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin) -
           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
}

// Texts a user sees or hears that are wrong: Japanese in an English run, or wider than their box.
QStringList misfits(QWidget& window) {
    static const QRegularExpression japanese(u"[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}]"_s);
    const bool english = userLanguage() == Language::English;
    QStringList found;
    const auto check = [&](const QWidget& widget, const QString& text, int room = 0) {
        const QString shown = QString(text).remove(u'&');
        if ((english && shown.contains(japanese)) ||
            (room > 0 && QFontMetrics(widget.font()).horizontalAdvance(shown) > room))
            found.append(text);
    };
    for (QWidget* const widget : window.findChildren<QWidget*>() + QList{&window}) {
        check(*widget, widget->windowTitle() + widget->accessibleName() +
                           widget->accessibleDescription() + widget->toolTip());
        const int room = widget->isHidden() ? 0 : widget->contentsRect().width();
        if (const auto* label = qobject_cast<QLabel*>(widget))
            check(*label, label->text(), label->wordWrap() ? 0 : room);
        else if (const auto* button = qobject_cast<QAbstractButton*>(widget))
            check(*button, button->text(), room > 0 ? textRoom(*button) : 0);
        else if (const auto* box = qobject_cast<QGroupBox*>(widget))
            check(*box, box->title(), room);
    }
    for (const QAction* const action : window.findChildren<QAction*>()) // menus and their items
        check(window, action->text());
    return found;
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        ui::setUpApplication();
        setSettingsFilePath(m_dir.filePath(u"setting.ini"_s));
        ui::setMessageHandler([](MessageIcon, const QString&) {});
        QVERIFY(WriteIni(ini::Server, ini::Password, u"secret"_s));
        for (const char* const key : {"Setting_Top", "Setting_Left", "Button_Top", "Button_Left"})
            QVERIFY(WriteIni(ini::Pos, QString::fromLatin1(key), u"99000"_s)); // off every screen
    }

    void everyWindow_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<QString>("title");
        const bool en = userLanguage() == Language::English;
        const QString program = en ? u"Pelorin"_s : u"ペロリン"_s;
        QTest::newRow("main") << Make([] { return std::make_unique<frmMain>(); }) << program;
        QTest::newRow("settings") << Make([] { return loaded<frmSetting>(SettingDialogHooks{}); })
                                  << (en ? u"TV Server"_s : u"TVサーバーの指定"_s);
        QTest::newRow("details") << Make([] { return loaded<frmMac>(QString(), MacLookup{}); })
                                 << (en ? u"Details"_s : u"詳細"_s);
        QTest::newRow("about") << Make([] { return std::make_unique<frmAbout>(); }) << program;
    }
    void everyWindow() {
        QFETCH(Make, make);
        QFETCH(QString, title);
        const std::unique_ptr<QWidget> window = make();
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(window->geometry()));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QStringList found = misfits(*window);
        if (auto* const main = qobject_cast<frmMain*>(window.get())) {
            main->floatingButton()->Form_Load();
            QVERIFY(screen.contains(main->floatingButton()->geometry()));
            found << misfits(*main->floatingButton());
        }
        QCOMPARE(found.join(u','), QString());
        QCOMPARE(window->windowHandle()->title(), title); // as the title bar shows it
        if (const auto* const setting = qobject_cast<frmSetting*>(window.get()))
            QCOMPARE(setting->Text2->displayText(), u"******"_s);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
