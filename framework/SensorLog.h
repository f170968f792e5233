#ifndef SENSORCONTROL_FRAMEWORK_SENSORLOG_H
#define SENSORCONTROL_FRAMEWORK_SENSORLOG_H

#include "../platform/Export.h"
#include "../platform/OVLogger.h"

// A controller log: every text goes to the console and, with its tag, to a
// rotating log file.
class SC_EXPORT SensorLog {
public:
    SensorLog();
    virtual ~SensorLog();

    int init(const char* p_szPath, unsigned int p_nMaxBytes, unsigned int p_nFiles);
    void WriteSensorLog(const char* p_szTag, const char* p_szText);

private:
    OVLogger m_logger;
};

#endif
