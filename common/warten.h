#pragma once

#include <QtGlobal>

// Waits until the start time plus n seconds, rounded to the nearest whole second (an exact half
// to the even second), on the monotonic clock, while every other event of the program runs.
void WaitSeconds(long n);

// The deadline of a wait that starts at startMs (milliseconds of the monotonic clock), in ms.
qint64 WaitDeadlineMs(qint64 startMs, long n);
