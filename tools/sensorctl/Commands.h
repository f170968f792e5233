#ifndef SENSORCTL_COMMANDS_H
#define SENSORCTL_COMMANDS_H

#include <string>

#include "Host.h"

// The commands that act on a booted host. Each writes its result to
// Host::out() and throws CommandError on failure.
void commandStatus(Host& p_host);
void commandGet(Host& p_host, const std::string& p_strId);
void commandSet(Host& p_host, const std::string& p_strId, const std::string& p_strValue);
void commandDump(Host& p_host);
void commandSetMany(Host& p_host, const std::string& p_strText);
void commandFlush(Host& p_host);
void commandReset(Host& p_host);
void commandScheme(Host& p_host, const std::string& p_strScheme);
void commandMode(Host& p_host, const std::string& p_strMode);
void commandDayNight(Host& p_host, const std::string& p_strMode);

// An int from the command line; throws CommandError naming what it is.
int parseNumber(const std::string& p_strText, const char* p_szWhat);

#endif
