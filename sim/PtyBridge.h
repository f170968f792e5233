#ifndef SENSORCONTROL_SIM_PTYBRIDGE_H
#define SENSORCONTROL_SIM_PTYBRIDGE_H

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "framework/IUARTController.h"

// Puts a module simulator behind a pseudo-terminal, so that a real serial
// port (termios on the slave side) talks to it end to end. A forwarding
// thread hands the bytes written to the slave to the module and writes the
// module's answers back. The line settings the slave side is given (speed,
// data bits, stop bits, parity) are passed on to the module's setParameter
// before the bytes they carry, so a port at the wrong speed hears nothing, as
// on a real line. A pseudo-terminal keeps no data-bit count and no even
// parity: those reach the module as 8 bits and no parity.
class PtyBridge {
public:
    explicit PtyBridge(IUARTController& p_module);
    ~PtyBridge();
    PtyBridge(const PtyBridge&) = delete;
    PtyBridge& operator=(const PtyBridge&) = delete;

    // Opens the pseudo-terminal (raw, 9600 8N1) and starts forwarding; false
    // when it cannot, or when already started.
    bool start();
    // The slave device to open, such as "/dev/pts/5"; empty before start().
    std::string slavePath() const { return m_strSlavePath; }
    // Stops and joins the thread and closes the terminal; also on destruction.
    void stop();

private:
    void run();
    void passLineSettings();
    void writeToMaster(const char* p_pBytes, size_t p_nLength);
    void closeTerminal();

    IUARTController& m_module;
    int m_nMaster = -1;
    // Held open so that the master never sees a hang-up while no client has
    // the slave open, and so its line settings can be read.
    int m_nSlave = -1;
    int m_nModuleIndex = -1;
    std::string m_strSlavePath;
    std::vector<int> m_lineSettings;  // the last passed on to the module
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

#endif
