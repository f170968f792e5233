#ifndef SENSORCTL_PARAMETERNAMES_H
#define SENSORCTL_PARAMETERNAMES_H

#include <string>

// Readable names of a module's parameter ids (the module by its sensorctl
// name), for the commands that take or show an id. Ids without a name are
// shown by number only.
const char* parameterName(const std::string& p_strModule, int p_nId);
// The id for a number or a name; throws CommandError for neither.
int parameterId(const std::string& p_strModule, const std::string& p_strText);
// The id that holds the day/night mode, or 0 when the module has none.
int dayNightModeId(const std::string& p_strModule);
// The value that id takes for the day/night mode p_nMode (0 automatic, 1 day,
// 2 night, 3 schedule, 4 in the module); -1 when the module does not offer it.
int dayNightModeValue(const std::string& p_strModule, int p_nMode);

#endif
