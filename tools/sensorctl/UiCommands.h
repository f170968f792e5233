#ifndef SENSORCTL_UICOMMANDS_H
#define SENSORCTL_UICOMMANDS_H

#include <string>

#include "Host.h"

// The UI description of a module as the host's UI would receive it: the
// module record for the product, the merged style with the variant blocks
// that applied, and the common and language texts of one language.
void commandUi(Host& p_host, const std::string& p_strProduct, int p_nLanguage);

// The IR power table: "get" prints the version, "set N" stores version N,
// "load" prints the rows.
void commandIrPower(Host& p_host, const std::string& p_strFile, const std::string& p_strAction,
                    const std::string& p_strVersion);

#endif
