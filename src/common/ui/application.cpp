#include "common/ui/application.h"

#include "common/ui/fonts.h"
#include "common/ui/formstyle.h"
#include "programicon.h"

#include <QApplication>

namespace pelorin::ui {

namespace {
bool g_iconDeferred = false;
} // namespace

void setUpApplication(IconTiming icon) {
    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    // The program ends only through the main window's close or a fatal start-up step; hiding
    // the main window behind the floating button must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // The menus stay in the window, as the form lays them out, even on desktops that offer a
    // global menu bar; asking the desktop bus whether one is offered also costs each start a
    // millisecond or more.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication::setStyle(new FormStyle);
    QApplication::setFont(formFont());
    g_iconDeferred = true;
    if (icon == IconTiming::AtOnce)
        applyDeferredIcon();
}

void applyDeferredIcon() {
    if (!g_iconDeferred)
        return;
    g_iconDeferred = false;
    QApplication::setWindowIcon(programIcon());
}

} // namespace pelorin::ui
