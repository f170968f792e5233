#ifndef SENSORCTL_REGISTERMODULES_H
#define SENSORCTL_REGISTERMODULES_H

#include <cstddef>
#include <cstdio>
#include <string>

#include "Host.h"
#include "sim/SimModule.h"

// The register-protocol modules in sensorctl (Effio DSP, IT1 family, ITN,
// Seawolf): their simulators, where --trace cuts their replies, and the lines
// status and daynight add for them.
namespace RegisterModules {

SimModule* createEffio(int p_nVideoSystem);

// Reply lengths for the trace: an Effio read reply is its data plus three
// bytes (the data count from the read request), a write reply three bytes.
size_t effioReplyLength(const std::string& p_strReceived, const std::string& p_strSent);

void effioStatus(Host& p_host, FILE* p_pOut);
void effioDayNight(Host& p_host, FILE* p_pOut);

SimModule* createIT1(int p_nVideoSystem);
// IT1 and ITN replies: the first byte is the reply's length.
size_t countedReplyLength(const std::string& p_strReceived, const std::string& p_strSent);
void it1Status(Host& p_host, FILE* p_pOut);
// The decisions of a controller's own day/night thread (IT1 family, ITN).
void switchThreadDayNight(Host& p_host, FILE* p_pOut);

SimModule* createITN(int p_nVideoSystem);
void itnStatus(Host& p_host, FILE* p_pOut);

SimModule* createSeawolf(int p_nVideoSystem);
// Seawolf replies: 01, 03 alone, 04 with one byte, 02 with its count, data
// and checksum.
size_t seawolfReplyLength(const std::string& p_strReceived, const std::string& p_strSent);
void seawolfStatus(Host& p_host, FILE* p_pOut);
void seawolfDayNight(Host& p_host, FILE* p_pOut);

}  // namespace RegisterModules

#endif
