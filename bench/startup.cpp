// bench_startup: Pelorin and the bare program started cold, each as a new process on the X
// screen, and watched from outside the way a person sees them: when the window first shows
// painted content, when Pelorin's first request reaches the simulator (which runs in this
// process), when its lamp turns green with the status beside it, how much memory each held at
// its peak, and how much CPU time Pelorin uses while it sits idle with the lamp steady.
//
// usage: bench_startup PELORIN BARE WORKDIR RUNS IDLE_SECONDS IDLE_INSTANCES
//
// Progress goes to stderr; stdout gets one "figure NAME VALUE" line per figure, each the median
// over the runs (the idle CPU time: over the instances, which idle side by side).

#include "simulator.h"
#include "xscreen.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t Green = 0x00ff00;
constexpr int StartTimeoutMs = 20000;
constexpr int SettleMs = 500;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void progress(const QString& line) {
    std::fprintf(stderr, "%s\n", qPrintable(line));
}

// Checks `done` every millisecond while the event loop runs (the simulator answers meanwhile);
// false when it did not come true within the time-out.
bool pollUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QElapsedTimer clock;
    clock.start();
    bool result = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        result = done();
        if (result || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    tick.start();
    loop.exec();
    return result;
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The most resident memory the process has held so far, in KiB.
double peakRssKib(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

// CPU time of each of the process's threads, in nanoseconds, as the scheduler counts it.
std::map<QString, double> threadCpuNs(qint64 pid) {
    std::map<QString, double> times;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks.filePath(tid + QStringLiteral("/schedstat")));
        if (schedstat.open(QIODevice::ReadOnly))
            times[tid] = schedstat.readAll().split(' ').value(0).toDouble();
    }
    return times;
}

// CPU seconds used between two samples; a thread that appeared meanwhile counts from zero.
double cpuSecondsBetween(const std::map<QString, double>& before,
                         const std::map<QString, double>& after) {
    double ns = 0;
    for (const auto& [tid, time] : after) {
        const auto earlier = before.find(tid);
        ns += time - (earlier == before.end() ? 0 : earlier->second);
    }
    return ns / 1e9;
}

QProcessEnvironment realTimingEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("PELORIN_TIME_SCALE"));
    return environment;
}

// A program under watch; ended when the watch is over.
class Watched {
public:
    explicit Watched(const QString& program) {
        m_process.setProgram(program);
        m_process.setProcessEnvironment(realTimingEnvironment());
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
    }
    ~Watched() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    Watched(const Watched&) = delete;
    Watched& operator=(const Watched&) = delete;

    Clock::time_point start() {
        const Clock::time_point started = Clock::now();
        m_process.start();
        return started;
    }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
};

// What a person sees of one program's window: found once, then polled.
struct View {
    const XScreen& screen;
    qint64 pid;
    std::optional<uint32_t> window;

    std::optional<QRect> geometry() {
        if (!window)
            window = screen.mainWindowOf(pid);
        return window ? screen.geometry(*window) : std::nullopt;
    }

    // Something is painted: the middle of the window is no longer the black screen behind it.
    bool painted() {
        const auto area = geometry();
        if (!area)
            return false;
        const auto rgb = screen.pixels(QRect(area->center(), QSize(2, 2)));
        return std::any_of(rgb.begin(), rgb.end(), [](uint32_t pixel) { return pixel != 0; });
    }

    bool lampGreen() {
        const auto area = geometry();
        return area && screen.lampColour(*area) == Green;
    }
};

struct Figures {
    std::vector<double> bareFirstPaintMs, barePeakRssKib, bareCpuToPaintMs;
    std::vector<double> pelorinFirstRequestMs, pelorinFirstPaintMs, pelorinStatusShownMs,
        pelorinPeakRssKib, pelorinIdleCpuS, pelorinCpuToStatusMs;
};

class Bench {
public:
    Bench(QString pelorin, QString bare, QString workDir)
        : m_pelorin(std::move(pelorin)), m_bare(std::move(bare)), m_workDir(std::move(workDir)) {}

    bool start() {
        if (!m_screen.ok()) {
            progress(QStringLiteral("bench_startup: no X display"));
            return false;
        }
        tvsim::Config config;
        config.wolPorts = {};
        m_server = std::make_unique<tvsim::Simulator>(config);
        if (!m_server->start()) {
            progress(QStringLiteral("bench_startup: tvsim: %1").arg(m_server->errorString()));
            return false;
        }
        QObject::connect(m_server.get(), &tvsim::Simulator::requestReceived, m_server.get(),
                         [this] {
                             if (!m_firstRequest)
                                 m_firstRequest = Clock::now();
                             ++m_requests;
                         });
        return true;
    }

    bool runBare(Figures* figures) {
        Watched bare(m_bare);
        const Clock::time_point started = bare.start();
        View view{m_screen, bare.pid(), {}};
        if (!pollUntil([&] { return view.painted(); }, StartTimeoutMs))
            return failed(QStringLiteral("the bare program never painted"));
        const double paintMs = msBetween(started, Clock::now());
        const double cpuMs = cpuSecondsBetween({}, threadCpuNs(bare.pid())) * 1000;
        pause(SettleMs);
        const double rss = peakRssKib(bare.pid());
        figures->bareFirstPaintMs.push_back(paintMs);
        figures->barePeakRssKib.push_back(rss);
        figures->bareCpuToPaintMs.push_back(cpuMs);
        progress(QStringLiteral("  bare:    first paint %1 ms (%2 ms CPU), peak RSS %3 KiB")
                     .arg(paintMs, 0, 'f', 1)
                     .arg(cpuMs, 0, 'f', 1)
                     .arg(rss));
        return true;
    }

    bool runPelorin(Figures* figures) {
        const QString program = portableCopy(QStringLiteral("pelorin"));
        if (program.isEmpty())
            return false;
        Watched pelorin(program);
        m_firstRequest.reset();
        m_requests = 0;
        const Clock::time_point started = pelorin.start();
        View view{m_screen, pelorin.pid(), {}};
        std::optional<Clock::time_point> firstPaint;
        const bool shown = pollUntil(
            [&] {
                if (!firstPaint && view.painted())
                    firstPaint = Clock::now();
                return firstPaint && view.lampGreen();
            },
            StartTimeoutMs);
        const Clock::time_point shownAt = Clock::now();
        const double cpuMs = cpuSecondsBetween({}, threadCpuNs(pelorin.pid())) * 1000;
        if (!shown || !m_firstRequest)
            return failed(QStringLiteral("Pelorin never showed the server on"));
        // The MAC addresses are asked for right after the status; then it is at rest.
        if (!pollUntil([&] { return m_requests >= 2; }, StartTimeoutMs))
            return failed(QStringLiteral("Pelorin never asked for the MAC addresses"));
        pause(SettleMs);
        const double rss = peakRssKib(pelorin.pid());
        figures->pelorinFirstRequestMs.push_back(msBetween(started, *m_firstRequest));
        figures->pelorinFirstPaintMs.push_back(msBetween(started, *firstPaint));
        figures->pelorinStatusShownMs.push_back(msBetween(started, shownAt));
        figures->pelorinPeakRssKib.push_back(rss);
        figures->pelorinCpuToStatusMs.push_back(cpuMs);
        progress(QStringLiteral("  Pelorin: first paint %1 ms, first request %2 ms, status shown "
                                "%3 ms (%4 ms CPU), peak RSS %5 KiB")
                     .arg(figures->pelorinFirstPaintMs.back(), 0, 'f', 1)
                     .arg(figures->pelorinFirstRequestMs.back(), 0, 'f', 1)
                     .arg(figures->pelorinStatusShownMs.back(), 0, 'f', 1)
                     .arg(cpuMs, 0, 'f', 1)
                     .arg(rss));
        return true;
    }

    // Several copies idle side by side, each with its lamp steady green, for `seconds`.
    bool runIdle(int instances, int seconds, Figures* figures) {
        std::vector<std::unique_ptr<Watched>> running;
        for (int i = 0; i < instances; ++i) {
            const QString program = portableCopy(QStringLiteral("idle-%1").arg(i));
            if (program.isEmpty())
                return false;
            running.push_back(std::make_unique<Watched>(program));
            m_requests = 0;
            running.back()->start();
            View view{m_screen, running.back()->pid(), {}};
            if (!pollUntil([&] { return view.lampGreen() && m_requests >= 2; }, StartTimeoutMs))
                return failed(QStringLiteral("an idle copy never came up"));
        }
        pause(1000);
        std::vector<std::map<QString, double>> before;
        for (const auto& program : running)
            before.push_back(threadCpuNs(program->pid()));
        progress(QStringLiteral("  idling %1 s ...").arg(seconds));
        pause(seconds * 1000);
        for (size_t i = 0; i < running.size(); ++i) {
            const double cpu = cpuSecondsBetween(before[i], threadCpuNs(running[i]->pid()));
            figures->pelorinIdleCpuS.push_back(cpu);
            progress(QStringLiteral("  Pelorin idle: %1 s CPU in %2 s")
                         .arg(cpu, 0, 'f', 4)
                         .arg(seconds));
        }
        return true;
    }

private:
    bool failed(const QString& why) const {
        progress(QStringLiteral("bench_startup: %1").arg(why));
        return false;
    }

    // A portable copy in a folder of its own, with setting.ini beside it naming the simulator.
    QString portableCopy(const QString& name) const {
        const QDir dir(QDir(m_workDir).filePath(name));
        if (!QDir().mkpath(dir.path()))
            return {};
        const QString program = dir.filePath(QStringLiteral("Pelorin"));
        if (!QFile::exists(program) && !QFile::copy(m_pelorin, program))
            return {};
        QFile settings(dir.filePath(QStringLiteral("setting.ini")));
        if (!settings.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        settings.write(QStringLiteral("[Server]\nURL=%1\nMac-1=00:11:22:33:44:55\n")
                           .arg(m_server->url())
                           .toUtf8());
        return program;
    }

    const QString m_pelorin;
    const QString m_bare;
    const QString m_workDir;
    XScreen m_screen;
    std::unique_ptr<tvsim::Simulator> m_server;
    std::optional<Clock::time_point> m_firstRequest;
    int m_requests = 0;
};

std::vector<double> pairedRatios(const std::vector<double>& pelorin,
                                 const std::vector<double>& bare) {
    std::vector<double> ratios;
    for (size_t i = 0; i < std::min(pelorin.size(), bare.size()); ++i)
        ratios.push_back(bare[i] > 0 ? pelorin[i] / bare[i] : 0);
    return ratios;
}

void printFigure(const char* name, const std::vector<double>& values) {
    std::printf("figure %s %.4f\n", name, median(values));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 7) {
        std::fprintf(stderr, "usage: bench_startup PELORIN BARE WORKDIR RUNS IDLE_SECONDS "
                             "IDLE_INSTANCES\n");
        return 2;
    }
    const int runs = std::max(1, args.at(4).toInt());
    const int idleSeconds = std::max(1, args.at(5).toInt());
    const int idleInstances = std::max(1, args.at(6).toInt());

    Bench bench(args.at(1), args.at(2), args.at(3));
    if (!bench.start())
        return 1;
    Figures figures;
    // One start of each first, not counted: the libraries come into the page cache.
    Figures warmUp;
    if (!bench.runBare(&warmUp) || !bench.runPelorin(&warmUp))
        return 1;
    for (int run = 1; run <= runs; ++run) {
        progress(QStringLiteral("start-up run %1 of %2").arg(run).arg(runs));
        if (!bench.runBare(&figures) || !bench.runPelorin(&figures))
            return 1;
    }
    if (!bench.runIdle(idleInstances, idleSeconds, &figures))
        return 1;

    printFigure("bare_first_paint_ms", figures.bareFirstPaintMs);
    printFigure("pelorin_first_paint_ms", figures.pelorinFirstPaintMs);
    printFigure("pelorin_first_request_ms", figures.pelorinFirstRequestMs);
    printFigure("pelorin_status_shown_ms", figures.pelorinStatusShownMs);
    printFigure("bare_peak_rss_kib", figures.barePeakRssKib);
    printFigure("pelorin_peak_rss_kib", figures.pelorinPeakRssKib);
    printFigure("pelorin_idle_cpu_s", figures.pelorinIdleCpuS);
    printFigure("bare_cpu_to_paint_ms", figures.bareCpuToPaintMs);
    printFigure("pelorin_cpu_to_status_ms", figures.pelorinCpuToStatusMs);
    // Each Pelorin start is compared with the bare start just before it: the machine's pace
    // drifts over a run, and a pair measured seconds apart shares it.
    printFigure("first_request_ratio",
                pairedRatios(figures.pelorinFirstRequestMs, figures.bareFirstPaintMs));
    printFigure("status_shown_ratio",
                pairedRatios(figures.pelorinStatusShownMs, figures.bareFirstPaintMs));
    printFigure("peak_rss_ratio", pairedRatios(figures.pelorinPeakRssKib, figures.barePeakRssKib));
    return 0;
}
