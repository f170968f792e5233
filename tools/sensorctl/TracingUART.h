#ifndef SENSORCTL_TRACINGUART_H
#define SENSORCTL_TRACINGUART_H

#include <cstdio>
#include <mutex>
#include <string>

#include "framework/IUARTController.h"
#include "framework/SafePointer.h"

// Passes every call to the real port and prints each frame on its way:
//   tx: 81 01 04 61 02 FF
//   rx: 90 41 FF
// Bytes read come in pieces; a received frame is printed when its FF
// arrives (or, cut short, when a read comes back empty).
class TracingUART : public IUARTController {
public:
    TracingUART(const SafePointer<IUARTController>& p_port, FILE* p_pOut);
    ~TracingUART() override;

    int open(const std::string& p_strDevice) override;
    void close(int p_nIndex) override;
    int setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                     int p_nParity) override;
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override;
    int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) override;

private:
    void printFrame(const char* p_szDirection, const std::string& p_strBytes);
    void flushReceived();

    SafePointer<IUARTController> m_port;
    FILE* m_pOut;
    std::mutex m_mutex;
    std::string m_strReceived;
};

#endif
