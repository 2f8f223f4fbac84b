#include "common/commandline.h"
#include "common/timing.h"
#include "common/ui/application.h"
#include "main/frmmain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (const auto answered = pelorin::answerHelpOrVersion(
            argc, argv, "Pelorin",
            QT_TRANSLATE_NOOP(
                "commandline",
                "TVサーバーが動いているかを表示し、電源を入れ（Wake-on-LAN）、切り（Web"
                "ページからの休止）、\n15秒ごとに見守ります。設定は setting.ini にありま"
                "す。Pelorin(1) とヘルプをご覧ください。")))
        return *answered;
    QApplication app(argc, argv);
    pelorin::ui::setUpApplication(pelorin::ui::SetUpTiming::Deferred);
    pelorin::timing::applyScaleFromEnvironment();

    pelorin::frmMain window;
    if (!window.Form_Load())
        return 0;
    return QApplication::exec();
}
