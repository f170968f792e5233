#ifndef SENSORCONTROL_PLATFORM_OVLOGGER_H
#define SENSORCONTROL_PLATFORM_OVLOGGER_H
/// @file
/// OVLogger, the rotating text log.

#include <string>

#include "Export.h"

/// A rotating text log. Each record is one line:
///   "2026-01-01 08:00:05 [SensorError] text"
/// (device time; line breaks inside the text become blanks). Before a record
/// would take the file past maxBytes the files rotate: path -> path.1 -> ...
/// -> path.(files-1), the oldest dropped, so at most `files` files of at most
/// maxBytes each are kept. A record is appended with one write; a line torn by
/// a power cut is cut off before the next record, so the log holds whole lines
/// only. A missing log directory is not created: the record is then lost and
/// the write reports 0.
class SC_EXPORT OVLogger {
public:
    OVLogger();
    ~OVLogger();
    OVLogger(const OVLogger&) = delete;
    OVLogger& operator=(const OVLogger&) = delete;

    /// Non-zero on success: the path is set (files below 1 count as 1).
    int init(const char* p_szPath, unsigned int p_nMaxBytes, unsigned int p_nFiles);
    /// Non-zero when the record reached the file.
    int writeLog(const char* p_szTag, const char* p_szText);

    /// One record to a log named by its path, rotating as above.
    static int writeLog(const char* p_szPath, const char* p_szTag, const char* p_szText,
                        unsigned int p_nMaxBytes, unsigned int p_nFiles);

private:
    std::string m_strPath;
    unsigned int m_nMaxBytes = 0;
    unsigned int m_nFiles = 1;
    bool m_bInitialised = false;
};

#endif
