#ifndef SENSORCONTROL_PLATFORM_VIDEORESOLUTION_H
#define SENSORCONTROL_PLATFORM_VIDEORESOLUTION_H
/// @file
/// VideoResolution, the video frame size.

#include "Export.h"

/// The video frame size the host runs the sensor at.
class SC_EXPORT VideoResolution {
public:
    VideoResolution() = default;
    /// A frame size in pixels.
    VideoResolution(int p_nWidth, int p_nHeight) : m_nWidth(p_nWidth), m_nHeight(p_nHeight) {}

    /// The width in pixels.
    int getWidth() const { return m_nWidth; }
    /// The height in pixels.
    int getHeight() const { return m_nHeight; }
    /// Sets the width in pixels.
    void setWidth(int p_nWidth) { m_nWidth = p_nWidth; }
    /// Sets the height in pixels.
    void setHeight(int p_nHeight) { m_nHeight = p_nHeight; }

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
};

#endif
