#pragma once

#include <QDateTime>
#include <QElapsedTimer>

// The program's only source of "now". Windows take a Clock, so tests can set
// the date and the time of day and move the monotonic clock of the waits.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0; // local date and time of day
    virtual qint64 monotonicMs() const = 0; // for waits; never jumps

    QDate today() const { return now().date(); }

    static Clock &system();
};

class SystemClock : public Clock
{
public:
    SystemClock();
    QDateTime now() const override;
    qint64 monotonicMs() const override;

private:
    QElapsedTimer elapsed_;
};
