#include "common/timing.h"
#include "common/ui/application.h"
#include "main/frmmain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    pelorin::ui::setUpApplication();
    pelorin::timing::applyScaleFromEnvironment();

    pelorin::frmMain window;
    if (!window.Form_Load())
        return 0;
    return QApplication::exec();
}
