#include "StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace pelkano {

bool StartupProbe::requested()
{
    return qEnvironmentVariableIsSet("PELKANO_STARTUP_PROBE");
}

double millisecondsSinceProcessStart()
{
    // Field 22 of /proc/self/stat: start time in clock ticks after boot; CLOCK_BOOTTIME counts
    // from the same origin.
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields[19].toDouble();  // field 22 counted from 1, after pid and comm
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
    return nowMs - startTicks * 1000.0 / ticksPerSecond;
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && !shown_) {
        shown_ = true;
        std::printf("main %.1f ms, shown %.1f ms after process start\n", mainEntered_,
                    millisecondsSinceProcessStart());
    } else if (event->type() == QEvent::Expose && shown_) {
        std::printf("exposed %.1f ms after process start\n", millisecondsSinceProcessStart());
        std::fflush(stdout);
        watched->removeEventFilter(this);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace pelkano
