#ifndef SENSORCTL_HOST_H
#define SENSORCTL_HOST_H

#include <cstdio>
#include <ios>
#include <memory>
#include <stdexcept>
#include <string>

#include "Modules.h"
#include "framework/SensorControllerManager.h"
#include "platform/Clock.h"
#include "sim/SimBoard.h"
#include "sim/SimGPIO.h"
#include "sim/SimSerialPort.h"

// A failure to report on one line of stderr; the exit code says what kind.
class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& p_strMessage, int p_nExitCode = 1)
        : std::runtime_error(p_strMessage), m_nExitCode(p_nExitCode) {}
    int exitCode() const { return m_nExitCode; }

private:
    int m_nExitCode;
};

struct HostOptions {
    std::string strRoot = "./sensorctl-root";
    std::string strModule = "hi351x";
    std::string strDetail;  // empty: the module's default
    std::string strParams;
    int nVideoSystem = 1;
    bool bPrint = false;
    bool bVirtualTime = false;
    std::string strTime;          // "HH:MM": virtual time of day
    int nLight = 100;             // scene brightness 0..100
    bool bVerbose = false;        // let the library's console output through
    std::string strUart;          // a real serial device instead of the simulator
    std::string strLensUart;      // the same for a module's lens line
    std::string strGpio = "sim";  // "sim" or "sysfs"
    bool bTrace = false;          // print every serial frame
};

// sensorctl in the role of the camera's main application: it owns the root
// directory (the simulated flash), the clock, the simulated board, serial
// port and GPIO, and the manager with its controller.
class Host {
public:
    explicit Host(const HostOptions& p_options);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Lays the board tree into the root if needed (first use). Throws
    // CommandError.
    void prepareRoot();
    // prepareRoot, then builds and initialises the controller and lets its
    // first thread cycle finish. Throws CommandError.
    void boot();

    ISensorController& controller();
    // Lets the controller go, as a camera's application does when it shuts
    // down: its threads stop, then it is destroyed. The simulated hardware
    // and the clock stay until the host goes.
    void releaseController();
    SimBoard& board() { return *m_board; }
    SimGPIO& gpio() { return *m_pGpio; }
    // The simulated module on the serial line, or null.
    SimModule* simulator() { return m_pSimulator; }
    VirtualClock* virtualClock() { return m_virtualClock.get(); }
    const std::string& root() const { return m_strRoot; }
    int moduleId() const { return m_module.nModuleId; }
    // The module's sensorctl name ("hi351x"), empty for a bare module id.
    std::string moduleName() const { return m_module.szName; }
    const ModuleInfo& module() const { return m_module; }
    bool firstBoot() const { return m_bFirstBoot; }
    const std::string& detail() const { return m_strDetail; }

    // The background threads running: the controller's day/night thread and
    // any thread of its own (a module poll, say).
    int backgroundThreads();

    // Lets time pass: on the virtual clock the background thread runs
    // through it wait by wait; on the real clock this sleeps.
    void pass(double p_dSeconds);

    // Why the command failed: the first line the controller wrote to its
    // error log since boot, with the serial transport's verdict after it
    // (the per-attempt details are in the log).
    std::string errorSinceBoot() const;
    // The same for what was logged after a mark, for a host that runs on
    // (a service): take the mark before the call that may fail.
    std::streamoff errorLogMark() const;
    std::string errorSince(std::streamoff p_nMark) const;

    // Where sensorctl's own output goes (the original stdout).
    static FILE* out();

private:
    void checkRootModule();
    void recordRootModule();
    void connectBoardPins();
    void wireSerialLine();
    SafePointer<IUARTController> routeLensLine(const SafePointer<IUARTController>& p_line,
                                               const SafePointer<IUARTController>& p_real,
                                               const SimulatorKind& p_kind);
    std::string simulatorStatePath() const;
    void loadSimulatorState();
    void saveSimulatorState();
    void linkRealDevice(const std::string& p_strDevice);
    void waitForFirstCycle();

    HostOptions m_options;
    std::string m_strRoot;
    ModuleInfo m_module;
    std::string m_strDetail;
    bool m_bFirstBoot = false;
    std::streamoff m_nErrorLogSize = 0;
    bool m_bStoredScheme = false;
    int m_nStoredScheme = -2;
    int m_nStoredMode = 1;
    std::unique_ptr<VirtualClock> m_virtualClock;
    SimGPIO* m_pGpio;  // the board's pins, also when the controller has sysfs
    SafePointer<IGPIO> m_simGpio;
    SafePointer<IGPIO> m_gpio;
    SimModule* m_pSimulator = nullptr;
    SafePointer<IUARTController> m_uart;
    std::unique_ptr<SimBoard> m_board;
    std::unique_ptr<SensorControllerManager> m_manager;
    SafePointer<ISensorController> m_controller;
};

// Parses "HH:MM" into hour and minute; throws CommandError.
void parseTimeOfDay(const std::string& p_strText, int& p_nHour, int& p_nMinute);

#endif
