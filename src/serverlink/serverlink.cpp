#include "serverlink/serverlink.h"

#include "common/textcodec.h"
#include "rules/macaddr.h"
#include "rules/serverurl.h"
#include "settings/settingskeys.h"

#include <algorithm>

namespace pelorin {

namespace {

// A list that can replace the stored one: nothing in it would be refused or cut by the settings
// file, and there is something in it to wake.
bool isStorableMacList(const QStringList& addresses) {
    return std::all_of(addresses.cbegin(), addresses.cend(),
                       [](const QString& mac) { return plainValueProblem(mac).isEmpty(); }) &&
           std::any_of(addresses.cbegin(), addresses.cend(), isUsableMacText);
}

} // namespace

ServerLink::ServerLink(const Settings& settings, LinkView& view)
    : m_settings(settings), m_view(view) {}

void ServerLink::prepareRequest(const QString& address) {
    m_client.setUrl(address);
    const Settings::Credentials stored = m_settings.credentials();
    if (!stored.userName.isEmpty())
        m_client.setUserName(stored.userName);
    if (!stored.password.isEmpty())
        m_client.setPassword(stored.password);
}

StatusWord ServerLink::CheckStatus(const QString& url) {
    m_view.showStatus(status_text::connecting());
    return probe(url);
}

StatusWord ServerLink::CheckStatus_Silent(const QString& url) {
    return probe(url);
}

void ServerLink::prefetchStatus(const QString& url) {
    prepareRequest(url);
    m_client.prefetch();
}

HttpClient::Result ServerLink::fetchPage(const QString& address) {
    prepareRequest(address);
    HttpClient::Result answer = m_client.fetch();
    // A failed request keeps the previous response text: only an answer replaces it.
    if (answer.ok)
        m_responseText = decodeUtf8OrLocal(answer.body);
    return answer;
}

StatusWord ServerLink::probe(const QString& url) {
    const HttpClient::Result answer = fetchPage(url);
    const StatusWord word = answer.ok ? classifyResponse(m_responseText) : StatusWord::Off;
    m_lastProbeOn = word == StatusWord::On;
    m_view.showStatus(statusPanelText(word));
    return word;
}

std::optional<MacItems> ServerLink::fetchMacItems(const QString& url) {
    const HttpClient::Result answer = fetchPage(pageAddress(url, QStringLiteral("GetMacAddr.asp")));
    if (!answer.ok) {
        m_view.showMessage(MessageIcon::Information, message_text::macTimeout());
        return std::nullopt;
    }
    return parseMacItems(m_responseText);
}

bool ServerLink::GetMacAddr(const QString& url) {
    const auto items = fetchMacItems(url);
    if (!items)
        return false;
    m_responseText = items->rest;
    m_settings.storeReportedMacs(items->addresses);
    return !items->addresses.isEmpty();
}

ServerLink::MacFetch ServerLink::fetchUsableMacs(const QString& url) {
    const auto items = fetchMacItems(url);
    if (!items)
        return MacFetch::NoAnswer;
    if (!isStorableMacList(items->addresses))
        return MacFetch::Unusable;
    m_responseText = items->rest;
    m_settings.storeReportedMacs(items->addresses);
    return MacFetch::Stored;
}

} // namespace pelorin
