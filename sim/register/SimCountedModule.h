#ifndef SENSORCONTROL_SIM_REGISTER_SIMCOUNTEDMODULE_H
#define SENSORCONTROL_SIM_REGISTER_SIMCOUNTEDMODULE_H

#include <string>

#include "../SimGPIO.h"
#include "SimRegisterModule.h"

// What the IT1 and ITN modules share: requests and replies that start with
// their own length, and a day/night judgement of the scene.
//   request  length, 01, length - 3, op (01 read, 02 write), address (2 or
//            3 bytes, high first), data count (read) or data (write), cs
//   reply    count, 01, count - 3, status, data, cs
// cs is the 8-bit sum of the bytes before it. Status 01 is done, 00 refused:
// a bad checksum, an unknown register or a length the module does not
// take. A read of n bytes gives the n registers from the address on; a
// write sets them. The error-status fault answers refused; the wrong-code
// fault answers a read with a write's reply and a write with a read's.
// The scene is day or night; the module reports it (each protocol in its
// own register) and, when attached, drives a GPIO level input to it.
class SimCountedModule : public SimRegisterModule {
public:
    void setSceneDay(bool p_bDay);
    bool sceneDay();
    // The level the scene puts on a GPIO pin: p_nDayLevel by day, the other
    // level by night.
    void attachLevelOutput(SimGPIO* p_pGpio, int p_nGroup, int p_nPin, int p_nDayLevel);

protected:
    explicit SimCountedModule(int p_nAddressBytes) : m_nAddressBytes(p_nAddressBytes) {}

    // A register the module computes, not one it stores; false for a stored
    // one. Called under the lock.
    virtual bool computed(int p_nAddress, int p_nCount, std::string& p_strData) {
        (void)p_nAddress;
        (void)p_nCount;
        (void)p_strData;
        return false;
    }
    // Whether the module takes reads and writes of this many bytes.
    virtual bool takesCount(bool p_bRead, int p_nCount) = 0;

    int requestLength(const std::string& p_strInput) override;
    std::string answer(const std::string& p_strRequest) override;
    std::string errorAnswer(const std::string& p_strRequest) override;
    std::string wrongAnswer(const std::string& p_strRequest) override;
    void saveExtra(std::string& p_strState) override;
    void loadExtra(const ModuleParameterParser& p_state) override;

    static std::string reply(int p_nStatus, const std::string& p_strData);
    void setTwoBytes(int p_nAddress, int p_nValue);

    bool m_bSceneDay = true;

private:
    void driveLevel();

    int m_nAddressBytes;
    SimGPIO* m_pGpio = nullptr;
    int m_nGroup = 0;
    int m_nPin = 0;
    int m_nDayLevel = 1;
};

#endif
