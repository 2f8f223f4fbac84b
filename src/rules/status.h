#pragma once

#include <QString>

namespace pelorin {

// What a status probe found out about the server.
enum class StatusWord { On, Off, PasswordRequired, WrongURL, BadConfigulation };

// "ON", "OFF", "PasswordRequired", "WrongURL", "BadConfigulation".
QString statusWordText(StatusWord word);

// The status bar text for a probe's result ("サーバー:ON", "認証失敗", ...).
QString statusPanelText(StatusWord word);

// Classifies a response body. The order is fixed: the application's page title wins over any
// error text in the page, and an empty page means a server that is going down or not up yet.
StatusWord classifyResponse(const QString& body);

namespace status_text {
inline const QString Connecting = QStringLiteral("接続中...");
inline const QString ServerOn = QStringLiteral("サーバー:ON");
inline const QString ServerOff = QStringLiteral("サーバー:OFF");
inline const QString AuthFailed = QStringLiteral("認証失敗");
inline const QString WrongUrl = QStringLiteral("URL間違い");
inline const QString Unknown = QStringLiteral("サーバー状態不明");
inline const QString Sending = QStringLiteral("命令送信...");
inline const QString Confirming = QStringLiteral("状況確認中...");
} // namespace status_text

} // namespace pelorin
