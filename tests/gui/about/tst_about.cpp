#include "about/frmabout.h"
#include "about/help.h"
#include "common/ui/seams.h"
#include "programicon.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

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
    template <typename T = QWidget> T* control(frmAbout* box, const char* name) {
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

    void hoverColours() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        QLabel* const link = control<QLabel>(box, "Label2");
        QCOMPARE(textColor(link), Blue);
        hover(link);
        QCOMPARE(textColor(link), Red);
        // Controls without a handler of their own leave the colour alone, and do not let the
        // dialog's face see the move either.
        for (const char* name : {"lblVersion", "lblTitle", "picIcon", "Line1", "cmdOK"}) {
            hover(control(box, name), QPoint(1, 1));
            QVERIFY2(textColor(link) == Red, name);
        }
        for (const char* name : {"Label1", "Label3", "Label4", "lblDisclaimer"}) {
            hover(link);
            hover(control(box, name));
            QVERIFY2(textColor(link) == Blue, name);
        }
        hover(link);
        hover(box, QPoint(5, 80));
        QCOMPARE(textColor(link), Blue);

        // The same through the window system's own moves.
        QTest::mouseMove(link, QPoint(10, 8));
        QTRY_COMPARE(textColor(link), Red);
        QTest::mouseMove(control(box, "lblVersion"), QPoint(10, 8));
        QTest::mouseMove(control(box, "cmdOK"), QPoint(10, 8));
        QTest::qWait(20);
        QCOMPARE(textColor(link), Red);
        QTest::mouseMove(control(box, "Label1"), QPoint(10, 8));
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

        // No browser: the user is told which page could not be opened, and the box stays.
        m_openerAnswer = false;
        QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(10, 8));
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_messages, QStringList{QStringLiteral(
                                 "Webページを開けませんでした。\r\nhttps://pelorin.example.jp/")});
        m_messages.clear();
        QCOMPARE(openAboutBox(), box);
    }

    // Tab reaches the link, which assistive technology knows as one; Enter and Space open the
    // page there, not the default button's OK.
    void linkByKeyboard() {
        frmAbout* const box = openBox();
        QVERIFY(box);
        QLabel* const link = control<QLabel>(box, "Label2");
        QAccessibleInterface* const access = QAccessible::queryAccessibleInterface(link);
        QCOMPARE(access->role(), QAccessible::Link);
        QCOMPARE(access->text(QAccessible::Name), QStringLiteral("Webページ"));
        box->activateWindow();
        control(box, "cmdOK")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), link);
        QTest::keyClick(link, Qt::Key_Return);
        QTest::keyClick(link, Qt::Key_Space);
        access->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_opened.size(), 3);
        QCOMPARE(openAboutBox(), box);
    }

    void closing_data() {
        QTest::addColumn<int>("key"); // 0: the OK button, -1: the window's close box
        QTest::newRow("OK") << 0;
        QTest::newRow("Enter") << int(Qt::Key_Enter);
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("close box") << -1;
    }
    void closing() {
        QFETCH(int, key);
        QPointer<frmAbout> box = openBox();
        QVERIFY(box);
        if (key == 0)
            QTest::mouseClick(control<QPushButton>(box, "cmdOK"), Qt::LeftButton);
        else if (key > 0)
            QTest::keyClick(box, Qt::Key(key));
        else
            box->close();
        QVERIFY(!openAboutBox());
        QTRY_VERIFY(box.isNull()); // destroyed, not just hidden
        QVERIFY(m_opened.isEmpty());
    }

    void singleBoxBroughtForward() {
        QPointer<frmAbout> first = openBox();
        QVERIFY(first);
        hover(control(first, "Label2"));
        showAboutBox();
        QCOMPARE(openAboutBox(), first.data());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                               [](const QWidget* w) { return qobject_cast<const frmAbout*>(w); }),
                 1);
        QCOMPARE(textColor(control(first, "Label2")), Red); // the same box, in the same state

        // Reopened at once after closing, before the old one is deleted: a new box, blue again.
        first->close();
        frmAbout* const second = openBox();
        QVERIFY(second && second != first.data());
        QCOMPARE(textColor(control(second, "Label2")), Blue);
        QTRY_VERIFY(first.isNull());
        QCOMPARE(openAboutBox(), second);
    }

    void iconResources() {
        QVERIFY(QSvgRenderer(QStringLiteral(PELORIN_ICON_SVG)).isValid());
        for (const int size : {16, 32, 48, 256}) {
            const QPixmap png(QStringLiteral(":/icons/pelorin-%1.png").arg(size));
            QCOMPARE(png.size(), QSize(size, size));
        }
        // Drawn, not blank: the corners are see-through, the middle is not.
        const QImage rendered = programPixmap(48).toImage();
        QCOMPARE(rendered.pixelColor(0, 47).alpha(), 0);
        QCOMPARE(rendered.pixelColor(24, 20).alpha(), 255);
        // Sharp at twice the density: drawn from the 256-pixel picture, not the 48 scaled up.
        const QPixmap dense = programPixmap(48, 2.0);
        QCOMPARE(dense.size(), QSize(96, 96));
        QCOMPARE(dense.deviceIndependentSize(), QSizeF(48, 48));
        QCOMPARE(programIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));

        frmAbout* const box = openBox();
        QVERIFY(box);
        QVERIFY(!control<QLabel>(box, "picIcon")->pixmap().isNull());
    }

    void builtManuals() {
        // The build copies both manuals to bin/help/, beside this test.
        const QString programDir = QCoreApplication::applicationDirPath();
        const QString japanese = programDir + QStringLiteral("/help/index.html");
        QCOMPARE(findHelpManual(programDir, Language::Japanese), japanese);
        QCOMPARE(findHelpManual(programDir, Language::English),
                 programDir + QStringLiteral("/help/index.en.html"));
        QCOMPARE(helpManualPath(), japanese); // the tests run in Japanese

        QVERIFY(ShowHelp(nullptr, japanese));
        QCOMPARE(m_opened, QStringList{japanese});
        m_openerAnswer = false;
        QVERIFY(!ShowHelp(nullptr, japanese));
    }

    void helpLookup_data() {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QStringList>("files"); // a name ending in "/" is a folder
        QTest::addColumn<QString>("expected");
        const QString beside = QStringLiteral("bin/help/");
        const QString installed = QStringLiteral("share/pelorin/help/");
        const QString ja = QStringLiteral("index.html");
        const QString en = QStringLiteral("index.en.html");
        QTest::newRow("none") << Language::Japanese << QStringList{} << QString();
        QTest::newRow("installed")
            << Language::Japanese << QStringList{installed + ja} << installed + ja;
        QTest::newRow("beside first")
            << Language::Japanese << QStringList{installed + ja, beside + ja} << beside + ja;
        QTest::newRow("a folder is no manual")
            << Language::Japanese << QStringList{installed + ja, beside + ja + "/"}
            << installed + ja;
        QTest::newRow("ja beside")
            << Language::Japanese << QStringList{beside + ja, beside + en} << beside + ja;
        QTest::newRow("en beside")
            << Language::English << QStringList{beside + ja, beside + en} << beside + en;
        QTest::newRow("en installed")
            << Language::English << QStringList{installed + ja, installed + en} << installed + en;
        QTest::newRow("en falls back")
            << Language::English << QStringList{beside + ja} << beside + ja;
    }

    void helpLookup() {
        QFETCH(Language, language);
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString programDir = root.filePath("bin");
        QVERIFY(QDir().mkpath(programDir));
        for (const QString& file : std::as_const(files))
            QVERIFY(file.endsWith('/') ? QDir().mkpath(root.filePath(file))
                                       : writeFile(root.filePath(file), "<html></html>"));
        QCOMPARE(findHelpManual(programDir, language),
                 expected.isEmpty() ? QString() : root.filePath(expected));
    }

    void missingManual() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QWidget owner;
        QVERIFY(!ShowHelp(&owner, QString()));
        QVERIFY(!ShowHelp(&owner, root.filePath("help/index.html")));
        QVERIFY(!ShowHelp(&owner, root.path())); // a folder
        QVERIFY(m_opened.isEmpty());
        const QWidgetList windows = QApplication::topLevelWidgets();
        QVERIFY(std::none_of(windows.cbegin(), windows.cend(),
                             [](const QWidget* w) { return w->isVisible(); }));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
