#include "common/timing.h"
#include "common/ui/fonts.h"
#include "common/ui/formstyle.h"
#include "main/frmmain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    QApplication::setApplicationDisplayName(QStringLiteral("ペロリン"));
    // The program ends only through the main window's close or a fatal start-up step; hiding
    // the main window behind the floating button must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    // The menus stay in the window, as the form lays them out, even on desktops that offer a
    // global menu bar; asking the desktop bus whether one is offered also costs each start a
    // millisecond or more.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication::setStyle(new pelorin::ui::FormStyle);
    QApplication::setFont(pelorin::ui::formFont());
    pelorin::timing::applyScaleFromEnvironment();

    pelorin::frmMain window;
    if (!window.Form_Load())
        return 0;
    return QApplication::exec();
}
