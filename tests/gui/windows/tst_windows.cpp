// Every window as users get it from the program's own application set-up: exact titles, the
// program icon, texts in the user's language that fit and read on a dark theme.
#include "about/frmabout.h"
#include "button/frmdesign.h"
#include "common/language.h"
#include "common/ui/application.h"
#include "common/ui/formcontrols.h"
#include "common/ui/seams.h"
#include "common/ui/windowpos.h"
#include "dialogs/frmmac.h"
#include "dialogs/frmsetting.h"
#include "main/frmmain.h"
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
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;
using namespace pelorin;

namespace {

using WindowFactory = std::function<std::unique_ptr<QWidget>()>;

template <typename Dialog, typename... Args> std::unique_ptr<QWidget> loaded(Args... args) {
    auto dialog = std::make_unique<Dialog>(args...);
    dialog->Form_Load();
    return dialog;
}

bool english() {
    return userLanguage() == Language::English;
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
// their box, or too faint for the window's background.
QStringList misfits(QWidget& window) {
    static const QRegularExpression japanese(u"[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}]"_s);
    QStringList found;
    const auto check = [&](const QWidget& widget, const QString& text, int room) {
        const QString shown = QString(text).remove(u'&');
        if ((english() && shown.contains(japanese)) ||
            (room > 0 && QFontMetrics(widget.font()).horizontalAdvance(shown) > room))
            found.append(text);
    };
    check(window, window.windowTitle() + window.accessibleName() + window.toolTip(), 0);
    for (QWidget* const widget : window.findChildren<QWidget*>()) {
        check(*widget, widget->accessibleName() + widget->accessibleDescription(), 0);
        check(*widget, widget->toolTip(), 0);
        const int room = widget->isHidden() ? 0 : widget->contentsRect().width();
        if (const auto* label = qobject_cast<QLabel*>(widget)) {
            check(*label, label->text(), label->wordWrap() ? 0 : room);
            if (!label->text().isEmpty() &&
                ui::contrastRatio(label->palette().color(QPalette::WindowText),
                                  window.palette().color(QPalette::Window)) < ui::MinimumContrast)
                found.append(label->text() + u" (faint)"_s);
        } else if (const auto* button = qobject_cast<QAbstractButton*>(widget)) {
            check(*button, button->text(), widget->isHidden() ? 0 : textRoom(*button));
        } else if (const auto* box = qobject_cast<QGroupBox*>(widget)) {
            check(*box, box->title(), room);
        }
    }
    for (const QMenu* const menu : window.findChildren<QMenu*>())
        for (const QAction* const action : menu->actions())
            check(*menu, menu->title() + action->text(), 0);
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
        QTest::addColumn<bool>("dark");
        const bool en = english();
        const QString program = en ? u"Pelorin"_s : u"ペロリン"_s;
        const auto mainWindow = [] { return std::make_unique<frmMain>(); };
        const auto about = [] { return std::make_unique<frmAbout>(); };
        const WindowFactory setting = [] {
            auto dialog = loaded<frmSetting>(SettingDialogHooks{});
            static_cast<frmSetting&>(*dialog).Text2->setText(u"secret"_s);
            return dialog;
        };
        const WindowFactory details = [] { return loaded<frmMac>(QString(), MacLookup{}); };
        const QString settingTitle = en ? u"TV Server"_s : u"TVサーバーの指定"_s;
        const QString detailsTitle = en ? u"Details"_s : u"詳細"_s;
        for (const bool dark : {false, true}) {
            const char* const theme = dark ? " dark" : "";
            QTest::addRow("main%s", theme) << WindowFactory(mainWindow) << program << dark;
            QTest::addRow("settings%s", theme) << setting << settingTitle << dark;
            QTest::addRow("details%s", theme) << details << detailsTitle << dark;
            QTest::addRow("about%s", theme) << WindowFactory(about) << program << dark;
        }
    }
    void everyWindow() {
        QFETCH(WindowFactory, make);
        QFETCH(QString, title);
        QFETCH(bool, dark);
        const QPalette light = QApplication::palette();
        QPalette darkPalette(QColor(53, 53, 53));
        darkPalette.setColor(QPalette::WindowText, QColor(230, 230, 230));
        darkPalette.setColor(QPalette::Link, QColor(42, 130, 218));
        if (dark)
            QApplication::setPalette(darkPalette);
        const std::unique_ptr<QWidget> window = make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QStringList found = misfits(*window);
        if (auto* const main = qobject_cast<frmMain*>(window.get())) {
            main->floatingButton()->Form_Load();
            found << misfits(*main->floatingButton());
        }
        QApplication::setPalette(light);
        QCOMPARE(found.join(u','), QString());
        // What the window system shows in the title bar, not only the widget's own caption.
        QCOMPARE(window->windowHandle()->title(), title);
        QVERIFY(!QApplication::windowIcon().isNull());
        QCOMPARE(window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        for (const QLineEdit* const edit : window->findChildren<QLineEdit*>())
            if (edit->echoMode() == QLineEdit::Password)
                QCOMPARE(edit->displayText(), QString(edit->text().size(), u'*'));
    }

    // Message boxes carry the program's title and icon; Qt's own texts (context menus,
    // standard buttons) are in the program's language.
    void messageBoxAndQtTexts() {
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Undo"),
                 english() ? u"&Undo"_s : u"元に戻す(&U)"_s);
        ui::setMessageHandler({});
        QString seen;
        QTimer::singleShot(0, [&] {
            QWidget* const box = QApplication::activeModalWidget();
            QVERIFY(box);
            seen = box->windowHandle()->title();
            QCOMPARE(box->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
            box->close();
        });
        ui::showMessage(MessageIcon::Information, u"接続中"_s);
        ui::setMessageHandler([](MessageIcon, const QString&) {});
        QCOMPARE(seen, english() ? u"Pelorin"_s : u"ペロリン"_s);
    }

    void reachablePosition_data() {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QPoint>("expected"); // the window's own corner: left where it was
        const QRect left(0, 0, 1280, 800);
        const QRect right(1280, 0, 1024, 768);
        QTest::newRow("on screen") << QRect(100, 50, 136, 72) << QList{left} << QPoint(100, 50);
        QTest::newRow("half out") << QRect(1212, 700, 136, 72) << QList{left} << QPoint(1212, 700);
        QTest::newRow("scaled twice")
            << QRect(1143, 702, 300, 200) << QList{QRect(0, 0, 640, 400)} << QPoint(340, 200);
        QTest::newRow("monitor unplugged")
            << QRect(2000, 300, 136, 72) << QList{left} << QPoint(1144, 300);
        QTest::newRow("on the other monitor")
            << QRect(2000, 300, 136, 72) << QList{left, right} << QPoint(2000, 300);
        QTest::newRow("far above")
            << QRect(-500, -900, 136, 72) << QList{left, right} << QPoint(0, 0);
    }
    void reachablePosition() {
        QFETCH(QRect, window);
        QFETCH(QList<QRect>, screens);
        QFETCH(QPoint, expected);
        QCOMPARE(ui::reachablePosition(window, screens).value_or(window.topLeft()), expected);
    }

    // Positions stored with another monitor or scale factor: the windows come back on screen.
    void storedPositionOffEveryScreen() {
        for (const auto& [key, value] : {std::pair{"Setting_Top", "40000"},
                                         {"Setting_Left", "60000"},
                                         {"Button_Top", "99000"},
                                         {"Button_Left", "30"}})
            QVERIFY(WriteIni(ini::Pos, QString::fromLatin1(key), QString::fromLatin1(value)));
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        const auto dialog = loaded<frmSetting>(SettingDialogHooks{});
        QVERIFY(screen.contains(dialog->geometry()));
        frmMain window;
        frmDesign* const button = window.floatingButton();
        button->Form_Load();
        QCOMPARE(button->pos(), QPoint(2, screen.bottom() + 1 - button->height()));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
