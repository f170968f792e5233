#ifndef SENSORCTL_PROBE_H
#define SENSORCTL_PROBE_H

#include <string>

// sensorctl probe: which module family sits on the serial line p_strDevice
// and at which line settings, found with read requests only. Prints what
// answered, the request and reply frames, the module ids that fit and their
// module configuration (as one JSON object with p_bJson); throws
// CommandError when nothing answered, or answered only once.
void commandProbe(const std::string& p_strDevice, bool p_bJson);

#endif
