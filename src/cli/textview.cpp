#include "cli/textview.h"

#include "cli/texts.h"

namespace pelorin::cli {

void TextView::showStatus(const QString& text) {
    m_context.progress(text::fromWindow(text));
}

void TextView::showMessage(MessageIcon, const QString& text) {
    const QString shown = text::fromWindow(text);
    // A message box's lines are joined with CR LF; a terminal gets lines of its own.
    for (const QString& line : shown.split(QLatin1String("\r\n"), Qt::SkipEmptyParts))
        m_context.err << escapedControls(line) << Qt::endl;
}

void TextView::detailsNeeded(const QString&) {
    m_context.err << text::storeMacHint() << Qt::endl;
}

} // namespace pelorin::cli
