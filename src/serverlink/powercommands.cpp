#include "serverlink/powercommands.h"

#include "common/timing.h"
#include "rules/macaddr.h"
#include "rules/serverurl.h"

namespace pelorin {

namespace {

// Marks a command as running for exactly as long as it runs, whichever way it ends.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

PowerCommands::PowerCommands(ServerLink& link, const Settings& settings, LinkView& view)
    : m_link(link), m_settings(settings), m_view(view) {}

PowerCommands::Result PowerCommands::switchOn() {
    const RunningFlag running(m_running);
    const QString url = m_settings.url();
    const QString mac = m_settings.macToWake();
    // A text of the right length whose groups are not hexadecimal would send a meaningless
    // packet; it is as unusable as a missing address.
    if (!isUsableMacText(mac)) {
        m_view.showMessage(MessageIcon::Exclamation, message_text::noMac());
        m_view.showStatus(status_text::serverOff());
        m_view.detailsNeeded(url);
        Result result;
        result.end = End::NoUsableMac;
        result.mac = mac;
        return result;
    }
    return wakeAndConfirm(url, mac);
}

PowerCommands::Result PowerCommands::wakeAndConfirm(const QString& url, const QString& mac) {
    Result result;
    result.mac = mac;
    m_view.showLamp(LinkView::Lamp::Checking);
    m_view.showStatus(status_text::sending());
    result.wake = SendMP(wakeHostFromUrl(url), mac, m_wakeOptions);
    timing::waitProcessingEvents(ShortWaitMs);
    m_view.showStatus(status_text::connecting());

    while (result.tries < Tries) {
        ++result.tries;
        m_view.showLamp(LinkView::Lamp::Checking);
        result.lastStatus = m_link.CheckStatus(m_settings.url());
        if (result.lastStatus == StatusWord::On) {
            m_view.showLamp(LinkView::Lamp::On);
            result.end = End::ServerOn;
            return result;
        }
        if (result.lastStatus != StatusWord::Off) {
            m_view.showLamp(LinkView::Lamp::Off);
            result.end = End::ProbeProblem;
            return result;
        }
        timing::waitProcessingEvents(LongWaitMs);
    }
    m_view.showLamp(LinkView::Lamp::Off);
    result.end = End::NeverWoke;
    return result;
}

PowerCommands::Result PowerCommands::switchOff() {
    const RunningFlag running(m_running);
    const QString url = m_settings.url();
    const QString request = pageAddress(url, QStringLiteral("hibern.asp"));
    m_view.showLamp(LinkView::Lamp::Checking);
    m_view.showStatus(status_text::sending());
    timing::waitProcessingEvents(ShortWaitMs);

    // Any answer to the hibernate request counts; only no answer at all is a failure.
    if (!m_link.fetchPage(request).ok) {
        m_view.showLamp(LinkView::Lamp::Off);
        m_view.showMessage(MessageIcon::Information, message_text::noAnswer());
        m_view.showStatus(status_text::serverOff());
        Result result;
        result.end = End::NoAnswer;
        return result;
    }
    return confirmAsleep();
}

PowerCommands::Result PowerCommands::confirmAsleep() {
    Result result;
    while (result.tries < Tries) {
        ++result.tries;
        m_view.showLamp(LinkView::Lamp::Checking);
        result.lastStatus = m_link.CheckStatus(m_settings.url());
        if (result.lastStatus == StatusWord::On) {
            m_view.showStatus(status_text::confirming());
            timing::waitProcessingEvents(LongWaitMs);
            continue;
        }
        if (result.lastStatus == StatusWord::PasswordRequired)
            continue;
        m_view.showLamp(LinkView::Lamp::Off);
        result.end = result.lastStatus == StatusWord::Off ? End::ServerOff : End::ProbeProblem;
        return result;
    }
    if (result.lastStatus == StatusWord::On) {
        m_view.showLamp(LinkView::Lamp::On);
        m_view.showStatus(status_text::serverOn());
        m_view.showMessage(MessageIcon::Information, message_text::encoderBusy());
        result.end = End::StillOn;
        return result;
    }
    // Refused credentials all the way: the lamp keeps blinking until the monitor looks again.
    result.end = End::StillRefused;
    return result;
}

bool reachedRequestedState(PowerCommands::End end) {
    return end == PowerCommands::End::ServerOn || end == PowerCommands::End::ServerOff;
}

} // namespace pelorin
