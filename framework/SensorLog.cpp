#include "SensorLog.h"

#include <cstdio>

SensorLog::SensorLog() = default;

SensorLog::~SensorLog() = default;

int SensorLog::init(const char* p_szPath, unsigned int p_nMaxBytes, unsigned int p_nFiles) {
    return m_logger.init(p_szPath, p_nMaxBytes, p_nFiles);
}

void SensorLog::WriteSensorLog(const char* p_szTag, const char* p_szText) {
    std::puts(p_szText == nullptr ? "" : p_szText);
    m_logger.writeLog(p_szTag, p_szText);
}
