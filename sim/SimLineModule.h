#ifndef SENSORCONTROL_SIM_SIMLINEMODULE_H
#define SENSORCONTROL_SIM_SIMLINEMODULE_H

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "SimModule.h"

// What every simulated module on a serial line shares: the port calls of the
// host, the answers waiting to be read (a late one shows only after empty
// reads, and what follows it waits behind it), the faults queued for the
// next answers, and what a test looks at: every frame the module took, the
// device opened, the line settings. A module cuts the bytes it hears into
// frames and answers them.
class SimLineModule : public SimModule {
public:
    int open(const std::string& p_strDevice) override;
    void close(int p_nIndex) override;
    // Records the host port's line; returns 1.
    int setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                     int p_nParity) override;
    // Takes whole or partial frames when the module hears them; returns
    // p_nLength.
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override;
    // Up to p_nMaxLength pending answer bytes, 0 when none; never waits.
    int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) override;

    void setOpenResult(int p_nIndex);
    // Every complete frame the module took.
    std::vector<std::string> received();
    void clearReceived();
    std::string opened();
    std::vector<int> lineParameters();  // baud, data bits, stop bits, parity
    size_t pendingBytes();

protected:
    enum { NO_FAULT = -1 };

    // The rest run under m_mutex.
    // Whether the module hears the line now (its speed, its state).
    virtual bool hears() = 0;
    // Cuts m_strInput into frames and answers them.
    virtual void consumeInput() = 0;
    void queueFault(int p_nFault, int p_nCount);
    // The next queued fault, or NO_FAULT; peekFault leaves it queued.
    int nextFault();
    int peekFault() const;
    // Answer bytes; after p_nEmptyReads empty reads when late.
    void answer(const std::string& p_strBytes, int p_nEmptyReads = 0);

    std::mutex m_mutex;
    std::string m_strInput;  // bytes of a frame not yet complete
    std::vector<std::string> m_received;
    int m_nHostBaud = 9600;

private:
    std::string m_strOutput;  // answers ready to be read
    std::string m_strLate;    // answers held back by a late one
    int m_nLateReads = 0;     // empty reads still due before m_strLate shows
    std::deque<int> m_faults;
    std::string m_strDevice;
    std::vector<int> m_lineParameters;
    int m_nOpenResult = 0;
};

#endif
