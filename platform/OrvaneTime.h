#ifndef SENSORCONTROL_PLATFORM_ORVANETIME_H
#define SENSORCONTROL_PLATFORM_ORVANETIME_H

#include "Export.h"

// A span or a point of time in seconds and microseconds. As a span it is a
// delay (OrvaneTime(0, 30000).wait() sleeps 30 ms); currentTime() gives a
// point on the monotonic clock, so that differences are elapsed times. All of
// it goes through the installed clock (Clock.h).
class SC_EXPORT OrvaneTime {
public:
    OrvaneTime();
    OrvaneTime(long p_nSeconds, long p_nMicroseconds);

    // Sleeps for this span; returns early when the calling GThread is stopped.
    void wait() const;

    static OrvaneTime currentTime();

    long getSeconds() const { return m_nSeconds; }
    long getMicroseconds() const { return m_nMicroseconds; }
    double toSeconds() const;

    OrvaneTime operator-(const OrvaneTime& p_other) const;
    bool operator<(const OrvaneTime& p_other) const;

private:
    void normalise();

    long m_nSeconds;
    long m_nMicroseconds;
};

#endif
