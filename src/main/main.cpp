#include "common/commandline.h"
#include "common/timing.h"
#include "common/ui/application.h"
#include "main/frmmain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (const auto answered = pelorin::answerHelpOrVersion(
            argc, argv, "Pelorin",
            "Shows whether the TV server is running, switches it on (Wake-on-LAN) and off\n"
            "(hibernation through its web page), and watches it every 15 seconds. The settings\n"
            "are in setting.ini; see Pelorin(1) and the help manual."))
        return *answered;
    QApplication app(argc, argv);
    pelorin::ui::setUpApplication(pelorin::ui::SetUpTiming::Deferred);
    pelorin::timing::applyScaleFromEnvironment();

    pelorin::frmMain window;
    if (!window.Form_Load())
        return 0;
    return QApplication::exec();
}
