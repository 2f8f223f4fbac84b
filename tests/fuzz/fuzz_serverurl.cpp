// Splitting the server URL for the page requests, the Wake-on-LAN host and the monitor's port
// test, and the tidying the settings dialog applies. The whole input is tried as one URL; it is
// also read as fields (scheme, host, port, path) that build a well-formed URL whose parts must
// come back out exactly.
#include "fuzzcheck.h"
#include "rules/serverurl.h"
#include "rules/urltidy.h"

#include <algorithm>

using namespace pelorin;

namespace {

void checkAnyUrl(const QString& url, const QString& page) {
    const QString address = pageAddress(url, page);
    FUZZ_CHECK(address.startsWith(url) && address.endsWith(page), url << page);
    FUZZ_CHECK(address.size() == url.size() + page.size() + (url.endsWith(u'/') ? 0 : 1),
               url << page << address);

    const QString wakeHost = wakeHostFromUrl(url);
    FUZZ_CHECK(!wakeHost.contains(u'/') && url.contains(wakeHost), url << wakeHost);

    const Endpoint endpoint = monitorEndpoint(url);
    FUZZ_CHECK(endpoint.port != 0, url);
    FUZZ_CHECK(!endpoint.host.contains(u'/') && url.contains(endpoint.host), url << endpoint.host);

    const QString tidy = tidyServerUrl(url);
    FUZZ_CHECK(tidyServerUrl(tidy) == tidy, url << tidy);
    if (url.size() < 8) {
        FUZZ_CHECK(tidy == url, url << tidy);
    } else {
        FUZZ_CHECK(tidy.endsWith(QLatin1String("/tv"), Qt::CaseInsensitive), url << tidy);
        FUZZ_CHECK(tidy == url || tidy == url + QLatin1String("tv") ||
                       tidy == url + QLatin1String("/tv"),
                   url << tidy);
        FUZZ_CHECK(tidy == url || !url.endsWith(QLatin1String("/tv"), Qt::CaseInsensitive),
                   url << tidy);
    }
}

bool plainPart(const QString& part, QStringView forbidden) {
    if (part.isEmpty() || part.front().isSpace() || part.back().isSpace())
        return false;
    for (const QChar c : forbidden)
        if (part.contains(c))
            return false;
    return true;
}

void checkBuiltUrl(FuzzedDataProvider& input) {
    const QString scheme = fuzz::field(input, 16);
    const QString host = fuzz::field(input, 64);
    const QString portText = fuzz::field(input, 8);
    const QString path = fuzz::rest(input);
    // Host names and IPv4 addresses (never holding the "@" that ends a user name and password);
    // the bracketed IPv6 form has its own unit tests.
    if (!plainPart(scheme, u":/") || !plainPart(host, u":/[@") || portText.contains(u'/') ||
        portText.contains(u'@'))
        return;
    const bool withPort = !portText.isEmpty();
    const QString authority = withPort ? host + u':' + portText : host;
    const QString url = scheme + QLatin1String("://") + authority + u'/' + path;

    FUZZ_CHECK(wakeHostFromUrl(url) == authority, url << wakeHostFromUrl(url));

    const Endpoint endpoint = monitorEndpoint(url);
    FUZZ_CHECK(endpoint.host == host && endpoint.isValid(), url << endpoint.host);
    // Exact ports are checked for plain digits (leading zeros allowed) and for texts without any
    // digit; how blanks or signs around digits read is the number parser's business.
    const auto digits =
        std::ranges::count_if(portText, [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (digits != 0 && digits != portText.size())
        return;
    uint port = 0;
    if (digits != 0) {
        for (const QChar c : portText)
            port = std::min(port * 10 + (c.unicode() - u'0'), 100000u);
    }
    const bool https = scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const quint16 expectedPort = port >= 1 && port <= 65535 ? static_cast<quint16>(port)
                                 : https                    ? 443
                                                            : 80;
    FUZZ_CHECK(endpoint.port == expectedPort, url << endpoint.port);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString whole = fuzz::text(data, size);
    checkAnyUrl(whole, QStringLiteral("GetMacAddr.asp"));
    const qsizetype split = whole.indexOf(u'#');
    if (split >= 0)
        checkAnyUrl(whole.left(split), whole.mid(split + 1));

    FuzzedDataProvider input(data, size);
    checkBuiltUrl(input);
    return 0;
}
