#include "desktop/notices.h"

#include "common/language.h"

#include <QCoreApplication>

namespace pelorin::notices {

namespace {

Notice notice(const QString& body) {
    return {programTitle(), body};
}

} // namespace

bool switchedOn(const QString& setting) {
    return setting.trimmed() != QLatin1String("0");
}

Notice serverChanged(bool on) {
    return notice(on ? QCoreApplication::translate("notices", "TVサーバーが起動しました。")
                     : QCoreApplication::translate("notices", "TVサーバーが停止しました。"));
}

std::optional<Notice> commandEnded(PowerCommands::End end) {
    using End = PowerCommands::End;
    switch (end) {
    case End::ServerOn:
        return notice(QCoreApplication::translate("notices", "TVサーバーの電源が入りました。"));
    case End::ServerOff:
        return notice(QCoreApplication::translate("notices", "TVサーバーを休止状態にしました。"));
    case End::NeverWoke:
        return notice(
            QCoreApplication::translate("notices", "TVサーバーの起動を確認できませんでした。"));
    case End::StillOn:
    case End::StillRefused:
        return notice(
            QCoreApplication::translate("notices", "TVサーバーの休止を確認できませんでした。"));
    case End::NoUsableMac:
    case End::ProbeProblem:
    case End::NoAnswer:
        break;
    }
    return std::nullopt;
}

} // namespace pelorin::notices
