#include "about/frmabout.h"

#include "common/language.h"
#include "common/ui/accessibility.h"
#include "common/ui/fonts.h"
#include "common/ui/formcontrols.h"
#include "common/ui/seams.h"
#include "common/ui/twips.h"
#include "programicon.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <initializer_list>

namespace pelorin {

namespace {

const QColor LinkBlue(0, 0, 255);
const QColor LinkRed(255, 0, 0);

QFont titleFont() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS Mincho"),
                      QStringLiteral("Noto Serif CJK JP")});
    font.setPointSizeF(14.25);
    font.setBold(true);
    return font;
}

QFont linkFont() {
    QFont font;
    font.setFamilies(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    font.setPointSizeF(9.75);
    font.setBold(true);
    font.setUnderline(true);
    return font;
}

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

// An etched horizontal rule: a 2-pixel white line with a grey line over its top row. The grey
// line runs one pixel further to the right, where it ends on the dialog's face.
class EtchedRule : public QWidget {
public:
    explicit EtchedRule(QWidget* parent) : QWidget(parent) {
        const int top = twips::toPixels(1440);
        setGeometry(0, top, twips::toPixels(5564), 2);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.fillRect(QRect(0, 0, twips::toPixels(5549), 2), Qt::white);
        painter.fillRect(QRect(0, 0, twips::toPixels(5564), 1), QColor(128, 128, 128));
    }
};

QPointer<frmAbout> g_aboutBox;

bool isActivationKey(const QKeyEvent& key) {
    const bool plain = key.modifiers() == Qt::NoModifier || key.modifiers() == Qt::KeypadModifier;
    return plain && !key.isAutoRepeat() &&
           (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter ||
            key.key() == Qt::Key_Space);
}

} // namespace

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(programTitle());
    setFont(ui::formFont());
    setFixedSize(twips::toPixels(5685), twips::toPixels(2115));
    setSizeGripEnabled(false);
    setMouseTracking(true);
    buildControls();
    placeOnScreen(owner);
}

frmAbout::~frmAbout() {
    // Let go of the hidden owner before it is destroyed: a system destroying an owner window
    // takes the windows it owns down with it.
    if (QWindow* const window = windowHandle(); window && m_hiddenOwner)
        window->setTransientParent(nullptr);
}

void frmAbout::buildControls() {
    const auto label = [this](const char* name, const QString& text, QRect geometry) {
        auto* const control = new QLabel(text, this);
        control->setObjectName(QLatin1String(name));
        control->setGeometry(geometry);
        control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control->setAccessibleName(text);
        return control;
    };

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twips::rect(4320, 1560, 1260, 345));
    cmdOK->setDefault(true);
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twips::rect(240, 120, 767, 735));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon->setPixmap(programPixmap(48, devicePixelRatioF()));
    picIcon->setAccessibleName(QCoreApplication::translate("frmAbout", "ペロリンのアイコン"));

    Label3 =
        label("Label3", QCoreApplication::translate("frmAbout", "TVサーバー専用電源管理ツール"),
              twips::rect(1200, 120, 2655, 255));

    lblTitle = label("lblTitle", programTitle(), twips::rect(1440, 360, 1965, 480));
    lblTitle->setFont(titleFont());

    lblVersion =
        label("lblVersion", QStringLiteral("Version 1.21"), twips::rect(3960, 480, 1125, 225));
    lblVersion->setAccessibleName(QCoreApplication::translate("frmAbout", "バージョン 1.21"));

    Label1 =
        label("Label1", QCoreApplication::translate("frmAbout", "このプログラムに関する最新情報は"),
              twips::rect(1080, 840, 2775, 255));

    Label2 = label("Label2", QString::fromLatin1(WebAddress), twips::rect(1200, 1080, 2535, 255));
    Label2->setFont(linkFont());
    Label2->setAccessibleName(QCoreApplication::translate("frmAbout", "Webページ"));
    Label2->setAccessibleDescription(QString::fromLatin1(WebAddress));
    // Tab reaches the link after OK; Enter or Space opens the page as a click does.
    Label2->setFocusPolicy(Qt::StrongFocus);
    ui::presentAs(*Label2, ui::AccessibleKind::Link, [this] { Label2_Click(); });

    Label4 = label("Label4", QCoreApplication::translate("frmAbout", "を参照ください。"),
                   twips::rect(3960, 1080, 1455, 255));

    Line1 = new EtchedRule(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setAccessibleName(QCoreApplication::translate("frmAbout", "区切り線"));

    lblDisclaimer = label("lblDisclaimer", QStringLiteral("Copyright (C) 2026 Pelorin Project"),
                          twips::rect(120, 1560, 4110, 465));

    lblDisclaimer->setAccessibleName(QCoreApplication::translate("frmAbout", "著作権表示"));

    applyTextColours();
    for (QLabel* const text : {Label3, lblTitle, lblVersion, Label1, Label2, Label4, lblDisclaimer})
        ui::fitText(*text);

    // Every control sees the mouse moving over it, and none passes the move on to the dialog:
    // only the dialog's own face and the plain text labels turn the link back to blue.
    for (QWidget* const control :
         std::initializer_list<QWidget*>{cmdOK, picIcon, Label3, lblTitle, lblVersion, Label1,
                                         Label2, Label4, Line1, lblDisclaimer}) {
        control->setMouseTracking(true);
        control->setAttribute(Qt::WA_NoMousePropagation);
        control->installEventFilter(this);
    }
}

void frmAbout::placeOnScreen(QWidget* owner) {
    QRect area;
    if (owner)
        area = owner->window()->frameGeometry();
    else if (const QScreen* const screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect box(QPoint(0, 0), size());
    box.moveCenter(area.center());
    move(box.topLeft());
}

void frmAbout::showEvent(QShowEvent* event) {
    if (!m_hiddenOwner && !parentWidget()) {
        if (QWindow* const window = windowHandle(); window && !window->transientParent()) {
            m_hiddenOwner = std::make_unique<QWindow>();
            m_hiddenOwner->create();
            window->setTransientParent(m_hiddenOwner.get());
        }
    }
    QDialog::showEvent(event);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == Label2)
            Label2_MouseMove();
        else if (watched == Label1)
            Label1_MouseMove();
        else if (watched == Label3)
            Label3_MouseMove();
        else if (watched == Label4)
            Label4_MouseMove();
        else if (watched == lblDisclaimer)
            lblDisclaimer_MouseMove();
        break;
    case QEvent::MouseButtonPress:
        if (watched == Label2 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_linkPressed = true;
        break;
    case QEvent::KeyPress:
        if (watched == Label2 && isActivationKey(*static_cast<QKeyEvent*>(event))) {
            Label2_Click();
            return true; // not the default button's Enter as well
        }
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        // The focused link shows in the colour a pointer over it gives it.
        if (watched == Label2)
            setLinkColor(event->type() == QEvent::FocusIn ? LinkRed : LinkBlue);
        break;
    case QEvent::MouseButtonRelease:
        if (watched == Label2 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            const bool clicked =
                m_linkPressed &&
                Label2->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint());
            m_linkPressed = false;
            if (clicked)
                Label2_Click();
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

void frmAbout::setLinkColor(const QColor& color) {
    m_linkColor = color;
    const QColor shown =
        ui::readableOn(color, palette().color(QPalette::Window),
                       palette().color(color == LinkRed ? QPalette::LinkVisited : QPalette::Link));
    if (Label2->palette().color(QPalette::WindowText) != shown)
        setTextColor(*Label2, shown);
}

void frmAbout::applyTextColours() {
    // Black on the dialog's face, as designed; a dark desktop theme gets its own text colour.
    const QColor text = ui::readableOn(Qt::black, palette().color(QPalette::Window),
                                       palette().color(QPalette::WindowText));
    setTextColor(*lblTitle, text);
    setTextColor(*lblDisclaimer, text);
    setLinkColor(m_linkColor);
}

void frmAbout::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        applyTextColours();
    QDialog::changeEvent(event);
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::Label2_Click() {
    if (!ui::openExternal(QString::fromLatin1(WebAddress)))
        ui::showMessage(
            MessageIcon::Exclamation,
            QCoreApplication::translate("frmAbout", "Webページを開けませんでした。\r\n%1")
                .arg(QString::fromLatin1(WebAddress)));
}

void frmAbout::Label2_MouseMove() {
    setLinkColor(LinkRed);
}

void frmAbout::Form_MouseMove() {
    setLinkColor(LinkBlue);
}

void frmAbout::Label1_MouseMove() {
    setLinkColor(LinkBlue);
}

void frmAbout::Label3_MouseMove() {
    setLinkColor(LinkBlue);
}

void frmAbout::Label4_MouseMove() {
    setLinkColor(LinkBlue);
}

void frmAbout::lblDisclaimer_MouseMove() {
    setLinkColor(LinkBlue);
}

void showAboutBox() {
    if (frmAbout* const open = openAboutBox()) {
        open->raise();
        open->activateWindow();
        return;
    }
    // Deletes itself when closed; the guard forgets it then.
    auto* const box = new frmAbout();
    g_aboutBox = box;
    box->show();
}

frmAbout* openAboutBox() {
    // A closed box may linger until its deferred deletion; it no longer counts as open.
    return g_aboutBox && g_aboutBox->isVisible() ? g_aboutBox.data() : nullptr;
}

} // namespace pelorin
