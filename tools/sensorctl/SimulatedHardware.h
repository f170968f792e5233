#ifndef SOAK_SIMULATEDHARDWARE_H
#define SOAK_SIMULATEDHARDWARE_H

#include <cstddef>
#include <map>
#include <string>

#include "Host.h"

class SimLineModule;

// The simulated hardware behind one booted host, seen alike for every
// module: the serial module's line (or, for the SoC's own sensor, the ISP),
// its faults, its figures, what it holds and the scene it sees.
class SimulatedHardware {
public:
    struct Figures {
        size_t nExchanges = 0;  // frames the module took, or ISP commands
        size_t nFaults = 0;     // faults injected, restarts included
        size_t nRetries = 0;    // the same frame or command again after a fault
    };

    explicit SimulatedHardware(Host& p_host);

    // Faults at this rate from now on, seeded; 0 stops them (and, for a
    // serial module, drops those still queued).
    void setFaultRate(double p_dRate, unsigned int p_nSeed);
    // A module that stops answering (its line runs at another speed than
    // the host's; the ISP fails every command) and one that answers again.
    void setAnswering(bool p_bAnswering);
    // Seconds a restart keeps a serial module silent.
    double restartSilence() const { return m_dRestartSilence; }
    // Since the host booted. Forgets the frames taken, so that a long run
    // does not pile them up.
    Figures figures();

    // What the module holds, by name: a serial module's settings as its
    // simulator keeps them (registers, the last parameters of each command),
    // or the values of the ISP's commands.
    std::map<std::string, std::string> held();

    // The scene at this brightness (0 dark .. 100 full day): the board's
    // light, and what a serial module reports or judges as day and night.
    void setScene(int p_nBrightness);

private:
    Host& m_host;
    SimLineModule* m_pLine;
    double m_dRestartSilence = 1.0;
    size_t m_nFramesTaken = 0;
};

#endif
