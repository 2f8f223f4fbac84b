#include "rules/status.h"

namespace pelorin {

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
        return status_text::ServerOn;
    case StatusWord::Off:
        return status_text::ServerOff;
    case StatusWord::PasswordRequired:
        return status_text::AuthFailed;
    case StatusWord::WrongURL:
        return status_text::WrongUrl;
    case StatusWord::BadConfigulation:
        break;
    }
    return status_text::Unknown;
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
