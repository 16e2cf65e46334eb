#include "platform/clock.h"

Clock &Clock::system()
{
    static SystemClock clock;
    return clock;
}

SystemClock::SystemClock()
{
    elapsed_.start();
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::monotonicMs() const
{
    return elapsed_.elapsed();
}
