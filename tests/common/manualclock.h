#pragma once

#include "platform/clock.h"

// A clock that only moves when told to.
class ManualClock : public Clock
{
public:
    explicit ManualClock(const QDateTime &start = QDateTime(QDate(2004, 3, 5), QTime(14, 5, 9)))
        : now_(start)
    { }
    QDateTime now() const override { return now_; }
    qint64 monotonicMs() const override { return monotonic_; }

    void setTime(const QTime &time) { now_.setTime(time); }
    void advanceMs(qint64 ms)
    {
        monotonic_ += ms;
        now_ = now_.addMSecs(ms);
    }

private:
    QDateTime now_;
    qint64 monotonic_ = 0;
};
