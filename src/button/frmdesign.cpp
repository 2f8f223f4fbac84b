#include "button/frmdesign.h"

#include "button/keyfaces.h"
#include "common/language.h"
#include "common/ui/accessibility.h"
#include "common/ui/twips.h"
#include "common/ui/windowpos.h"
#include "settings/settings.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QShowEvent>

#include <cmath>

namespace pelorin {

namespace {

// The key picture is taller than the window: its top row and bottom two rows stay hidden.
constexpr QRect Picture1Twips{0, -20, 495, 495};
constexpr QSize ClientTwips{495, 450};

QPointF toTwips(QPointF pixels) {
    return pixels * twips::PerPixel;
}

QPoint roundedTwips(QPointF xy) {
    return QPoint(static_cast<int>(std::lround(xy.x())), static_cast<int>(std::lround(xy.y())));
}

int faceIndex(KeyFace face) {
    return static_cast<int>(face) - 1;
}

void popupMenuAt(QMenu& menu, QPoint globalPos) {
    menu.popup(globalPos);
}

} // namespace

frmDesign::frmDesign(FloatingButtonHost& host, const ServerState& state, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_host(host), m_state(state),
      m_popup(popupMenuAt) {
    buildWindow();
    buildMenu();
    setFace(KeyFace::OnRaised);
    // The key mirrors the lamp: its face with each painting, the hourglass while it blinks.
    connect(&state, &ServerState::lampPainted, this, [this] {
        if (const auto released = dragrules::releasedFace(m_state.face()))
            setFace(*released);
        if (!m_state.blinking())
            setPointer(KeyPointer::Default);
    });
    connect(&state, &ServerState::blinkingStarted, this,
            [this] { setPointer(KeyPointer::Hourglass); });
    connect(&state, &ServerState::changed, this,
            [this] { Picture1->setAccessibleDescription(m_state.description()); });
}

void frmDesign::buildWindow() {
    // A tool window has no taskbar entry; it is deliberately not kept above other windows.
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    setWindowTitle(programTitle());
    setFixedSize(twips::toPixels(ClientTwips.width()), twips::toPixels(ClientTwips.height()));

    // The pictures are drawn when first needed: most runs start with the main window, and
    // the button's drawing would only add to the start-up time.
    setAutoFillBackground(true);

    Picture1 = new QLabel(this);
    Picture1->setGeometry(twips::rect(Picture1Twips.x(), Picture1Twips.y(), Picture1Twips.width(),
                                      Picture1Twips.height()));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setContentsMargins(0, 0, 0, 0);
    Picture1->setScaledContents(false);
    Picture1->setToolTip(programTitle());
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->setAccessibleName(programTitle());
    Picture1->setAccessibleDescription(m_state.description());
    ui::presentAs(*Picture1, ui::AccessibleKind::Button, [this] { Picture1_KeyClick(); });
    // Moves arrive without a button too, so that a drag whose release was swallowed elsewhere
    // still follows the pointer until the next release, as the drag flag says.
    Picture1->setMouseTracking(true);
    Picture1->installEventFilter(this);
}

void frmDesign::buildMenu() {
    MMenu = new QMenu(this);
    MForm = MMenu->addAction(QCoreApplication::translate("frmDesign", "元に戻す(&R)"));
    MBar1 = MMenu->addSeparator();
    MEnd = MMenu->addAction(QCoreApplication::translate("frmDesign", "終了(&E)"));
    connect(MForm, &QAction::triggered, this, &frmDesign::MForm_Click);
    connect(MEnd, &QAction::triggered, this, &frmDesign::MEnd_Click);
}

void frmDesign::Form_Load() {
    const Settings::StoredPosition position = programSettings().position(Window::Button);
    const auto stored = dragrules::storedButtonPosition(position.top, position.left);
    const QPoint corner = stored.value_or(QPoint(m_host.mainLeftTwips(), m_host.mainTopTwips()));
    ui::moveWindowTwips(*this, corner.x(), corner.y());
    ui::keepReachable(*this);
}

void frmDesign::showEvent(QShowEvent* event) {
    if (!m_backgroundDrawn) {
        QPalette background = palette();
        background.setBrush(QPalette::Window, QBrush(keyfaces::stripeTexture()));
        setPalette(background);
        m_backgroundDrawn = true;
    }
    Picture1->setPixmap(picture2(m_face));
    QWidget::showEvent(event);
}

void frmDesign::setFace(KeyFace face) {
    m_face = face;
    // A hidden button (the usual case: the main window is up) gets its picture when it shows.
    if (isVisible())
        Picture1->setPixmap(picture2(face));
}

void frmDesign::setPointer(KeyPointer pointer) {
    m_pointer = pointer;
    switch (pointer) {
    case KeyPointer::Default:
        Picture1->unsetCursor();
        break;
    case KeyPointer::Hourglass:
        Picture1->setCursor(Qt::WaitCursor);
        break;
    case KeyPointer::Grab:
        if (!m_grabCursor)
            m_grabCursor = keyfaces::grabCursor();
        Picture1->setCursor(*m_grabCursor);
        break;
    }
}

void frmDesign::setMenuPopup(MenuPopup popup) {
    m_popup = popup ? std::move(popup) : MenuPopup(popupMenuAt);
}

const QPixmap& frmDesign::picture2(KeyFace face) const {
    QPixmap& picture = Picture2.at(faceIndex(face));
    if (picture.isNull())
        picture = keyfaces::keyFace(face, devicePixelRatioF());
    return picture;
}

bool frmDesign::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Picture1)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        Picture1_MouseDown(mouse->button(), toTwips(mouse->position()));
        return true;
    }
    case QEvent::MouseMove:
        Picture1_MouseMove(toTwips(static_cast<QMouseEvent*>(event)->position()));
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        Picture1_MouseUp(mouse->button(), mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::KeyPress:
        return Picture1_KeyPress(*static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
        // The platform's own answer to the context-menu key; the key itself may have opened the
        // menu already. A right click opens it on release, as it always has.
        if (static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse &&
            !MMenu->isVisible())
            openMenuFromKeyboard();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void frmDesign::Picture1_MouseDown(Qt::MouseButton button, QPointF xy) {
    DragActive = true;
    DragMoved = false;
    const QPoint start = roundedTwips(xy);
    DragStartX = start.x();
    DragStartY = start.y();
    if (button != Qt::LeftButton)
        return;
    if (const auto pressed = dragrules::pressedFace(m_state.face()))
        setFace(*pressed);
}

void frmDesign::Picture1_MouseMove(QPointF xy) {
    if (!DragActive)
        return;
    const QPoint start(DragStartX, DragStartY);
    const QPoint corner(ui::windowLeftTwips(*this), ui::windowTopTwips(*this));
    const QPoint target = dragrules::dragTarget(corner, start, xy);
    ui::moveWindowTwips(*this, target.x(), target.y());
    if (dragrules::dragHasMoved(start, xy)) {
        DragMoved = true;
        setPointer(KeyPointer::Grab);
    }
}

void frmDesign::Picture1_MouseUp(Qt::MouseButton button, QPoint globalPos) {
    setPointer(dragrules::pointerAfterRelease(m_state.blinking()));
    if (dragrules::isPowerClick(button, m_state.blinking(), DragMoved)) {
        // The command runs its own event loop; the drag must be over before it starts, or
        // pointer moves meanwhile would drag the window.
        DragActive = false;
        if (!runPowerClick())
            return;
    }
    if (DragMoved) {
        savePosition();
        if (const auto released = dragrules::releasedFace(m_state.face()))
            setFace(*released);
    }
    DragActive = false;
    if (button == Qt::RightButton)
        m_popup(*MMenu, globalPos);
}

void frmDesign::Picture1_KeyClick() {
    Picture1_MouseDown(Qt::LeftButton, QPointF());
    Picture1_MouseUp(Qt::LeftButton, Picture1->mapToGlobal(Picture1->rect().center()));
}

bool frmDesign::Picture1_KeyPress(const QKeyEvent& key) {
    const bool shiftF10 = key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier;
    if (key.key() == Qt::Key_Menu || shiftF10) {
        openMenuFromKeyboard();
        return true;
    }
    const bool click = key.modifiers() == Qt::NoModifier || key.modifiers() == Qt::KeypadModifier;
    if (click &&
        (key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
        // A key held down clicks once, not once per repeat.
        if (!key.isAutoRepeat())
            Picture1_KeyClick();
        return true;
    }
    return false;
}

void frmDesign::openMenuFromKeyboard() {
    m_popup(*MMenu, Picture1->mapToGlobal(Picture1->rect().center()));
}

bool frmDesign::runPowerClick() {
    const auto action = dragrules::clickAction(m_state.face());
    if (!action)
        return true;
    setFace(action->face);
    const QPointer<frmDesign> alive(this);
    if (action->choice == PowerChoice::Off)
        m_host.selectOption2();
    else
        m_host.selectOption1();
    return !alive.isNull();
}

void frmDesign::savePosition() const {
    // Any position is kept, even past the screen's edge, so the button comes back where it was.
    programSettings().setPosition(Window::Button, ui::windowTopTwips(*this),
                                  ui::windowLeftTwips(*this));
}

void frmDesign::MForm_Click() {
    hide();
    m_host.showMainWindow();
    WriteIni(ini::Form, ini::Show, QStringLiteral("Form"));
}

void frmDesign::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void frmDesign::MEnd_Click() {
    hide();
    m_host.closeMainWindow();
}

} // namespace pelorin
