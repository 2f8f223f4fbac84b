// Every window as users get it from the program's own application set-up: exact titles, the
// program icon, texts in the user's language that fit.
#include "about/frmabout.h"
#include "button/frmdesign.h"
#include "common/language.h"
#include "common/ui/application.h"
#include "common/ui/seams.h"
#include "dialogs/frmmac.h"
#include "dialogs/frmsetting.h"
#include "main/frmmain.h"
#include "programicon.h"
#include "settings/settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

using WindowFactory = std::function<std::unique_ptr<QWidget>()>;

template <typename Dialog, typename... Args> std::unique_ptr<Dialog> loaded(Args... args) {
    auto dialog = std::make_unique<Dialog>(args...);
    dialog->Form_Load();
    return dialog;
}

// The room a button's text has inside the button.
int textRoom(const QAbstractButton& button) {
    const QStyle* const style = button.style();
    if (qobject_cast<const QRadioButton*>(&button))
        return button.width() - style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) -
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    return button.width() - 2 * style->pixelMetric(QStyle::PM_ButtonMargin) -
           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
}

// Texts a user can see or hear that are wrong for them: Japanese in an English run, wider than
// their box.
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
    check(window, window.windowTitle() + window.accessibleName() + window.toolTip());
    for (QWidget* const widget : window.findChildren<QWidget*>()) {
        check(*widget, widget->accessibleName() + widget->accessibleDescription());
        check(*widget, widget->toolTip());
        const int room = widget->isHidden() ? 0 : widget->contentsRect().width();
        if (const auto* label = qobject_cast<QLabel*>(widget))
            check(*label, label->text(), label->wordWrap() ? 0 : room);
        else if (const auto* button = qobject_cast<QAbstractButton*>(widget))
            check(*button, button->text(), room > 0 ? textRoom(*button) : 0);
        else if (const auto* box = qobject_cast<QGroupBox*>(widget))
            check(*box, box->title(), room);
    }
    for (const QMenu* const menu : window.findChildren<QMenu*>())
        for (const QAction* const action : menu->actions())
            check(*menu, menu->title() + action->text());
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
    }

    void everyWindow_data() {
        QTest::addColumn<WindowFactory>("make");
        QTest::addColumn<QString>("title");
        const bool en = userLanguage() == Language::English;
        const QString program = en ? u"Pelorin"_s : u"ペロリン"_s;
        const WindowFactory mainWindow = [] { return std::make_unique<frmMain>(); };
        const WindowFactory about = [] { return std::make_unique<frmAbout>(); };
        const WindowFactory setting = [] {
            auto dialog = loaded<frmSetting>(SettingDialogHooks{});
            dialog->Text2->setText(u"secret"_s);
            return dialog;
        };
        const WindowFactory details = [] { return loaded<frmMac>(QString(), MacLookup{}); };
        QTest::newRow("main") << mainWindow << program;
        QTest::newRow("settings") << setting << (en ? u"TV Server"_s : u"TVサーバーの指定"_s);
        QTest::newRow("details") << details << (en ? u"Details"_s : u"詳細"_s);
        QTest::newRow("about") << about << program;
    }
    void everyWindow() {
        QFETCH(WindowFactory, make);
        QFETCH(QString, title);
        const std::unique_ptr<QWidget> window = make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QStringList found = misfits(*window);
        if (auto* const main = qobject_cast<frmMain*>(window.get())) {
            main->floatingButton()->Form_Load();
            found << misfits(*main->floatingButton());
        }
        QCOMPARE(found.join(u','), QString());
        // What the window system shows in the title bar, not only the widget's own caption.
        QCOMPARE(window->windowHandle()->title(), title);
        QVERIFY(!QApplication::windowIcon().isNull());
        QCOMPARE(window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        for (const QLineEdit* const edit : window->findChildren<QLineEdit*>())
            if (edit->echoMode() == QLineEdit::Password)
                QCOMPARE(edit->displayText(), QString(edit->text().size(), u'*'));
    }

    // The program icon is drawn, not blank (see-through corners, an opaque middle), in every
    // size the desktop asks for, and sharp at twice the density.
    void programIconDrawn() {
        QCOMPARE(QApplication::windowIcon().availableSizes(),
                 (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
        const QImage icon = programPixmap(48).toImage();
        QCOMPARE(icon.pixelColor(0, 47).alpha() + icon.pixelColor(24, 20).alpha(), 255);
        QCOMPARE(programPixmap(48, 2.0).size(), QSize(96, 96));
    }

    // Positions stored with another monitor or scale factor: the windows come back on screen.
    void storedPositionOffEveryScreen() {
        for (const auto& [key, value] : {std::pair{"Setting_Top", 40000},
                                         {"Setting_Left", 60000},
                                         {"Button_Top", 99000},
                                         {"Button_Left", 30}})
            QVERIFY(WriteIni(ini::Pos, QString::fromLatin1(key), QString::number(value)));
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(loaded<frmSetting>(SettingDialogHooks{})->geometry()));
        frmMain window;
        frmDesign* const button = window.floatingButton();
        button->Form_Load();
        QCOMPARE(button->pos(), QPoint(2, screen.bottom() + 1 - button->height()));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
