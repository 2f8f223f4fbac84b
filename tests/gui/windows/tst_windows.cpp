// Every window as users get it from the program's own application set-up: exact titles, the
// program icon, and no text cut off by the faces this system really has.
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
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

using namespace pelorin;

namespace {

using WindowFactory = std::function<std::unique_ptr<QWidget>()>;

std::unique_ptr<QWidget> settingDialog() {
    auto dialog = std::make_unique<frmSetting>(SettingDialogHooks{});
    dialog->Form_Load();
    dialog->Text2->setText(QStringLiteral("secret"));
    return dialog;
}

std::unique_ptr<QWidget> detailsDialog() {
    auto dialog = std::make_unique<frmMac>(QString(), MacLookup{});
    dialog->Form_Load();
    return dialog;
}

int advance(const QWidget& widget, const QString& text) {
    return QFontMetrics(widget.font()).horizontalAdvance(text);
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

// The first row, from the top, where a frame draws its line: on the right, clear of the caption.
int drawnFrameTop(QGroupBox& box) {
    QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    box.render(&image, QPoint(), QRegion(), QWidget::RenderFlags()); // the frame alone
    const int x = box.width() - 12;
    for (int y = 0; y < image.height(); ++y)
        if (qAlpha(image.pixel(x, y)) != 0)
            return y;
    return image.height();
}

// What of `window` does not fit: a label's or button's text wider than its box, a frame's
// caption wider than the frame, or a frame line running through a row inside the frame.
QStringList misfits(QWidget& window) {
    QStringList found;
    for (QWidget* const widget : window.findChildren<QWidget*>()) {
        if (widget->isHidden())
            continue;
        if (const auto* label = qobject_cast<QLabel*>(widget);
            label && !label->text().isEmpty() && !label->wordWrap()) {
            if (advance(*label, label->text()) > label->contentsRect().width())
                found.append(label->text());
        } else if (const auto* button = qobject_cast<QAbstractButton*>(widget);
                   button && !button->text().isEmpty()) {
            if (advance(*button, button->text().remove(u'&')) > textRoom(*button))
                found.append(button->text());
        } else if (auto* box = qobject_cast<QGroupBox*>(widget); box && !box->title().isEmpty()) {
            if (advance(*box, box->title()) > box->width())
                found.append(box->title());
            const int frameTop = drawnFrameTop(*box);
            for (const QWidget* const row : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (!row->isHidden() && row->y() <= frameTop)
                    found.append(box->title() + QStringLiteral(" / ") + row->accessibleName());
        }
    }
    return found;
}

bool english() {
    return userLanguage() == Language::English;
}

bool hasJapanese(const QString& text) {
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(japanese);
}

// Every text of `window` a user can see or hear: captions, labels, buttons, frames, menus, tool
// tips and what assistive technology reads out.
QStringList textsOf(QWidget& window) {
    QStringList texts{window.windowTitle(), window.accessibleName(), window.toolTip()};
    for (QWidget* const widget : window.findChildren<QWidget*>()) {
        texts << widget->accessibleName() << widget->accessibleDescription() << widget->toolTip();
        if (const auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        else if (const auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        else if (const auto* box = qobject_cast<QGroupBox*>(widget))
            texts << box->title();
    }
    for (const QMenu* const menu : window.findChildren<QMenu*>())
        for (const QAction* const action : menu->actions())
            texts << menu->title() << action->text();
    return texts;
}

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        ui::setUpApplication();
        setSettingsFilePath(m_dir.filePath(QStringLiteral("setting.ini")));
        ui::setMessageHandler([](MessageIcon, const QString&) {});
    }

    void everyWindow_data() {
        QTest::addColumn<WindowFactory>("make");
        QTest::addColumn<QString>("title");
        const bool en = english();
        const QString program = en ? QStringLiteral("Pelorin") : QStringLiteral("ペロリン");
        QTest::newRow("main") << WindowFactory([] { return std::make_unique<frmMain>(); })
                              << program;
        QTest::newRow("server settings")
            << WindowFactory(settingDialog)
            << (en ? QStringLiteral("TV Server") : QStringLiteral("TVサーバーの指定"));
        QTest::newRow("details") << WindowFactory(detailsDialog)
                                 << (en ? QStringLiteral("Details") : QStringLiteral("詳細"));
        QTest::newRow("about") << WindowFactory([] { return std::make_unique<frmAbout>(); })
                               << program;
    }
    void everyWindow() {
        QFETCH(WindowFactory, make);
        QFETCH(QString, title);
        const std::unique_ptr<QWidget> window = make();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // What the window system shows in the title bar, not only the widget's own caption.
        QCOMPARE(window->windowHandle()->title(), title);
        QCOMPARE(window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        QVERIFY(!QApplication::windowIcon().isNull());
        QCOMPARE(misfits(*window).join(u','), QString());
        for (const QLineEdit* const edit : window->findChildren<QLineEdit*>())
            if (edit->echoMode() == QLineEdit::Password)
                QCOMPARE(edit->displayText(), QString(edit->text().size(), u'*'));
    }

    // A user of another language sees no Japanese: every text went through the catalogue.
    void noJapaneseLeft_data() { everyWindow_data(); }
    void noJapaneseLeft() {
        QFETCH(WindowFactory, make);
        if (!english())
            QSKIP("the texts are Japanese in this run");
        const std::unique_ptr<QWidget> window = make();
        QStringList texts = textsOf(*window);
        if (auto* const main = qobject_cast<frmMain*>(window.get())) {
            main->floatingButton()->Form_Load();
            texts << textsOf(*main->floatingButton());
        }
        texts.removeIf([](const QString& text) { return !hasJapanese(text); });
        QCOMPARE(texts.join(u','), QString());
    }

    // Qt's own texts (context menus, standard buttons) in the same language as the program's.
    void qtOwnTextsFollow() {
        const QString undo = QCoreApplication::translate("QLineEdit", "&Undo");
        QCOMPARE(undo, english() ? QStringLiteral("&Undo") : QStringLiteral("元に戻す(&U)"));
    }

    // Every text reads on a dark desktop theme, the designed colours where they still contrast.
    void darkTheme_data() { everyWindow_data(); }
    void darkTheme() {
        QFETCH(WindowFactory, make);
        const QPalette light = QApplication::palette();
        QPalette dark(QColor(53, 53, 53));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Link, QColor(42, 130, 218));
        dark.setColor(QPalette::LinkVisited, QColor(240, 120, 120));
        QApplication::setPalette(dark);
        const std::unique_ptr<QWidget> window = make();
        QStringList unreadable;
        for (const QLabel* const label : window->findChildren<QLabel*>())
            if (!label->text().isEmpty() &&
                ui::contrastRatio(label->palette().color(QPalette::WindowText),
                                  window->palette().color(QPalette::Window)) < ui::MinimumContrast)
                unreadable.append(label->text());
        QApplication::setPalette(light);
        QCOMPARE(unreadable.join(u','), QString());
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

    void storedPositionOffEveryScreen() {
        // Positions stored with another monitor or scale factor: the windows come back on screen.
        QVERIFY(WriteIni(ini::Pos, QStringLiteral("Setting_Top"), QStringLiteral("40000")));
        QVERIFY(WriteIni(ini::Pos, QStringLiteral("Setting_Left"), QStringLiteral("60000")));
        QVERIFY(WriteIni(ini::Pos, QStringLiteral("Button_Top"), QStringLiteral("99000")));
        QVERIFY(WriteIni(ini::Pos, QStringLiteral("Button_Left"), QStringLiteral("30")));
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        const std::unique_ptr<QWidget> dialog = settingDialog();
        QVERIFY(screen.contains(QRect(dialog->pos(), dialog->size())));
        frmMain window;
        window.floatingButton()->Form_Load();
        QCOMPARE(window.floatingButton()->pos(),
                 QPoint(2, screen.bottom() + 1 - window.floatingButton()->height()));
    }

    void messageBoxCarriesTheIcon() {
        ui::setMessageHandler({});
        QString seenTitle;
        qint64 seenIcon = 0;
        QTimer::singleShot(0, [&] {
            QWidget* const box = QApplication::activeModalWidget();
            QVERIFY(box);
            seenTitle = box->windowHandle()->title();
            seenIcon = box->windowIcon().cacheKey();
            box->close();
        });
        ui::showMessage(MessageIcon::Information, QStringLiteral("接続中"));
        ui::setMessageHandler([](MessageIcon, const QString&) {});
        QCOMPARE(seenTitle, english() ? QStringLiteral("Pelorin") : QStringLiteral("ペロリン"));
        QCOMPARE(seenIcon, QApplication::windowIcon().cacheKey());
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
