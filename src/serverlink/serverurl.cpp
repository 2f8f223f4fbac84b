#include "serverlink/serverurl.h"

namespace pelorin {

namespace {

const QString HttpPrefix = QStringLiteral("http://");

struct SplitUrl {
    QString scheme; // lower case, empty when the text names none
    QString authority;
};

SplitUrl splitUrl(const QString& url) {
    SplitUrl split;
    QString rest = url.trimmed();
    const qsizetype schemeEnd = rest.indexOf(QStringLiteral("://"));
    if (schemeEnd > 0) {
        split.scheme = rest.left(schemeEnd).toLower();
        rest = rest.mid(schemeEnd + 3);
    }
    const qsizetype slash = rest.indexOf(u'/');
    split.authority = slash >= 0 ? rest.left(slash) : rest;
    return split;
}

// Splits "host", "host:port" or "[v6]:port"; `port` is empty when none is written.
void splitAuthority(const QString& authority, QString* host, QString* port) {
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        if (close > 0) {
            *host = authority.mid(1, close - 1);
            const QString after = authority.mid(close + 1);
            *port = after.startsWith(u':') ? after.mid(1) : QString();
            return;
        }
    }
    const qsizetype colon = authority.indexOf(u':');
    *host = colon >= 0 ? authority.left(colon) : authority;
    *port = colon >= 0 ? authority.mid(colon + 1) : QString();
}

} // namespace

QString pageAddress(const QString& serverUrl, const QString& page) {
    return serverUrl.endsWith(u'/') ? serverUrl + page : serverUrl + u'/' + page;
}

QString wakeHostFromUrl(const QString& serverUrl) {
    if (serverUrl.startsWith(HttpPrefix, Qt::CaseInsensitive)) {
        const QString rest = serverUrl.mid(HttpPrefix.size());
        const qsizetype slash = rest.indexOf(u'/');
        return slash >= 0 ? rest.left(slash) : rest;
    }
    return splitUrl(serverUrl).authority;
}

Endpoint monitorEndpoint(const QString& serverUrl) {
    const SplitUrl split = splitUrl(serverUrl);
    QString host;
    QString portText;
    splitAuthority(split.authority, &host, &portText);

    const quint16 defaultPort = split.scheme == QLatin1String("https") ? 443 : 80;
    bool numeric = false;
    const uint port = portText.toUInt(&numeric);
    const bool usablePort = numeric && port >= 1 && port <= 65535;
    return Endpoint{host, usablePort ? static_cast<quint16>(port) : defaultPort};
}

} // namespace pelorin
