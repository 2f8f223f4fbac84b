#pragma once

#include <QString>

class QUrl;

namespace pelorin {

// Address of a page of the TV server's web application: the server URL, a "/" when it does not
// end in one, and the page name.
QString pageAddress(const QString& serverUrl, const QString& page);

// The URL without its first seven characters (the length of "http://", whatever they are), up to
// the first "/" after them: "http://host:8080/tv" gives "host:8080". The details dialog shows
// the server's address this way; an "https://" URL gives the empty text there.
QString hostAfterScheme(const QString& serverUrl);

// The host part handed to the Wake-on-LAN sender: a URL written "http://host[:port]/path" gives
// "host[:port]" as hostAfterScheme does (the sender drops the port). Any other form (another
// scheme, no scheme, shorter than "http://") is split by its real structure instead of cutting a
// fixed seven characters, which would otherwise yield an empty or mangled host. A
// "user:password@" part is never taken for the host.
QString wakeHostFromUrl(const QString& serverUrl);

// An http:// or https:// address with a host: the only kind the program asks for pages.
bool isWebUrl(const QUrl& url);

// 443 for https, 80 otherwise.
quint16 defaultPort(const QString& scheme);

// A URL as it may be shown anywhere: the password of a "user:password@" part is replaced by
// asterisks. Every printed URL goes through it.
QString urlForDisplay(const QString& url);

struct Endpoint {
    QString host;
    quint16 port = 0;
    bool isValid() const { return !host.isEmpty() && port != 0; }
};

// Host and TCP port the monitor tests while it believes the server is on: "http://host:8080/tv"
// gives host:8080, "http://host/tv" host:80. A URL without a scheme or without a path is split
// the same way; "https://" defaults to 443; a port that is not a number in 1..65535 falls back
// to the scheme's default port.
Endpoint monitorEndpoint(const QString& serverUrl);

} // namespace pelorin
