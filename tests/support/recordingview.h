#pragma once

#include "serverlink/linkview.h"

#include <QPair>
#include <QStringList>

// Records what the server-link logic shows, in order, for tests to compare.
class RecordingView final : public pelorin::LinkView {
public:
    QStringList statusTexts;
    QList<QPair<pelorin::MessageIcon, QString>> messages;
    QStringList lamp; // "on", "off", "blink" in call order
    QStringList detailsOpenedFor;

    void setStatusText(const QString& text) override { statusTexts.append(text); }
    void showMessage(pelorin::MessageIcon icon, const QString& text) override {
        messages.append({icon, text});
    }
    void lampOn() override { lamp.append(QStringLiteral("on")); }
    void lampOff() override { lamp.append(QStringLiteral("off")); }
    void lampBlink() override { lamp.append(QStringLiteral("blink")); }
    void selectOffWithoutCommand() override { lamp.append(QStringLiteral("select-off")); }
    void openDetailsDialog(const QString& url) override { detailsOpenedFor.append(url); }
};
