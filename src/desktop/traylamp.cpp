#include "desktop/traylamp.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>

namespace pelorin {

namespace {

// The sizes tray hosts ask for; each picture is drawn for its size rather than scaled.
constexpr std::array IconSizes{16, 22, 24, 32, 48, 64};

QColor rgbOf(LampColour colour) {
    switch (colour) {
    case LampColour::Green:
        return QColor(0x00, 0xff, 0x00);
    case LampColour::Red:
        return QColor(0xff, 0x00, 0x00);
    case LampColour::White:
        break;
    }
    return QColor(0xff, 0xff, 0xff);
}

// The lamp as the window shows it, a square of its colour, with a dark edge that keeps the white
// lamp visible on a light panel.
QPixmap lampPicture(LampColour colour, int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal edge = std::max(1.0, size / 16.0);
    const qreal inset = size / 8.0 + edge / 2;
    const QRectF lamp(inset, inset, size - 2 * inset, size - 2 * inset);
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), edge));
    painter.setBrush(rgbOf(colour));
    painter.drawRoundedRect(lamp, size / 10.0, size / 10.0);
    return picture;
}

} // namespace

QIcon TrayLamp::lampIcon(LampColour colour) {
    QIcon icon;
    for (const int size : IconSizes)
        icon.addPixmap(lampPicture(colour, size));
    return icon;
}

TrayLamp::TrayLamp(TrayHost& host, const ServerState& state, QObject* parent)
    : QObject(parent), m_host(host), m_state(state) {
    for (const LampColour colour : {LampColour::White, LampColour::Green, LampColour::Red})
        m_lampIcons.at(static_cast<size_t>(colour)) = lampIcon(colour);

    // The same words as the window's option buttons; the check shows which one the server's
    // state selects.
    auto* const options = new QActionGroup(&m_menu);
    m_on = m_menu.addAction(QStringLiteral("ON"));
    m_off = m_menu.addAction(QStringLiteral("OFF"));
    for (QAction* const option : {m_on, m_off}) {
        option->setCheckable(true);
        options->addAction(option);
    }
    m_menu.addSeparator();
    m_show = m_menu.addAction(QString());
    m_menu.addSeparator();
    m_end = m_menu.addAction(QCoreApplication::translate("TrayLamp", "終了(&E)"));

    connect(m_on, &QAction::triggered, this, [this] {
        m_host.selectOption1();
        stateChanged();
    });
    connect(m_off, &QAction::triggered, this, [this] {
        m_host.selectOption2();
        stateChanged();
    });
    connect(m_show, &QAction::triggered, this, &TrayLamp::toggleForm);
    connect(m_end, &QAction::triggered, this, [this] { m_host.closeMainWindow(); });
    // Whether the window shows can change behind the menu's back (its own close box, the
    // floating button's menu): the words are chosen when the menu opens.
    connect(&m_menu, &QMenu::aboutToShow, this, &TrayLamp::nameShowAction);
    nameShowAction();

    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayLamp::activated);
    connect(&state, &ServerState::changed, this, &TrayLamp::stateChanged);
    stateChanged();
}

void TrayLamp::stateChanged() {
    const LampColour colour = m_state.colour();
    if (m_shownColour != colour) {
        m_shownColour = colour;
        m_icon.setIcon(m_lampIcons.at(static_cast<size_t>(colour)));
    }
    m_icon.setToolTip(m_state.statusText());
    (m_state.serverOn() ? m_on : m_off)->setChecked(true);
}

void TrayLamp::nameShowAction() {
    m_show->setText(m_host.formShown() ? QCoreApplication::translate("TrayLamp", "隠す(&H)")
                                       : QCoreApplication::translate("TrayLamp", "表示(&S)"));
}

void TrayLamp::activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger)
        toggleForm();
}

void TrayLamp::toggleForm() {
    m_host.showForm(!m_host.formShown());
}

} // namespace pelorin
