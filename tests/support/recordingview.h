#pragma once

#include "serverlink/linkview.h"

#include <QPair>
#include <QStringList>

// Records what the server-link logic shows, in order, for tests to compare.
class RecordingView final : public pelorin::LinkView {
public:
    QStringList statusTexts;
    QList<QPair<pelorin::MessageIcon, QString>> messages;
    QStringList lamp; // "blink", "on", "off" in call order
    QStringList detailsOpenedFor;

    void showStatus(const QString& text) override { statusTexts.append(text); }
    void showMessage(pelorin::MessageIcon icon, const QString& text) override {
        messages.append({icon, text});
    }
    void showLamp(Lamp shown) override {
        lamp.append(QStringList{"blink", "on", "off"}[int(shown)]);
    }
    void detailsNeeded(const QString& url) override { detailsOpenedFor.append(url); }
};
