#ifndef SENSORCONTROL_PLATFORM_DISKMANAGER_H
#define SENSORCONTROL_PLATFORM_DISKMANAGER_H

#include "Export.h"

class SC_EXPORT DiskManager {
public:
    // Non-zero if something exists at the path (mapped through PlatformRoot).
    static int isFileExist(const char* p_szPath);
};

#endif
