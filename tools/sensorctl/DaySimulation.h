#ifndef SENSORCTL_DAYSIMULATION_H
#define SENSORCTL_DAYSIMULATION_H

#include <string>

#include "Host.h"

// Runs 24 hours on the virtual clock, one thread cycle per second, over a
// light curve with a night, a dawn, a passing cloud and a dusk. Prints every
// day/night switch, scheme switch and tuning change; with a plot path, also
// draws the light, the thresholds and the day/night state as SVG.
void simulateDay(Host& p_host, const std::string& p_strPlotPath);

// The scene brightness (0 night .. 100 full day) at a second of the day.
int sceneBrightness(int p_nSecondOfDay);

#endif
