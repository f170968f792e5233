#ifndef SENSORCTL_PARAMETERNAMES_H
#define SENSORCTL_PARAMETERNAMES_H

#include <string>

// Readable names of a module's parameter ids, for the commands that take or
// show an id. Ids without a name are shown by number only.
const char* parameterName(int p_nModuleId, int p_nId);
// The id for a number or a name; throws CommandError for neither.
int parameterId(int p_nModuleId, const std::string& p_strText);
// The id that holds the day/night mode, or 0 when the module has none.
int dayNightModeId(int p_nModuleId);

#endif
