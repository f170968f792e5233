#ifndef SENSORCTL_DESCRIBE_H
#define SENSORCTL_DESCRIBE_H

#include <string>

#include "Host.h"
#include "Modules.h"

// Parameters by the controller's own descriptors: names, the values they
// take, and the commands that show them.

// The id for a number or a descriptor's name; throws CommandError for
// neither.
int parameterId(const ISensorController& p_controller, const std::string& p_strText);
// "brightness (1)", or "parameter 7" for an id without a descriptor.
std::string parameterLabel(const ISensorController& p_controller, int p_nId);
// A value as a number or, for a menu, an entry's name ("manual"); throws
// CommandError naming what the parameter takes.
int parameterValue(const ISensorController& p_controller, int p_nId, const std::string& p_strText);
// "brightness takes 0..255; 300 refused" when the descriptor does not take
// the value; empty when it does or the id has none.
std::string refusalOf(const ISensorController& p_controller, int p_nId, int p_nValue);

// The module's controller, built but not initialised: enough to read its
// descriptors before a host boots it.
SafePointer<ISensorController> unbootedController(const ModuleInfo& p_module);

// The id that holds the day/night mode, or 0 when the module has none.
int dayNightModeId(const ISensorController& p_controller);
// The value that id takes for the day/night mode p_nMode (0 automatic, 1 day,
// 2 night, 3 schedule, 4 in the module); -1 when the module does not offer it.
int dayNightModeValue(const ISensorController& p_controller, int p_nMode);

// Every parameter with its value, kind, factory value and what it takes; as
// one JSON document with p_bJson.
void commandList(Host& p_host, bool p_bJson);
// One parameter in full, by name or id.
void commandDescribe(Host& p_host, const std::string& p_strId);

#endif
