#include "about/frmabout.h"
#include "about/help.h"
#include "common/ui/seams.h"
#include "programicon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <algorithm>

using namespace pelorin;

namespace {

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

QColor textColor(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

// A move without buttons, delivered the way the application delivers it: to the widget, and on
// to its parents when the widget leaves it alone.
void hover(QWidget* widget, QPoint pos = QPoint(2, 2)) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), widget->mapToGlobal(QPointF(pos)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private:
    QStringList m_opened;
    bool m_openerAnswer = true;
    QStringList m_messages;

    frmAbout* openBox() {
        showAboutBox();
        frmAbout* const box = openAboutBox();
        if (box)
            (void)QTest::qWaitForWindowExposed(box);
        return box;
    }
    template <typename T> T* control(frmAbout* box, const char* name) {
        return box->findChild<T*>(QLatin1String(name));
    }

private slots:
    void initTestCase() {
        ui::setUrlOpener([this](const QString& target) {
            m_opened.append(target);
            return m_openerAnswer;
        });
        ui::setMessageHandler(
            [this](MessageIcon, const QString& text) { m_messages.append(text); });
    }

    void init() {
        m_opened.clear();
        m_messages.clear();
        m_openerAnswer = true;
    }

    void cleanup() {
        if (frmAbout* const box = openAboutBox())
            box->close();
        QTRY_VERIFY(!openAboutBox());
        QVERIFY(m_messages.isEmpty());
    }

    // ---- What the box shows -------------------------------------------------------------

    void texts() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("ペロリン"));
        QCOMPARE(control<QLabel>(box, "Label3")->text(),
                 QStringLiteral("TVサーバー専用電源管理ツール"));
        QCOMPARE(control<QLabel>(box, "lblTitle")->text(), QStringLiteral("ペロリン"));
        QCOMPARE(control<QLabel>(box, "lblVersion")->text(), QStringLiteral("Version 1.21"));
        QCOMPARE(control<QLabel>(box, "Label1")->text(),
                 QStringLiteral("このプログラムに関する最新情報は"));
        QCOMPARE(control<QLabel>(box, "Label2")->text(),
                 QStringLiteral("https://pelorin.example.jp/"));
        QCOMPARE(control<QLabel>(box, "Label4")->text(), QStringLiteral("を参照ください。"));
        QVERIFY(
            control<QLabel>(box, "lblDisclaimer")->text().startsWith(QStringLiteral("Copyright")));
        QCOMPARE(control<QPushButton>(box, "cmdOK")->text(), QStringLiteral("OK"));
    }

    void fontsAndColours() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        const QLabel* const title = control<QLabel>(box, "lblTitle");
        QCOMPARE(title->font().family(), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(title->font().pointSizeF(), 14.25);
        QVERIFY(title->font().bold());
        QCOMPARE(textColor(title), QColor(Qt::black));

        const QLabel* const link = control<QLabel>(box, "Label2");
        QCOMPARE(link->font().family(), QStringLiteral("Arial"));
        QCOMPARE(link->font().pointSizeF(), 9.75);
        QVERIFY(link->font().bold());
        QVERIFY(link->font().underline());
        QCOMPARE(textColor(link), Blue);

        QCOMPARE(textColor(control<QLabel>(box, "lblDisclaimer")), QColor(Qt::black));
        for (const char* name : {"Label1", "Label3", "Label4", "lblVersion"})
            QVERIFY2(!control<QLabel>(box, name)->font().underline(), name);
    }

    void textsFitTheirBoxes() {
        // Whatever face stands in for the Windows fonts, no text is cut off at the right.
        frmAbout* const box = openBox();
        QVERIFY(box);
        for (const char* name :
             {"Label3", "lblTitle", "lblVersion", "Label1", "Label2", "Label4", "lblDisclaimer"}) {
            const QLabel* const label = control<QLabel>(box, name);
            QVERIFY2(!label->wordWrap(), name);
            QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <=
                         label->contentsRect().width(),
                     name);
        }
    }

    void geometry() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        QCOMPARE(box->size(), QSize(379, 141));
        QCOMPARE(box->minimumSize(), QSize(379, 141));
        QCOMPARE(box->maximumSize(), QSize(379, 141));
        QCOMPARE(control<QLabel>(box, "picIcon")->geometry(), QRect(16, 8, 51, 49));
        QCOMPARE(control<QLabel>(box, "lblTitle")->geometry(), QRect(96, 24, 131, 32));
        QCOMPARE(control<QLabel>(box, "Label2")->geometry(), QRect(80, 72, 169, 17));
        QCOMPARE(control<QLabel>(box, "Label4")->geometry(), QRect(264, 72, 97, 17));
        QCOMPARE(control<QPushButton>(box, "cmdOK")->geometry(), QRect(288, 104, 84, 23));
        QCOMPARE(control<QWidget>(box, "Line1")->geometry(), QRect(0, 96, 371, 2));
    }

    void etchedRule() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        const QImage image = control<QWidget>(box, "Line1")->grab().toImage();
        QCOMPARE(image.pixelColor(0, 0), QColor(128, 128, 128));
        QCOMPARE(image.pixelColor(370, 0), QColor(128, 128, 128));
        QCOMPARE(image.pixelColor(0, 1), QColor(Qt::white));
        QCOMPARE(image.pixelColor(369, 1), QColor(Qt::white));
        QVERIFY(image.pixelColor(370, 1) != QColor(Qt::white));
    }

    void windowKind() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        const Qt::WindowFlags flags = box->windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::MSWindowsFixedSizeDialogHint);
        QVERIFY(!box->isModal());
        QVERIFY(!box->parentWidget());
        QVERIFY(box->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!box->windowIcon().isNull());
        // Owned by a hidden window: no taskbar button of its own.
        QVERIFY(box->windowHandle()->transientParent());
        QVERIFY(!box->windowHandle()->transientParent()->isVisible());
    }

    void centredOnScreenWithoutOwner() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        const QPoint screenCentre = box->screen()->availableGeometry().center();
        const QPoint boxCentre = box->geometry().center();
        QVERIFY2((screenCentre - boxCentre).manhattanLength() <= 40,
                 qPrintable(QStringLiteral("%1,%2").arg(boxCentre.x()).arg(boxCentre.y())));
    }

    void centredOnOwner() {
        QWidget owner;
        owner.setGeometry(40, 50, 600, 400);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QPointer<frmAbout> box = new frmAbout(&owner);
        box->show();
        const QPoint offset = owner.frameGeometry().center() - box->frameGeometry().center();
        QVERIFY(offset.manhattanLength() <= 40);
        box->close();
        QTRY_VERIFY(!box);
    }

    void accessibility() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        const QList<QWidget*> controls = box->findChildren<QWidget*>();
        QCOMPARE(controls.size(), 10);
        for (const QWidget* control : controls)
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        QCOMPARE(control<QLabel>(box, "Label2")->accessibleName(), QStringLiteral("Webページ"));

        // The button is the only stop in the tab order.
        for (const QWidget* control : controls) {
            if (control->objectName() != QLatin1String("cmdOK"))
                QCOMPARE(control->focusPolicy(), Qt::NoFocus);
        }
        QVERIFY(control<QPushButton>(box, "cmdOK")->focusPolicy() & Qt::TabFocus);
    }

    // ---- The link -----------------------------------------------------------------------

    void hoverColours() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        QLabel* const link = control<QLabel>(box, "Label2");
        for (const char* name : {"Label2", "Label1", "Label3", "Label4", "lblDisclaimer"})
            QVERIFY2(control<QWidget>(box, name)->hasMouseTracking(), name);
        QVERIFY(box->hasMouseTracking());

        hover(link);
        QCOMPARE(textColor(link), Red);
        // Controls without a handler of their own leave the colour alone, and do not let the
        // dialog's face see the move either.
        for (const char* name : {"lblVersion", "lblTitle", "picIcon", "Line1", "cmdOK"}) {
            hover(control<QWidget>(box, name), QPoint(1, 1));
            QVERIFY2(textColor(link) == Red, name);
        }
        for (const char* name : {"Label1", "Label3", "Label4", "lblDisclaimer"}) {
            hover(link);
            QCOMPARE(textColor(link), Red);
            hover(control<QWidget>(box, name));
            QVERIFY2(textColor(link) == Blue, name);
        }
        hover(link);
        hover(box, QPoint(5, 80));
        QCOMPARE(textColor(link), Blue);

        QVERIFY(link->font().underline());
        QVERIFY(!link->testAttribute(Qt::WA_SetCursor));
        QVERIFY(!box->testAttribute(Qt::WA_SetCursor));
    }

    void hoverThroughTheWindow() {
        // Moves as the window system reports them, without any button held.
        frmAbout* const box = openBox();
        QVERIFY(box);
        QLabel* const link = control<QLabel>(box, "Label2");
        QTest::mouseMove(link, QPoint(10, 8));
        QTRY_COMPARE(textColor(link), Red);
        QTest::mouseMove(control<QWidget>(box, "lblVersion"), QPoint(10, 8));
        QTest::mouseMove(control<QWidget>(box, "cmdOK"), QPoint(10, 8));
        QTest::qWait(20);
        QCOMPARE(textColor(link), Red);
        QTest::mouseMove(control<QWidget>(box, "Label1"), QPoint(10, 8));
        QTRY_COMPARE(textColor(link), Blue);
    }

    void linkClickOpensThePage() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        QLabel* const link = control<QLabel>(box, "Label2");
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        QCOMPARE(m_opened, QStringList{QStringLiteral("https://pelorin.example.jp/")});

        // A right click is no click, and a press that ends outside the link is none either.
        QTest::mouseClick(link, Qt::RightButton, Qt::NoModifier, QPoint(10, 8));
        QTest::mousePress(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 200));
        QCOMPARE(m_opened.size(), 1);

        // No browser: nothing is said, the box stays.
        m_openerAnswer = false;
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        QCOMPARE(m_opened.size(), 2);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(openAboutBox(), box);
    }

    // ---- Opening and closing ------------------------------------------------------------

    void closing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << QStringLiteral("OK");
        QTest::newRow("Enter") << QStringLiteral("Enter");
        QTest::newRow("Return") << QStringLiteral("Return");
        QTest::newRow("Esc") << QStringLiteral("Esc");
        QTest::newRow("close box") << QStringLiteral("close");
    }
    void closing() {
        QFETCH(QString, how);
        QPointer<frmAbout> box = openBox();
        QVERIFY(box);
        if (how == QLatin1String("OK"))
            QTest::mouseClick(control<QPushButton>(box, "cmdOK"), Qt::LeftButton);
        else if (how == QLatin1String("Enter"))
            QTest::keyClick(box, Qt::Key_Enter);
        else if (how == QLatin1String("Return"))
            QTest::keyClick(box, Qt::Key_Return);
        else if (how == QLatin1String("Esc"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
        QVERIFY(!openAboutBox());
        QTRY_VERIFY(box.isNull()); // destroyed, not just hidden
        QVERIFY(m_opened.isEmpty());
    }

    void secondOpeningBringsTheSameBoxForward() {
        frmAbout* const first = openBox();
        QVERIFY(first);
        hover(control<QLabel>(first, "Label2"));
        showAboutBox();
        QCOMPARE(openAboutBox(), first);
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                               [](const QWidget* w) { return qobject_cast<const frmAbout*>(w); }),
                 1);
        // Still the same box, in the same state.
        QCOMPARE(textColor(control<QLabel>(first, "Label2")), Red);
    }

    void everyOpeningStartsBlue() {
        QPointer<frmAbout> first = openBox();
        QVERIFY(first);
        hover(control<QLabel>(first, "Label2"));
        first->close();
        frmAbout* const second = openBox(); // at once, before the first is deleted
        QVERIFY(second);
        QVERIFY(second != first.data());
        QCOMPARE(textColor(control<QLabel>(second, "Label2")), Blue);
        QTRY_VERIFY(first.isNull());
        QCOMPARE(openAboutBox(), second);
    }

    // ---- The program icon ---------------------------------------------------------------

    void iconResources() {
        // The drawing the pictures are rendered from, and the pictures compiled in.
        QSvgRenderer svg(QStringLiteral(PELORIN_ICON_SVG));
        QVERIFY(svg.isValid());
        QCOMPARE(svg.defaultSize(), QSize(48, 48));
        for (const int size : {16, 32, 48, 256}) {
            const QPixmap png(QStringLiteral(":/icons/pelorin-%1.png").arg(size));
            QCOMPARE(png.size(), QSize(size, size));
        }

        const QImage rendered = programPixmap(48).toImage();
        QCOMPARE(rendered.size(), QSize(48, 48));
        // Drawn, not blank: the corners are see-through, the middle is not.
        QCOMPARE(rendered.pixelColor(0, 47).alpha(), 0);
        QCOMPARE(rendered.pixelColor(24, 20).alpha(), 255);

        const QPixmap sharp = programPixmap(48, 2.0);
        QCOMPARE(sharp.size(), QSize(96, 96));
        QCOMPARE(sharp.deviceIndependentSize(), QSizeF(48, 48));

        const QIcon icon = programIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
        QVERIFY(icon.availableSizes().contains(QSize(256, 256)));
    }

    void iconInTheBox() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        const QPixmap picture = control<QLabel>(box, "picIcon")->pixmap();
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(48, 48));
    }

    // ---- Help ---------------------------------------------------------------------------

    void helpBesideTheProgram() {
        // The build copies the manual to bin/help/, beside this test.
        const QString path = helpManualPath();
        QCOMPARE(path, QDir(QCoreApplication::applicationDirPath()).filePath("help/index.html"));
        QFile manual(path);
        QVERIFY(manual.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(manual.readAll());
        QVERIFY(html.contains(QStringLiteral("目次")));
        QVERIFY(QFileInfo::exists(QFileInfo(path).dir().filePath("help.css")));

        QVERIFY(ShowHelp(nullptr, path));
        QCOMPARE(m_opened, QStringList{path});
    }

    void helpLookupOrder() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString programDir = root.filePath("bin");
        QVERIFY(QDir().mkpath(programDir));
        QCOMPARE(findHelpManual(programDir), QString());

        const QString installed = root.filePath("share/pelorin/help/index.html");
        QVERIFY(writeFile(installed, "<html></html>"));
        QCOMPARE(findHelpManual(programDir), installed);

        const QString beside = root.filePath("bin/help/index.html");
        QVERIFY(writeFile(beside, "<html></html>"));
        QCOMPARE(findHelpManual(programDir), beside);

        // A folder by the manual's name is no manual.
        QVERIFY(QFile::remove(beside));
        QVERIFY(QDir().mkpath(beside));
        QCOMPARE(findHelpManual(programDir), installed);

#ifndef Q_OS_WIN
        // The compiled help file is only for Windows' own help viewer.
        QVERIFY(writeFile(root.filePath("bin/Pelorin.chm"), "ITSF"));
        QCOMPARE(findHelpManual(programDir), installed);
#endif

        QVERIFY(ShowHelp(nullptr, installed));
        QCOMPARE(m_opened, QStringList{installed});
        m_openerAnswer = false;
        QVERIFY(!ShowHelp(nullptr, installed));
        QVERIFY(m_messages.isEmpty());
    }

    void missingManual() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QWidget owner;
        QVERIFY(!ShowHelp(&owner, QString()));
        QVERIFY(!ShowHelp(&owner, root.filePath("help/index.html")));
        QVERIFY(!ShowHelp(&owner, root.path())); // a folder
        QVERIFY(m_opened.isEmpty());
        QVERIFY(m_messages.isEmpty());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.cbegin(), windows.cend(),
                             [](const QWidget* w) { return w->isVisible(); }));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
