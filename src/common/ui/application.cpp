#include "common/ui/application.h"

#include "common/language.h"
#include "common/ui/fonts.h"
#include "common/ui/formstyle.h"
#include "programicon.h"

#include <QApplication>

namespace pelorin::ui {

namespace {
bool g_deferred = false;
} // namespace

void setUpApplication(SetUpTiming icon) {
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
    installTranslations();
    g_deferred = true;
    if (icon == SetUpTiming::AtOnce)
        applyDeferredSetUp();
}

void applyDeferredSetUp() {
    if (!g_deferred)
        return;
    g_deferred = false;
    QApplication::setWindowIcon(programIcon());
    installQtTranslations();
}

} // namespace pelorin::ui
