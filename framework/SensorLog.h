#ifndef SENSORCONTROL_FRAMEWORK_SENSORLOG_H
#define SENSORCONTROL_FRAMEWORK_SENSORLOG_H
/// @file
/// SensorLog, the controller logs.

#include "../platform/Export.h"
#include "../platform/OVLogger.h"

/// A controller log: every text goes to the console and, with its tag, to a
/// rotating log file.
class SC_EXPORT SensorLog {
public:
    SensorLog();
    virtual ~SensorLog();

    /// Sets the log file and its rotation (OVLogger::init); non-zero on success.
    int init(const char* p_szPath, unsigned int p_nMaxBytes, unsigned int p_nFiles);
    /// Writes a text to the console and, with the tag, to the log file.
    void WriteSensorLog(const char* p_szTag, const char* p_szText);

private:
    OVLogger m_logger;
};

#endif
