#ifndef SENSORCONTROL_SIM_HEXTEXT_SIMHEXTEXTMODULE_H
#define SENSORCONTROL_SIM_HEXTEXT_SIMHEXTEXTMODULE_H

#include <map>
#include <string>
#include <vector>

#include "../SimLineModule.h"

// A camera module that takes hex-text commands, as a register file:
//   ":W" rrrr v..  / ":w" rrrr v..   register rrrr = v, echoed exactly
//   ":R" rrrr 0..                    answered with the same length, the
//                                    register's value in the zeros' place
//   ":r" ...                         taken, not answered (init complete)
//   a byte >= 80 (hex) first         a raw frame (mask A1 xx yy FF, lamp
//                                    FE .. FF, up to its FF), echoed
// Anything else between frames ("MENUON", line noise) is dropped. A text
// frame ends where the next ':' starts, or with the bytes of one write when
// it has at least 8 characters. The module only hears a line at its own
// settings (9600 8N1 unless set).
//
// Each member starts with the registers its controller reads at start-up
// set as they are for the video system given, so a fresh module needs no
// video-standard change. Faults can be queued for the next answers.
class SimHexTextModule : public SimLineModule {
public:
    enum Member { CMD7200, HITACH_COMPAT, HITACH, SC110N };
    enum Fault {
        FAULT_SILENT,             // no answer
        FAULT_CHANGED_CHARACTER,  // the answer's last character changed
        FAULT_WRONG_PREFIX,       // the register's last digit one lower (:RFFE601 for FFE7)
        FAULT_NOISE,              // a few stray bytes before the answer
        FAULT_LATE                // the answer shows only after one empty read
    };

    // Registers of every member's start-up.
    enum {
        REG_DAYNIGHT = 0xFFE7,      // 1 day, 0 night
        REG_DAYNIGHT_OLD = 0xFFE6,  // C0 day, 80 night
        REG_VIDEO = 0xFFFE,
        REG_VIDEO_SYSTEM = 0x1701,
        REG_VIDEO_FORMAT = 0xFCC0,
        REG_VERSION = 0xE1EE,
        REG_GAIN = 0xFB38
    };

    explicit SimHexTextModule(Member p_eMember = CMD7200, int p_nVideoSystem = 1);

    // Every register ("FFE7=01;..."), and "silent=1" while silent.
    std::string saveState() override;
    void loadState(const std::string& p_strState) override;

    // Faults apply to the next answered frames, in the order queued.
    void injectFault(Fault p_fault, int p_nCount = 1);
    // A module that answers nothing until told otherwise (hung, unplugged).
    void setSilent(bool p_bSilent);

    void setRegister(int p_nRegister, int p_nValue);
    // 0 for a register never set.
    int registerValue(int p_nRegister);
    bool hasRegister(int p_nRegister);
    // FFE7 and FFE6 as the module reports day or night.
    void setDayNight(bool p_bDay);

protected:
    std::vector<int> randomFaults() const override;

private:
    void consumeInput() override;
    void take(const std::string& p_strFrame);
    std::string answerTo(const std::string& p_strFrame);
    void emit(std::string p_strAnswer, int p_nFault);

    std::map<int, int> m_registers;
    bool m_bSilent = false;
};

#endif
