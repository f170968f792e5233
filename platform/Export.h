#ifndef SENSORCONTROL_PLATFORM_EXPORT_H
#define SENSORCONTROL_PLATFORM_EXPORT_H

/** @file
 *  SC_EXPORT, the mark of what the shared library exports. */
/// The library is built with hidden visibility; only what carries SC_EXPORT is
/// part of the shared object's interface. The serial controllers' helpers
/// (command sets, links, frames, line readers) carry none: hosts reach a
/// module through its controller, and every exported name costs the board
/// room in the dynamic symbol table.
#define SC_EXPORT __attribute__((visibility("default")))

#endif
