#ifndef SENSORCONTROL_PLATFORM_VIDEORESOLUTION_H
#define SENSORCONTROL_PLATFORM_VIDEORESOLUTION_H

#include "Export.h"

// The video frame size the host runs the sensor at.
class SC_EXPORT VideoResolution {
public:
    VideoResolution() = default;
    VideoResolution(int p_nWidth, int p_nHeight) : m_nWidth(p_nWidth), m_nHeight(p_nHeight) {}

    int getWidth() const { return m_nWidth; }
    int getHeight() const { return m_nHeight; }
    void setWidth(int p_nWidth) { m_nWidth = p_nWidth; }
    void setHeight(int p_nHeight) { m_nHeight = p_nHeight; }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
};

#endif
