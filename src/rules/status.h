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
// In the user's language: Japanese as written here, or the English catalogue's words.
QString connecting(); // "接続中..."
QString serverOn();   // "サーバー:ON"
QString serverOff();  // "サーバー:OFF"
QString authFailed(); // "認証失敗"
QString wrongUrl();   // "URL間違い"
QString unknown();    // "サーバー状態不明"
QString sending();    // "命令送信..."
QString confirming(); // "状況確認中..."
} // namespace status_text

} // namespace pelorin
