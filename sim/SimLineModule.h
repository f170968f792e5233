#ifndef SENSORCONTROL_SIM_SIMLINEMODULE_H
#define SENSORCONTROL_SIM_SIMLINEMODULE_H

#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "SimModule.h"

// What every simulated module on a serial line shares: the port calls of the
// host, the answers waiting to be read (a late one shows only after empty
// reads, and what follows it waits behind it), the faults queued for the
// next answers, and what a test looks at: every frame the module took, the
// devices opened, the line settings. A module cuts the bytes it hears into
// frames and answers them.
//
// The first device opened is the module's line (index 0); a module with a
// second line (a zoom lens on its own port) gets index 1, 2... for the
// devices opened after it, and their bytes through takeOtherLine.
class SimLineModule : public SimModule {
public:
    int open(const std::string& p_strDevice) override;
    void close(int p_nIndex) override;
    // Records the host port's line; returns 1. Stop bits 0 count as 1.
    int setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                     int p_nParity) override;
    // Takes whole or partial frames when the module hears them; returns
    // p_nLength.
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override;
    // Up to p_nMaxLength pending answer bytes, 0 when none; never waits.
    int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) override;

    // A negative index makes every open fail.
    void setOpenResult(int p_nIndex);
    // Every complete frame the module took on its line.
    std::vector<std::string> received();
    void clearReceived();
    // The module's line, "" before it was opened; every device opened, in
    // the order of their index.
    std::string opened();
    std::vector<std::string> devices();
    std::vector<int> lineParameters();  // baud, data bits, stop bits, parity
    size_t pendingBytes();

    // The line the module itself runs: it hears nothing from a host port set
    // to another speed or framing, as on a real line, where such bytes arrive
    // as garbage. 9600 baud, 8 data bits, 1 stop bit (0 counts as 1), no
    // parity (1 odd, 2 even) unless set. False, with nothing changed, for a
    // rate the module cannot run at.
    bool setModuleLine(int p_nBaudRate, int p_nDataBits, int p_nStopBits, int p_nParity);
    // Faults at random, for long runs: each write the module hears brings,
    // with probability p_dRate, one fault of a kind the module has
    // (randomFaults) or a restart, chosen evenly. Seeded, so a run repeats.
    // Queued faults go first; 0 stops the faults and drops those queued.
    void setFaultRate(double p_dRate, unsigned int p_nSeed);
    // Platform clock seconds a restart keeps the module deaf and mute; it
    // then answers again from the state it kept.
    void setRestartSilence(double p_dSeconds);
    bool restartingNow();
    // What the module's line saw, for a campaign's figures.
    struct LineCounts {
        size_t nWrites = 0;
        size_t nRetries = 0;  // a write again after it met a fault
        size_t nFaults = 0;   // drawn at random, restarts included
        size_t nRestarts = 0;
    };
    LineCounts lineCounts();
    size_t receivedCount();
    // The settings the module holds, by name; by default its saved state.
    virtual std::map<std::string, std::string> heldValues();

protected:
    enum { NO_FAULT = -1 };

    // The rest run under m_mutex.
    // Whether the module hears the line now (its state), once the host's
    // line settings are the module's own.
    virtual bool hears() { return true; }
    // The module's own rate. A module whose rate is part of its state (a
    // camera with a rate register) keeps it itself; false for a rate it
    // cannot run at.
    virtual int moduleBaudRate() { return m_nModuleBaud; }
    virtual bool setModuleBaudRate(int p_nBaudRate) {
        m_nModuleBaud = p_nBaudRate;
        return true;
    }
    // Cuts m_strInput into frames and answers them.
    virtual void consumeInput() = 0;
    // Bytes written to a line other than the module's own; dropped unless
    // the module has one.
    virtual void takeOtherLine(int p_nIndex, const std::string& p_strBytes) {
        (void)p_nIndex;
        (void)p_strBytes;
    }
    void queueFault(int p_nFault, int p_nCount);
    // The next queued fault, or NO_FAULT; peekFault leaves it queued.
    int nextFault();
    int peekFault() const;
    // Answer bytes; after p_nEmptyReads empty reads when late.
    void output(const std::string& p_strBytes, int p_nEmptyReads = 0);
    void clearQueuedFaults();
    // An index of a device opened after the module's line. Any other index
    // (also one never opened) is the module's line, as a test that never
    // opens the port expects.
    bool isOtherLine(int p_nIndex) const;
    // The fault kinds random faults draw from (the module's own Fault
    // values); none by default.
    virtual std::vector<int> randomFaults() const { return std::vector<int>(); }

    std::mutex m_mutex;
    std::string m_strInput;  // bytes of a frame not yet complete
    std::vector<std::string> m_received;
    int m_nHostBaud = 9600;

private:
    // The host's settings are the module's own.
    bool lineMatches();

    std::string m_strOutput;  // answers ready to be read
    std::string m_strLate;    // answers held back by a late one
    int m_nLateReads = 0;     // empty reads still due before m_strLate shows
    std::deque<int> m_faults;
    std::vector<std::string> m_devices;
    std::vector<int> m_lineParameters;
    int m_nOpenResult = 0;
    // The host port's line beside m_nHostBaud, and the module's own.
    int m_nHostDataBits = 8;
    int m_nHostStopBits = 1;
    int m_nHostParity = 0;
    int m_nModuleBaud = 9600;
    int m_nModuleDataBits = 8;
    int m_nModuleStopBits = 1;
    int m_nModuleParity = 0;

    // Draws a random fault for a write the module hears; true while the
    // module is restarting (the write is lost).
    bool restartDrawn(const char* p_pBytes, int p_nLength);
    double m_dFaultRate = 0.0;
    std::mt19937 m_random;
    double m_dRestartSilence = 1.0;
    double m_dRestartEnd = -1.0;
    std::string m_strLastWrite;
    bool m_bLastWriteFaulted = false;
    LineCounts m_counts;
};

#endif
