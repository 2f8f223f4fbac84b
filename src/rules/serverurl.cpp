#include "rules/serverurl.h"

#include <QUrl>

namespace pelorin {

namespace {

const QString HttpPrefix = QStringLiteral("http://");

// "user:password@host:port" names the host after the last "@".
QString withoutUserInfo(const QString& authority) {
    return authority.mid(authority.lastIndexOf(u'@') + 1);
}

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
    split.authority = withoutUserInfo(slash >= 0 ? rest.left(slash) : rest);
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

QString hostAfterScheme(const QString& serverUrl) {
    const QString rest = serverUrl.mid(HttpPrefix.size());
    const qsizetype slash = rest.indexOf(u'/');
    return slash >= 0 ? rest.left(slash) : rest;
}

QString wakeHostFromUrl(const QString& serverUrl) {
    if (serverUrl.startsWith(HttpPrefix, Qt::CaseInsensitive))
        return withoutUserInfo(hostAfterScheme(serverUrl));
    return splitUrl(serverUrl).authority;
}

quint16 defaultPort(const QString& scheme) {
    return scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
}

bool isWebUrl(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

Endpoint monitorEndpoint(const QString& serverUrl) {
    const SplitUrl split = splitUrl(serverUrl);
    QString host;
    QString portText;
    splitAuthority(split.authority, &host, &portText);

    bool numeric = false;
    const uint port = portText.toUInt(&numeric);
    const bool usablePort = numeric && port >= 1 && port <= 65535;
    return Endpoint{host, usablePort ? static_cast<quint16>(port) : defaultPort(split.scheme)};
}

// The password runs from the first ":" after the scheme to the last "@". Taking the last "@" of
// the whole text, not the one before the first "/", also hides a password that holds "/", "?" or
// "@" unencoded (in a malformed URL an error message quotes); a path with an "@" behind a port
// is masked too much, which costs nothing but looks.
QString urlForDisplay(const QString& url) {
    const qsizetype scheme = url.indexOf(QLatin1String("://"));
    const qsizetype start = scheme >= 0 ? scheme + 3 : 0;
    const qsizetype at = url.lastIndexOf(u'@');
    const qsizetype colon = url.indexOf(u':', start);
    if (at < start || colon < 0 || colon > at)
        return url;
    return url.left(colon + 1) + QStringLiteral("********") + url.mid(at);
}

} // namespace pelorin
