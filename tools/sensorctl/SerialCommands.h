#ifndef SENSORCTL_SERIALCOMMANDS_H
#define SENSORCTL_SERIALCOMMANDS_H

#include <string>
#include <vector>

#include "Host.h"
#include "controllers/serial/SerialSetup.h"

// The lens and the privacy masks of a zoom module.
//   zoom in [SPEED] | out [SPEED] | stop | get | set POSITION
//   focus far [SPEED] | near [SPEED] | stop | get | set POSITION | mode N
//   mask region N | set | show | hide | clear | clear-all | wider | narrower
//        | taller | shorter
void commandZoom(Host& p_host, const std::vector<std::string>& p_arguments);
void commandFocus(Host& p_host, const std::vector<std::string>& p_arguments);
void commandMask(Host& p_host, const std::vector<std::string>& p_arguments);

// Serves a simulated module behind a pseudo-terminal until interrupted (or
// for p_nSeconds > 0), printing the terminal's path, and its lens line (for
// a kind that simulates a module with one) behind a second. The module hears
// only a port set to p_line.
void commandSimModule(const std::string& p_strKind, int p_nSeconds, int p_nVideoSystem,
                      const SerialLineSettings& p_line = SerialLineSettings());

#endif
