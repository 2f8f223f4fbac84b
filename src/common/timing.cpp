#include "common/timing.h"

#include <QEventLoop>
#include <QTimer>
#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace pelorin::timing {

namespace {
double g_scale = 1.0;
}

void setScale(double factor) {
    g_scale = factor > 0 ? factor : 1.0;
}

int scaled(int milliseconds) {
    if (milliseconds <= 0)
        return 0;
    const double value = std::ceil(milliseconds * g_scale);
    return static_cast<int>(std::clamp(value, 1.0, 2147483647.0));
}

void waitProcessingEvents(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(scaled(milliseconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void applyScaleFromEnvironment() {
    bool ok = false;
    const double factor = qEnvironmentVariable("PELORIN_TIME_SCALE").toDouble(&ok);
    if (ok && factor > 0)
        setScale(factor);
}
} // namespace pelorin::timing
