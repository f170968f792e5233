#ifndef SENSORCTL_TRACINGUART_H
#define SENSORCTL_TRACINGUART_H

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>

#include "framework/IUARTController.h"
#include "framework/SafePointer.h"

// How a protocol's frames are shown: as hex bytes ("81 01 04 61 02 FF") or
// as the characters themselves (":WFD9EFF"), and where a received frame ends.
struct TraceFormat {
    bool bText;
    // The length of the complete frame at the start of p_strReceived, or 0
    // while it is incomplete; p_strSent is the last frame written.
    size_t (*frameLength)(const std::string& p_strReceived, const std::string& p_strSent);

    // Frames that end with an FF byte (VISCA and its relatives).
    static size_t untilFF(const std::string& p_strReceived, const std::string& p_strSent);
    // Answers as long as the frame they answer (echoes, hex-text reads).
    static size_t asLongAsSent(const std::string& p_strReceived, const std::string& p_strSent);

    // A frame as a trace line shows it after "tx: ": "81 01 04 61 02 FF" or
    // ":WFD9EFF".
    std::string show(const std::string& p_strBytes) const;
};

// Passes every call to the real port and prints each frame on its way:
//   tx: 81 01 04 61 02 FF
//   rx: 90 41 FF
// Bytes read come in pieces; a received frame is printed once the format
// says it is complete, or, cut short, at the next write or empty read.
class TracingUART : public IUARTController {
public:
    TracingUART(const SafePointer<IUARTController>& p_port, FILE* p_pOut,
                const TraceFormat& p_format);
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
    TraceFormat m_format;
    std::mutex m_mutex;
    std::string m_strSent;
    std::string m_strReceived;
};

#endif
