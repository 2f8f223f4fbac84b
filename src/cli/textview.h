#pragma once

#include "serverlink/linkview.h"

#include <QTextStream>

namespace pelorin::cli {

// Shows on standard error what the window would show: status texts as progress lines and
// messages as lines of their own. Standard output is left for results.
class TextView final : public LinkView {
public:
    explicit TextView(bool quiet);

    void showStatus(const QString& text) override;
    void showMessage(MessageIcon icon, const QString& text) override;
    void showLamp(Lamp) override {}
    void detailsNeeded(const QString& serverUrl) override;

private:
    QTextStream m_err;
    bool m_quiet;
};

} // namespace pelorin::cli
