#ifndef SENSORCONTROL_PLATFORM_ORVANETIME_H
#define SENSORCONTROL_PLATFORM_ORVANETIME_H
/// @file
/// OrvaneTime, spans and points of time on the installed clock.

#include "Export.h"

/// A span or a point of time in seconds and microseconds. As a span it is a
/// delay (OrvaneTime(0, 30000).wait() sleeps 30 ms); currentTime() gives a
/// point on the monotonic clock, so that differences are elapsed times. All of
/// it goes through the installed clock (Clock.h).
class SC_EXPORT OrvaneTime {
public:
    /// A zero span.
    OrvaneTime();
    /// A span of seconds and microseconds.
    OrvaneTime(long p_nSeconds, long p_nMicroseconds);

    /// Sleeps for this span; returns early when the calling GThread is stopped.
    void wait() const;

    /// The point now on the monotonic clock.
    static OrvaneTime currentTime();

    /// The whole seconds.
    long getSeconds() const { return m_nSeconds; }
    /// The microseconds beside the whole seconds.
    long getMicroseconds() const { return m_nMicroseconds; }
    /// The whole span in seconds.
    double toSeconds() const;

    /// The span from another point to this one.
    OrvaneTime operator-(const OrvaneTime& p_other) const;
    /// Whether this is the shorter span (the earlier point).
    bool operator<(const OrvaneTime& p_other) const;

private:
    void normalise();

    long m_nSeconds;
    long m_nMicroseconds;
};

#endif
