#pragma once

#include "platform/seam.h"

#include <QDate>
#include <QDateTime>

// Today and now. Nothing in the program reads the system clock directly.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() = 0;
    QDate today() { return now().date(); }
};

class SystemClock : public Clock
{
public:
    QDateTime now() override { return QDateTime::currentDateTime(); }
};

using ClockSeam = Seam<Clock, SystemClock>;

inline QDate Today()
{
    return ClockSeam::get().today();
}
inline QDateTime Now()
{
    return ClockSeam::get().now();
}
