#include "OrvaneTime.h"

#include <cmath>

#include "Clock.h"

OrvaneTime::OrvaneTime() : m_nSeconds(0), m_nMicroseconds(0) {}

OrvaneTime::OrvaneTime(long p_nSeconds, long p_nMicroseconds)
    : m_nSeconds(p_nSeconds), m_nMicroseconds(p_nMicroseconds) {
    normalise();
}

void OrvaneTime::normalise() {
    m_nSeconds += m_nMicroseconds / 1000000;
    m_nMicroseconds %= 1000000;
    if (m_nMicroseconds < 0) {
        m_nMicroseconds += 1000000;
        --m_nSeconds;
    }
}

void OrvaneTime::wait() const {
    double span = toSeconds();
    if (span > 0.0) {
        Clock::get().sleep(span);
    }
}

OrvaneTime OrvaneTime::currentTime() {
    double now = Clock::get().monotonicSeconds();
    double whole = std::floor(now);
    return OrvaneTime(static_cast<long>(whole), std::lround((now - whole) * 1e6));
}

double OrvaneTime::toSeconds() const {
    return static_cast<double>(m_nSeconds) + static_cast<double>(m_nMicroseconds) / 1e6;
}

OrvaneTime OrvaneTime::operator-(const OrvaneTime& p_other) const {
    return OrvaneTime(m_nSeconds - p_other.m_nSeconds, m_nMicroseconds - p_other.m_nMicroseconds);
}

bool OrvaneTime::operator<(const OrvaneTime& p_other) const {
    return m_nSeconds < p_other.m_nSeconds ||
           (m_nSeconds == p_other.m_nSeconds && m_nMicroseconds < p_other.m_nMicroseconds);
}
