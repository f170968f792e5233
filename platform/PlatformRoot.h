#ifndef SENSORCONTROL_PLATFORM_PLATFORMROOT_H
#define SENSORCONTROL_PLATFORM_PLATFORMROOT_H
/// @file
/// PlatformRoot, the seam that puts every fixed path under a root directory.

#include <string>

#include "Export.h"

/// File-system root seam. Every fixed path the library opens ("/mnt/mtd/...",
/// "/hd1/...", "/factory_setting/...", "/proc/wtd/...") is mapped through
/// PlatformRoot::map, which prefixes a root directory. The root is, in order:
/// the directory given to setOverride (tests, sensorctl), else the environment
/// variable SENSORCONTROL_ROOT; unset or empty means the real root, as on the
/// camera. Relative paths are never mapped.
class SC_EXPORT PlatformRoot {
public:
    /// The current root without a trailing '/'; empty for the real root.
    static std::string get();
    /// Sets a root for this process that wins over the environment; an empty
    /// text removes the override again.
    static void setOverride(const std::string& p_strRoot);
    /// Root + path for an absolute path, the path unchanged otherwise.
    static std::string map(const std::string& p_strPath);
};

#endif
