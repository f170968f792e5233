#ifndef SENSORCONTROL_PLATFORM_EXPORT_H
#define SENSORCONTROL_PLATFORM_EXPORT_H

// The library is built with hidden visibility; only what carries SC_EXPORT is
// part of the shared object's interface.
#define SC_EXPORT __attribute__((visibility("default")))

#endif
