#include "rules/status.h"

#include <QCoreApplication>

namespace pelorin {

namespace status_text {
// The status bar's words; lupdate finds them under the context "status".
QString connecting() {
    return QCoreApplication::translate("status", "接続中...");
}
QString serverOn() {
    return QCoreApplication::translate("status", "サーバー:ON");
}
QString serverOff() {
    return QCoreApplication::translate("status", "サーバー:OFF");
}
QString authFailed() {
    return QCoreApplication::translate("status", "認証失敗");
}
QString wrongUrl() {
    return QCoreApplication::translate("status", "URL間違い");
}
QString unknown() {
    return QCoreApplication::translate("status", "サーバー状態不明");
}
QString sending() {
    return QCoreApplication::translate("status", "命令送信...");
}
QString confirming() {
    return QCoreApplication::translate("status", "状況確認中...");
}
} // namespace status_text

QString statusWordText(StatusWord word) {
    switch (word) {
    case StatusWord::On:
        return QStringLiteral("ON");
    case StatusWord::Off:
        return QStringLiteral("OFF");
    case StatusWord::PasswordRequired:
        return QStringLiteral("PasswordRequired");
    case StatusWord::WrongURL:
        return QStringLiteral("WrongURL");
    case StatusWord::BadConfigulation:
        break;
    }
    return QStringLiteral("BadConfigulation");
}

QString statusPanelText(StatusWord word) {
    switch (word) {
    case StatusWord::On:
        return status_text::serverOn();
    case StatusWord::Off:
        return status_text::serverOff();
    case StatusWord::PasswordRequired:
        return status_text::authFailed();
    case StatusWord::WrongURL:
        return status_text::wrongUrl();
    case StatusWord::BadConfigulation:
        break;
    }
    return status_text::unknown();
}

StatusWord classifyResponse(const QString& body) {
    if (body.contains(QLatin1String("<title>Orrisvale</title>")))
        return StatusWord::On;
    if (body.contains(QLatin1String("HTTP 401.2")))
        return StatusWord::PasswordRequired;
    if (body.isEmpty())
        return StatusWord::Off;
    if (body.contains(QLatin1String("HTTP 404")))
        return StatusWord::WrongURL;
    return StatusWord::BadConfigulation;
}

} // namespace pelorin
