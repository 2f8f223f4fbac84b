#include "desktop/notices.h"

namespace pelorin::notices {

namespace {

const QString Title = QStringLiteral("ペロリン");

Notice notice(const QString& body) {
    return {Title, body};
}

} // namespace

bool switchedOn(const QString& setting) {
    return setting.trimmed() != QLatin1String("0");
}

Notice serverChanged(bool on) {
    return notice(on ? QStringLiteral("TVサーバーが起動しました。")
                     : QStringLiteral("TVサーバーが停止しました。"));
}

std::optional<Notice> commandEnded(PowerCommands::End end) {
    using End = PowerCommands::End;
    switch (end) {
    case End::ServerOn:
        return notice(QStringLiteral("TVサーバーの電源が入りました。"));
    case End::ServerOff:
        return notice(QStringLiteral("TVサーバーを休止状態にしました。"));
    case End::NeverWoke:
        return notice(QStringLiteral("TVサーバーの起動を確認できませんでした。"));
    case End::StillOn:
    case End::StillRefused:
        return notice(QStringLiteral("TVサーバーの休止を確認できませんでした。"));
    case End::NoUsableMac:
    case End::ProbeProblem:
    case End::NoAnswer:
        break;
    }
    return std::nullopt;
}

} // namespace pelorin::notices
