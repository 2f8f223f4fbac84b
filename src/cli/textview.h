#pragma once

#include "cli/context.h"
#include "serverlink/linkview.h"

namespace pelorin::cli {

// Shows on standard error, in pelorinctl's words, what the window would show: status texts as
// progress lines (not with --quiet) and messages as lines of their own. Standard output is left
// for results.
class TextView final : public LinkView {
public:
    explicit TextView(const Context& context) : m_context(context) {}

    void showStatus(const QString& text) override;
    void showMessage(MessageIcon icon, const QString& text) override;
    void showLamp(Lamp) override {}
    void detailsNeeded(const QString& serverUrl) override;

private:
    const Context& m_context;
};

} // namespace pelorin::cli
