#ifndef SENSORCONTROL_SIM_VISCA_SIMVISCACAMERA_H
#define SENSORCONTROL_SIM_VISCA_SIMVISCACAMERA_H

#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "../SimLineModule.h"

// A Sony block camera on a VISCA serial line, with the IR lamp board that
// shares the line and the privacy-mask echo of the zoom modules.
//
// Bytes written to it are cut into frames and each complete frame is
// answered at once into a receive buffer that reads drain:
//   81 01 04 cc .. FF  command: 90 41 FF, then 90 51 FF
//   81 09 04 cc .. FF  inquiry: 90 50 .. FF
//   FE payload cs FF   IR board (cs = 8-bit sum of the payload): 90 41 FF
//   A1 xx yy FF        privacy mask: echoed
//   anything else      90 60 02 FF (syntax error)
// Bytes with the top bit clear before a frame's first byte are dropped, as a
// camera waiting for a header byte ignores them.
// The camera only hears a host port set to its own line (the rate in its
// rate register), and goes silent for a while when it restarts. Faults can be queued for the next
// answers.
class SimViscaCamera : public SimLineModule {
public:
    enum Fault {
        FAULT_SILENT,            // no answer
        FAULT_COMPLETION_FIRST,  // 90 51 FF before 90 41 FF
        FAULT_NOISE,             // a few non-90 bytes before the answer
        FAULT_CORRUPT,           // one byte of the answer changed (90 41 FF -> 90 4F FF)
        FAULT_LATE,              // the answer appears only after two empty reads
        FAULT_SYNTAX_ERROR,      // 90 60 02 FF instead of the answer
        FAULT_COMPLETION_ONLY,   // 90 51 FF in place of 90 41 FF
        FAULT_REFUSED_AFTER_ACK  // 90 41 FF, then 90 61 41 FF (not executable) for the completion
    };

    SimViscaCamera();

    // Zoom and focus position and the IR-cut state.
    std::string saveState() override;
    void loadState(const std::string& p_strState) override;
    // Besides the saved state: the last parameters of each command code
    // ("c4A" = "00 00 01 05"), the registers ("r72" = "8"), the lamps and the
    // IR board's mode. A command code stands for one setting; codes that
    // several settings share show the last one sent.
    std::map<std::string, std::string> heldValues() override;

    // 0 = 9600, 1 = 19200, 2 = 38400, 3 = 115200; at once, no restart.
    void setBaudIndex(int p_nIndex);
    void setSendCompletions(bool p_bSend);
    // Platform clock seconds the camera stays silent after a restart.
    void setRestartSeconds(double p_dSeconds);
    // Faults apply to the next answered frames, in the order queued.
    void injectFault(Fault p_fault, int p_nCount = 1);

    // Registers as the running camera uses them; setRegister takes effect at
    // once and drops a value waiting for the restart.
    void setRegister(int p_nRegister, int p_nValue);
    int registerValue(int p_nRegister);
    void setZoomPosition(int p_nPosition);
    int zoomPosition();
    void setFocusPosition(int p_nPosition);
    int focusPosition();
    void setIrCutNight(bool p_bNight);
    bool irCutNight();
    // The raw gain byte the 4C inquiry reports.
    void setGain(int p_nGain);

    // 2 day, 1 night, 0 auto as last set over the FE protocol; -1 before.
    int irBoardMode();
    // The value of the last lamp frame with this code (06 near, 07 middle,
    // 08 far, 01 power mode); -1 before.
    int lampValue(int p_nCode);
    // The parameter bytes of the last accepted command with this code.
    std::string commandParameters(int p_nCode);
    int commandCount(int p_nCode);
    // Every mask frame echoed, in order.
    std::vector<std::string> maskFrames();

    int restarts();
    bool restarting();

protected:
    typedef std::vector<std::string> Messages;

    // Whether a command with this code and this many parameter bytes is one
    // the camera has; the others are refused as syntax errors.
    virtual bool knows(int p_nCode, size_t p_nParameters);
    // A known command's effect and answer; called with m_mutex held.
    virtual Messages command(int p_nCode, const std::string& p_strParameters);
    // An inquiry's reply; called with m_mutex held.
    virtual Messages inquiry(int p_nCode, const std::string& p_strParameters);
    Messages acknowledged() const;
    // 90 50, p_nValue as p_nCount nibbles, FF.
    static std::string reply(int p_nValue, int p_nCount);
    static Messages syntaxError();
    std::vector<int> randomFaults() const override;

    bool m_bIrCutNight = false;

private:
    void updateRestart();
    void startRestart();
    bool hears() override;
    int moduleBaudRate() override;
    bool setModuleBaudRate(int p_nBaudRate) override;
    void consumeInput() override;
    void take(const std::string& p_strFrame);
    Messages execute(const std::string& p_strFrame);
    Messages irBoard(const std::string& p_strFrame);
    void emit(Messages p_messages, int p_nFault);

    std::vector<std::string> m_masks;
    std::map<int, std::string> m_commandParameters;
    std::map<int, int> m_commandCounts;
    std::map<int, int> m_registers;
    std::map<int, int> m_pendingRegisters;
    std::map<int, int> m_lamps;
    bool m_bSendCompletions = true;
    double m_dRestartSeconds = 20.0;
    bool m_bRestarting = false;
    double m_dRestartEnd = 0.0;
    int m_nRestarts = 0;
    int m_nZoom = 0;
    int m_nFocus = 0;
    int m_nGain = 0;
    int m_nIrBoardMode = -1;
};

#endif
