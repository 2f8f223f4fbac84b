#include "desktop/desktopnotices.h"

#include "common/language.h"
#include "desktop/notices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

namespace pelorin {

DesktopNotices::DesktopNotices(const ServerState& state, QObject* parent)
    : QObject(parent), m_state(state), m_knownOn(state.serverOn()) {
    connect(&state, &ServerState::changed, this, &DesktopNotices::stateChanged);
    connect(&state, &ServerState::commandEnded, this, &DesktopNotices::commandEnded);
}

void DesktopNotices::stateChanged() {
    const bool on = m_state.serverOn();
    // During a command or Init the state follows along without a notice: the command's end has
    // its own, and Init only finds out where the server stands.
    const bool unasked = on != m_knownOn && !m_state.busy() && !m_state.initialising();
    m_knownOn = on;
    if (unasked)
        send(notices::serverChanged(on));
}

void DesktopNotices::commandEnded(PowerCommands::End end) {
    m_knownOn = m_state.serverOn();
    if (const auto notice = notices::commandEnded(end))
        send(*notice);
}

void DesktopNotices::send(const notices::Notice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Application name, no notice to replace, the program icon by its installed name, title,
    // text, no actions, no hints, the service's own display time.
    call << programTitle() << 0U << QStringLiteral("pelorin") << notice.summary << notice.body
         << QStringList() << QVariantMap() << -1;
    // The answer (the notice's number, or an error when no service is there) is not awaited.
    bus.asyncCall(call);
}

} // namespace pelorin
