#pragma once

#include "serverlink/linkview.h"

#include <QTextStream>

namespace pelorin::cli {

// Shows on standard error what the window would show: status texts as progress lines and
// messages as lines of their own. Standard output is left for results.
class TextView final : public LinkView {
public:
    explicit TextView(bool quiet);

    void setStatusText(const QString& text) override;
    void showMessage(MessageIcon icon, const QString& text) override;
    void lampOn() override {}
    void lampOff() override {}
    void lampBlink() override {}
    void selectOffWithoutCommand() override {}
    void openDetailsDialog(const QString& serverUrl) override;

    const QString& lastStatusText() const { return m_lastStatus; }

private:
    QTextStream m_err;
    bool m_quiet;
    QString m_lastStatus;
};

} // namespace pelorin::cli
