#ifndef SENSORCONTROL_PLATFORM_DISKMANAGER_H
#define SENSORCONTROL_PLATFORM_DISKMANAGER_H
/// @file
/// DiskManager, the file existence check of the platform.

#include "Export.h"

/// The platform's file checks.
class SC_EXPORT DiskManager {
public:
    /// Non-zero if something exists at the path (mapped through PlatformRoot).
    static int isFileExist(const char* p_szPath);
};

#endif
