#pragma once

#include "rules/status.h"
#include "serverlink/httpclient.h"
#include "serverlink/linkview.h"
#include "settings/settings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace pelorin {

struct MacItems;

// Everything that asks the TV server's web application something: the status probe and the
// MAC address retrieval, on the one shared HTTP client. The last response text stays available
// (start-up shows it to the user when the server answered with an unexpected page).
class ServerLink {
public:
    ServerLink(const Settings& settings, LinkView& view);

    // Probes the server URL and shows the result in the status bar; CheckStatus first shows the
    // "connecting" text, the silent variant (used by the periodic monitor) does not.
    StatusWord CheckStatus(const QString& url);
    StatusWord CheckStatus_Silent(const QString& url);

    // Sends the request the next CheckStatus of `url` makes, without waiting: that probe then
    // takes its answer, so the answer can travel while the caller does other work.
    void prefetchStatus(const QString& url);

    // Asks the server for its adapters' MAC addresses and keeps up to five in Mac-1 ... Mac-5.
    // True when at least one address was stored. A failed request leaves the stored addresses
    // alone and tells the user.
    bool GetMacAddr(const QString& url);

    enum class MacFetch {
        Stored,   // Mac-1 ... Mac-5 now hold the server's list
        NoAnswer, // the request failed; the user was told
        Unusable, // the answer is no list that can be kept; responseText() holds it whole
    };

    // GetMacAddr for callers that must not lose the addresses they have (the command line):
    // the server's items replace Mac-1 ... Mac-5 only when every one of them can be stored as
    // it is and at least one is a usable MAC address; otherwise nothing is written.
    MacFetch fetchUsableMacs(const QString& url);

    // Requests a page with the stored credentials; an answer replaces the response text.
    HttpClient::Result fetchPage(const QString& address);

    HttpClient& client() { return m_client; }
    const QString& responseText() const { return m_responseText; }
    // The latest probe (either entry point) answered "ON".
    bool lastProbeOn() const { return m_lastProbeOn; }

    // Sets the client's address, and the stored user name and password where they are set: an
    // empty setting leaves the credentials given before in force.
    void prepareRequest(const QString& address);

private:
    StatusWord probe(const QString& url);
    std::optional<MacItems> fetchMacItems(const QString& url);

    const Settings& m_settings;
    LinkView& m_view;
    HttpClient m_client;
    QString m_responseText;
    bool m_lastProbeOn = false;
};

} // namespace pelorin
