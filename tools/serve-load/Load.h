#ifndef SERVELOAD_LOAD_H
#define SERVELOAD_LOAD_H

#include <string>

class Camera;
class Daemon;
class Report;

struct LoadOptions {
    int nClients = 32;
    double dSeconds = 60;
    // The rate of injected module faults during the round; 0 for none.
    double dFaults = 0;
    bool bVirtualTime = false;
    unsigned nDraw = 1;
};

// One round of load: the clients on their threads mixing ONVIF and JSON
// reads and writes, one or two event streams held open, the driver moving
// the scene (and the virtual clock) and switching schemes. Then the checks:
// no unexpected answer, every value the last acknowledged write, the event
// streams alive, threads and memory flat. All of it goes into p_report.
void runLoad(const std::string& p_strRound, Camera& p_camera, Daemon& p_daemon, Report& p_report,
             const LoadOptions& p_options);

// Only GetImagingSettings from p_nClients clients until p_nRequests were
// answered; prints the latencies and the rate. False when any failed.
bool runBench(Camera& p_camera, int p_nClients, long p_nRequests);

#endif
