#include "cli/textview.h"

#include <cstdio>

namespace pelorin::cli {

TextView::TextView(bool quiet) : m_err(stderr), m_quiet(quiet) {}

void TextView::showStatus(const QString& text) {
    if (!m_quiet)
        m_err << text << Qt::endl;
}

void TextView::showMessage(MessageIcon, const QString& text) {
    // Messages join their lines with CR LF for message boxes; a terminal wants plain line feeds.
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_err << plain << Qt::endl;
}

void TextView::detailsNeeded(const QString&) {
    m_err << "Set the server's MAC address with: pelorinctl config set Server Mac "
             "XX-XX-XX-XX-XX-XX"
          << Qt::endl;
}

} // namespace pelorin::cli
