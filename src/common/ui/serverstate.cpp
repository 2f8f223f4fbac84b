#include "common/ui/serverstate.h"

#include <QCoreApplication>

namespace pelorin {

QString ServerState::description() const {
    if (m_blinking)
        return QCoreApplication::translate("ServerState", "確認中");
    return m_colour == LampColour::Green ? QStringLiteral("ON") : QStringLiteral("OFF");
}

void ServerState::paint(LampColour colour, LampFace face) {
    m_colour = colour;
    m_face = face;
    Q_EMIT lampPainted();
    Q_EMIT changed();
}

void ServerState::settle(bool on) {
    m_serverOn = on;
    m_blinking = false;
    paint(on ? LampColour::Green : LampColour::White, on ? LampFace::On : LampFace::Off);
}

void ServerState::startBlinking() {
    const bool wasBlinking = m_blinking;
    m_blinking = true;
    Q_EMIT blinkingStarted();
    if (!wasBlinking)
        Q_EMIT changed();
}

void ServerState::blinkStep() {
    if (m_colour == LampColour::White)
        paint(LampColour::Red, LampFace::Off);
    else
        paint(LampColour::White, LampFace::On);
}

void ServerState::setBusy(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    Q_EMIT changed();
}

void ServerState::endCommand(PowerCommands::End end) {
    setBusy(false);
    Q_EMIT commandEnded(end);
}

void ServerState::setInitialising(bool initialising) {
    if (initialising == m_initialising)
        return;
    m_initialising = initialising;
    Q_EMIT changed();
}

void ServerState::setStatusText(const QString& text) {
    if (text == m_statusText)
        return;
    m_statusText = text;
    Q_EMIT changed();
}

} // namespace pelorin
