#include "serverlink/linkview.h"

#include <QCoreApplication>

namespace pelorin::message_text {

// A message box joins its lines with CR LF, as the platform's own boxes do.
QString noMac() {
    return QCoreApplication::translate(
        "message",
        "MACアドレスが登録されていないため、現在の状態では電源を入れることはできません。\r\n"
        "MACアドレスがわかっている場合は直接指定してから再実行してください。");
}

QString encoderBusy() {
    return QCoreApplication::translate(
        "message", "電源を休止状態にできませんでした。エンコーダが動作中の可能性があります。\r\n"
                   "エンコードを停止してから再試行してください。");
}

QString noAnswer() {
    return QCoreApplication::translate("message",
                                       "応答がありません。すでに休止状態の可能性があります。");
}

QString macTimeout() {
    return QCoreApplication::translate("message",
                                       "サーバーに接続するときにタイムアウトになりました。"
                                       "MACアドレスの自動取得はできませんでした。");
}

} // namespace pelorin::message_text
