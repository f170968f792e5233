#ifndef SENSORCONTROL_FUZZ_FUZZROOT_H
#define SENSORCONTROL_FUZZ_FUZZROOT_H

#include <string>

// The fuzz targets' file-system root, made on first use and removed at exit:
// every fixed path the library opens lands under it. It lies in memory
// (/dev/shm) where the machine has that, since a target that saves a file
// per input would otherwise spend its time syncing a disk.
const std::string& fuzzRoot();

#endif
