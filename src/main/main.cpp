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
    QApplication::setStyle(new pelorin::ui::FormStyle);
    QApplication::setFont(pelorin::ui::formFont());
    pelorin::timing::applyScaleFromEnvironment();

    pelorin::frmMain window;
    if (!window.Form_Load())
        return 0;
    return QApplication::exec();
}
