#ifndef SENSORCONTROL_SIM_SIMSERIALPORT_H
#define SENSORCONTROL_SIM_SIMSERIALPORT_H

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "framework/IUARTController.h"

// A scripted serial port. Every write is recorded; each write then releases
// the next scripted answer into the receive buffer, which reads drain. Faults
// can be injected: silence (reads return nothing), short reads (at most n
// bytes per read), a wrong byte in the next answer, short writes, and a port
// that does not open.
class SimSerialPort : public IUARTController {
public:
    int open(const std::string& p_strDevice) override;
    void close(int p_nIndex) override;
    int setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                     int p_nParity) override;
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override;
    int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) override;

    // The answer to the next write that has none yet.
    void scriptAnswer(const std::string& p_strBytes);
    // Bytes that are waiting in the receive buffer now.
    void feed(const std::string& p_strBytes);
    void setSilent(bool p_bSilent);
    void setShortRead(int p_nMaxBytes);  // 0: no limit
    // The next answer released has this byte replaced.
    void corruptNextAnswer(size_t p_nOffset, char p_byte);
    void setWriteLimit(int p_nMaxBytes);  // -1: no limit
    void setOpenResult(int p_nIndex);

    std::vector<std::string> writes();
    std::string opened();
    std::vector<int> lineParameters();  // baud, data bits, stop bits, parity
    size_t pendingBytes();

private:
    std::mutex m_mutex;
    std::deque<std::string> m_script;
    std::string m_rx;
    std::vector<std::string> m_writes;
    std::string m_strDevice;
    std::vector<int> m_lineParameters;
    bool m_bSilent = false;
    int m_nShortRead = 0;
    bool m_bCorrupt = false;
    size_t m_nCorruptOffset = 0;
    char m_corruptByte = 0;
    int m_nWriteLimit = -1;
    int m_nOpenResult = 0;
};

#endif
