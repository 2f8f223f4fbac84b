#include "postinstall/frmprimelet.h"

#include "common/timing.h"
#include "postinstall/moduac.h"
#include "postinstall/osversion.h"
#include "postinstall/shortcuts.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

namespace pelorin {

namespace {

// While a registration command runs, the splash window keeps painting and can be closed.
class WindowEvents final : public postinstall::EventPump {
public:
    void processPendingEvents() override { QCoreApplication::processEvents(); }
    void pause(int milliseconds) override { timing::waitProcessingEvents(milliseconds); }
};

} // namespace

frmPrimelet::frmPrimelet(postinstall::Platform& platform, std::wstring programFolder)
    : m_platform(platform), m_programFolder(std::move(programFolder)) {
    setObjectName(QStringLiteral("frmPrimelet"));
}

void frmPrimelet::Form_Load() {
    m_splash.showNow();

    if (GetOSVersion() == postinstall::osname::Vista &&
        !postinstall::modUAC::IsUACEnabled(m_platform)) {
        WindowEvents events;
        postinstall::modUAC::RegisterControls(m_platform, events);
    }
    if (GetOSVersion() != postinstall::osname::Vista)
        CreateShortcuts();

    // Started by its full path as one program, so that a folder with spaces does no harm. Not
    // waited for; a tool that cannot be started leaves nothing else to do.
    m_platform.start(postinstall::toolCommand(m_programFolder, m_platform.pathRules()),
                     postinstall::WindowStyle::NormalFocus);

    m_splash.close();
    close();
}

std::string frmPrimelet::GetOSVersion() {
    return postinstall::GetOSVersion(m_platform);
}

void frmPrimelet::CreateShortcuts() {
    postinstall::CreateShortcuts(m_platform, m_programFolder);
}

std::wstring frmPrimelet::programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdWString();
}

} // namespace pelorin
