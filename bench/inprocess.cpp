// bench_inprocess: the real main window in this process, with the simulator beside it, for the
// two figures that need to see inside the GUI thread.
//
//   bench_inprocess stall   start-up against a server that accepts and never answers: the
//                           longest gap between two beats of a 10 ms heartbeat timer while the
//                           probe waits for its time-out (real length unless
//                           PELORIN_BENCH_PROBE_SCALE shortens it)
//   bench_inprocess wake    from the press and release of ON to the first magic packet the
//                           simulator receives
//
// One measurement per process, so each is a first one; stdout gets "figure NAME VALUE".

#include "common/timing.h"
#include "common/ui/application.h"
#include "common/ui/seams.h"
#include "main/frmmain.h"
#include "rules/status.h"
#include "settings/settings.h"
#include "simulator.h"

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The program's seams answered as a user who never sees a message would: messages are noted,
// dialogs closed, and the end of the program is only recorded.
struct Session {
    QTemporaryDir dir;
    int messages = 0;

    Session() {
        pelorin::setSettingsFilePath(dir.filePath(QStringLiteral("setting.ini")));
        pelorin::ui::setMessageHandler(
            [this](pelorin::MessageIcon, const QString&) { ++messages; });
        pelorin::ui::setModalHandler([](QDialog& dialog) { dialog.close(); });
        pelorin::ui::setEndHandler([] {});
    }
};

std::unique_ptr<tvsim::Simulator> startServer(tvsim::Config config) {
    auto server = std::make_unique<tvsim::Simulator>(std::move(config));
    if (!server->start()) {
        std::fprintf(stderr, "tvsim: %s\n", qPrintable(server->errorString()));
        return nullptr;
    }
    return server;
}

int stall() {
    bool ok = false;
    const double scale = qEnvironmentVariable("PELORIN_BENCH_PROBE_SCALE").toDouble(&ok);
    pelorin::timing::setScale(ok && scale > 0 ? scale : 1.0);
    Session session;
    tvsim::Config config;
    config.fault = tvsim::Fault::Hang;
    config.wolPorts = {};
    const auto server = startServer(config);
    if (!server)
        return 1;
    pelorin::WriteIni(pelorin::ini::Server, pelorin::ini::URL, server->url());

    std::optional<Clock::time_point> asked;
    QObject::connect(server.get(), &tvsim::Simulator::requestReceived, server.get(), [&] {
        if (!asked)
            asked = Clock::now();
    });
    std::vector<Clock::time_point> beats;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(10);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { beats.push_back(Clock::now()); });
    heartbeat.start();

    pelorin::frmMain window;
    window.Form_Load();
    const Clock::time_point answered = Clock::now();
    heartbeat.stop();
    if (!asked || window.statusText() != pelorin::status_text::serverOff()) {
        std::fprintf(stderr, "the probe did not end as expected\n");
        return 1;
    }
    // The longest time without a beat between the request reaching the server and the probe
    // giving up.
    double longest = 0;
    Clock::time_point previous = *asked;
    for (const Clock::time_point beat : beats) {
        if (beat < *asked)
            continue;
        longest = std::max(longest, msBetween(previous, beat));
        previous = beat;
    }
    longest = std::max(longest, msBetween(previous, answered));
    std::fprintf(stderr, "probe waited %.0f ms, %zu beats\n", msBetween(*asked, answered),
                 beats.size());
    std::printf("figure probe_longest_stall_ms %.3f\n", longest);
    return 0;
}

void sendMouse(QWidget* target, QEvent::Type type, Qt::MouseButtons buttons) {
    const QPointF pos(target->width() / 2.0, target->height() / 2.0);
    QMouseEvent event(type, pos, target->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

int wake() {
    // Only the waits after the first packet are scaled down, so the command ends quickly.
    pelorin::timing::setScale(0.01);
    Session session;
    tvsim::Config config;
    config.startOn = false;
    config.wolPorts = {0, 0};
    const auto server = startServer(config);
    if (!server)
        return 1;
    pelorin::WriteIni(pelorin::ini::Server, pelorin::ini::URL, server->url());
    pelorin::WriteIni(pelorin::ini::Server, pelorin::ini::macKey(1),
                      QStringLiteral("00:11:22:33:44:55"));

    pelorin::frmMain window;
    pelorin::WakeOptions options;
    options.ports = server->wolPorts();
    window.powerCommands().setWakeOptions(options);
    if (!window.Form_Load() || !window.option2()->isChecked()) {
        std::fprintf(stderr, "the window did not start with the server off\n");
        return 1;
    }
    std::optional<Clock::time_point> received;
    QObject::connect(server.get(), &tvsim::Simulator::datagramReceived, server.get(), [&] {
        if (!received)
            received = Clock::now();
    });

    QRadioButton* const on = window.option1();
    const Clock::time_point clicked = Clock::now();
    sendMouse(on, QEvent::MouseButtonPress, Qt::LeftButton);
    sendMouse(on, QEvent::MouseButtonRelease, Qt::NoButton);
    if (!received || window.statusText() != pelorin::status_text::serverOn()) {
        std::fprintf(stderr, "the server was not woken\n");
        return 1;
    }
    std::printf("figure wake_first_datagram_ms %.3f\n", msBetween(clicked, *received));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    pelorin::ui::setUpApplication();
    const QStringList args = QApplication::arguments();
    if (args.size() == 2 && args.at(1) == QLatin1String("stall"))
        return stall();
    if (args.size() == 2 && args.at(1) == QLatin1String("wake"))
        return wake();
    std::fprintf(stderr, "usage: bench_inprocess stall|wake\n");
    return 2;
}
