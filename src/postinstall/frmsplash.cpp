#include "postinstall/frmsplash.h"

#include "common/ui/twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace pelorin {

namespace {

bool isModifierOnly(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

} // namespace

frmSplash::frmSplash()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      m_picture(QString::fromLatin1(PicturePath)) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Form1"));
    setAccessibleName(QCoreApplication::translate("frmSplash", "初期化中"));
    setFixedSize(twips::toPixels(WidthTwips), twips::toPixels(HeightTwips));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void frmSplash::showNow() {
    if (const QScreen* const screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    activateWindow();
    repaint();
    // Let the window system map and draw it; clicks and keys wait until the program waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmSplash::Form_Click() {
    close();
}

void frmSplash::Form_KeyPress() {
    close();
}

void frmSplash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    // Drawn at the top-left in its own size: the window cuts off the picture's right edge.
    painter.drawPixmap(QPoint(0, 0), m_picture);
}

void frmSplash::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Form_Click();
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    if (!isModifierOnly(event->key()))
        Form_KeyPress();
}

} // namespace pelorin
