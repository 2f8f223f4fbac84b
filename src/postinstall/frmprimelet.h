#pragma once

#include "postinstall/frmsplash.h"
#include "postinstall/platform.h"

#include <QWidget>

#include <string>

namespace pelorin {

// The post-install program's start-up window. It has no controls and is never shown: its load
// handler runs the whole post-install sequence and closes it.
class frmPrimelet final : public QWidget {
    Q_OBJECT
public:
    // `programFolder` holds the tool; it has no trailing separator unless it is a root folder.
    frmPrimelet(postinstall::Platform& platform, std::wstring programFolder);

    // Splash, control registration (on VISTA with UAC off), new shortcuts (on every other
    // version), the tool started, both windows closed. Never asks or tells the user anything.
    void Form_Load();

    std::string GetOSVersion();
    void CreateShortcuts();

    frmSplash& splash() { return m_splash; }

    // The folder of this program's executable, in the system's own spelling.
    static std::wstring programFolder();

private:
    postinstall::Platform& m_platform;
    const std::wstring m_programFolder;
    frmSplash m_splash;
};

} // namespace pelorin
