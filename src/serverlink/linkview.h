#pragma once

#include "common/message.h"

#include <QString>

namespace pelorin {

// The messages the core shows, named so that pelorinctl can put its own words in their place.
namespace message_text {
inline const QString NoMac =
    QStringLiteral("MACアドレスが登録されていないため、現在の状態では電源を入れることはできません。"
                   "\r\n"
                   "MACアドレスがわかっている場合は直接指定してから再実行してください。");
inline const QString EncoderBusy =
    QStringLiteral("電源を休止状態にできませんでした。エンコーダが動作中の可能性があります。"
                   "\r\n"
                   "エンコードを停止してから再試行してください。");
inline const QString NoAnswer =
    QStringLiteral("応答がありません。すでに休止状態の可能性があります。");
inline const QString MacTimeout =
    QStringLiteral("サーバーに接続するときにタイムアウトになりました。"
                   "MACアドレスの自動取得はできませんでした。");
} // namespace message_text

// What the status probe, the MAC retrieval, the power commands and the monitor have to say while
// they work. The main window shows it with its lamp, status bar and message boxes; pelorinctl
// with text.
class LinkView {
public:
    // The server's state as the lamp shows it: being found out or switched (blinking), or on or
    // off as the latest look found it.
    enum class Lamp { Checking, On, Off };

    virtual ~LinkView() = default;

    virtual void showStatus(const QString& text) = 0; // the status bar's state or progress text
    virtual void showMessage(MessageIcon icon, const QString& text) = 0;
    virtual void showLamp(Lamp lamp) = 0;

    // The ON command found no usable MAC address to wake: the user is to give one (the window
    // shows OFF as chosen and opens the details dialog for `serverUrl`). Returns when done.
    virtual void detailsNeeded(const QString& serverUrl) = 0;
};

} // namespace pelorin
