#ifndef SENSORCTL_HOSTCLI_H
#define SENSORCTL_HOSTCLI_H

#include <CLI/CLI.hpp>
#include <string>

#include "Host.h"

// The options every host program takes to boot a module (sensorctl,
// sensord): the root, the module and its line, the board's seams. What the
// virtual clock does differs per program, so its help is given.
void addHostOptions(CLI::App& p_app, HostOptions& p_options,
                    const std::string& p_strVirtualTimeHelp);

#endif
