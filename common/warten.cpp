#include "common/warten.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cmath>

namespace
{
qint64 monotonicMs()
{
    QElapsedTimer reference;
    reference.start();
    return reference.msecsSinceReference();
}
} // namespace

qint64 WaitDeadlineMs(qint64 startMs, long n)
{
    const double seconds = static_cast<double>(startMs) / 1000.0 + static_cast<double>(n);
    return static_cast<qint64>(std::nearbyint(seconds)) * 1000;
}

void WaitSeconds(long n)
{
    const qint64 deadline = WaitDeadlineMs(monotonicMs(), n);
    // Pending events always run at least once, also for a deadline already past.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qint64 remaining = deadline - monotonicMs();
    while (remaining >= 0) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(remaining + 1), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        if (loop.exec() < 0)
            return; // the program is ending: its event loops no longer run
        remaining = deadline - monotonicMs();
    }
}
