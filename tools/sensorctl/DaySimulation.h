#ifndef SENSORCTL_DAYSIMULATION_H
#define SENSORCTL_DAYSIMULATION_H

#include <string>

#include "Host.h"

// Runs 24 hours on the virtual clock, one thread cycle per second, over a
// light curve with a night, a dawn, a passing cloud and a dusk. Prints every
// day/night switch, scheme switch and tuning change; with a plot path, also
// draws the light, the thresholds and the day/night state as SVG.
void simulateDay(Host& p_host, const std::string& p_strPlotPath);

// What the camera measures as its light level (darkness): the LDR with the
// camera's own LEDs when it has infrared, else the ISP's level.
int cameraLevel(Host& p_host, bool p_bInfrared);
// Whether the module's detail gives it infrared LEDs.
bool hasInfrared(const Host& p_host);

// The scene brightness (0 night .. 100 full day) at a second of the day.
int sceneBrightness(int p_nSecondOfDay);

#endif
