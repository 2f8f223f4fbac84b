// Primelet: run once after installation. Registers the controls the tool needs where that is
// necessary, renews the tool's shortcuts, starts the tool and ends.

#include "common/commandline.h"
#include "common/language.h"
#include "postinstall/frmprimelet.h"
#include "postinstall/platform.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    if (const auto answered = pelorin::answerHelpOrVersion(
            argc, argv, "Primelet",
            QT_TRANSLATE_NOOP(
                "commandline",
                "ペロリンのインストール後に一度だけ実行します。スプラッシュ画像を表示し、"
                "\nデスクトップとアプリケーションメニューのペロリンの起動項目を新しくして、"
                "\nペロリンを起動します。")))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Primelet"));
    pelorin::installTranslations();
    pelorin::installQtTranslations();
    // The splash may be closed by the user while the sequence still runs.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::unique_ptr<pelorin::postinstall::Platform> platform =
        pelorin::postinstall::makeSystemPlatform();
    pelorin::frmPrimelet form(*platform, pelorin::frmPrimelet::programFolder());
    form.Form_Load();
    return 0;
}
