#ifndef SENSORCTL_LINEROUTER_H
#define SENSORCTL_LINEROUTER_H

#include <mutex>
#include <string>
#include <vector>

#include "framework/IUARTController.h"
#include "framework/SafePointer.h"

// The one port a controller gets when its module's two lines sit on two
// ports (the registers simulated and the lens on a real device, or the other
// way round): p_strDevice opens on p_routed, every other device on p_main,
// and the index handed out takes each later call to the port it came from.
class LineRouter : public IUARTController {
public:
    LineRouter(const SafePointer<IUARTController>& p_main, const std::string& p_strDevice,
               const SafePointer<IUARTController>& p_routed);

    int open(const std::string& p_strDevice) override;
    void close(int p_nIndex) override;
    int setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                     int p_nParity) override;
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override;
    int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) override;

private:
    struct Line {
        IUARTController* pPort;  // null once closed
        int nIndex;              // the port's own
    };

    // The line behind one of our indexes, with a null port for an index never
    // handed out or closed.
    Line line(int p_nIndex);

    SafePointer<IUARTController> m_main;
    std::string m_strDevice;
    SafePointer<IUARTController> m_routed;
    // Opened at init, used from the controller's threads after.
    std::mutex m_mutex;
    std::vector<Line> m_lines;
};

#endif
