#ifndef SOAK_DAYRUN_H
#define SOAK_DAYRUN_H

#include <string>
#include <vector>

#include "Modules.h"

// Runs p_nDays of virtual time per module, from midnight, over the daily
// light curve with day/night switching and four schemes of six hours each,
// and prints a table; 0 when every check held, else 1. Every switch must
// come when the scene (or the clock) calls for it, a day's switches where
// the day before's came, and the threads and the heap must stay as they
// were.
void printDaysHeader();
int runDays(const std::vector<ModuleInfo>& p_modules, int p_nDays, bool p_bBrief,
            const std::string& p_strRoot, bool p_bHeader);

#endif
