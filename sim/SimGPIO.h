#ifndef SENSORCONTROL_SIM_SIMGPIO_H
#define SENSORCONTROL_SIM_SIMGPIO_H

#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "framework/IGPIO.h"

// Simulated GPIO lines: levels you can read and set, a history of every level
// written, and failure injection per pin.
class SimGPIO : public IGPIO {
public:
    struct Write {
        int nGroup;
        int nPin;
        int nLevel;
    };

    int start() override;
    int stop() override;
    int setLevel(int p_nGroup, int p_nPin, int p_nLevel) override;
    int getLevel(int p_nGroup, int p_nPin, int& p_nLevel) override;

    // The level a pin stands at (0 until set), as an input or after a write.
    int level(int p_nGroup, int p_nPin);
    void setInput(int p_nGroup, int p_nPin, int p_nLevel);
    // From now on setLevel / getLevel of the pin fail.
    void failWrites(int p_nGroup, int p_nPin, bool p_bFail = true);
    void failReads(int p_nGroup, int p_nPin, bool p_bFail = true);
    void setStartResult(int p_nResult);

    std::vector<Write> writes();
    void clearWrites();
    int startCalls();

private:
    typedef std::pair<int, int> Pin;
    std::mutex m_mutex;
    std::map<Pin, int> m_levels;
    std::map<Pin, bool> m_failWrites;
    std::map<Pin, bool> m_failReads;
    std::vector<Write> m_writes;
    int m_nStartResult = 1;
    int m_nStartCalls = 0;
};

#endif
