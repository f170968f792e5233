#include "SimITNModule.h"

namespace {

const int kDayNightValue = 0x2A0240;
const int kPicture = 0x1A0001;
const int kDayExposure = 200;
const int kNightExposure = 3000;

}  // namespace

SimITNModule::SimITNModule() : SimCountedModule(3) {
    const int bytes[][2] = {{0x1C0000, 0},    {0x000004, 0},   {0x150025, 1},   {0x150002, 128},
                            {0x150024, 0x88}, {0x130018, 5},   {0x13001B, 128}, {0x1500C4, 1},
                            {0x17009E, 0},    {0x170000, 0},   {0x1A0001, 0},   {0x1A0002, 0},
                            {0x1A0003, 128},  {0x1A0005, 128}, {0x1A0006, 8},   {0x1A0007, 1},
                            {0x1F0000, 0}};
    for (const auto& entry : bytes) {
        m_registers[entry[0]] = entry[1];
    }
    setWord(0x150010, 480);    // maximum gain
    setWord(0x15000C, 25);     // minimum shutter
    setWord(0x15000E, 10000);  // maximum shutter
    setWord(0x150032, 0);      // fixed shutter: auto
    setWord(0x1B0558, 600);
    setWord(0x1B055A, 300);
    const int table[] = {15, 30, 60, 10000};  // no flicker correction
    for (int step = 0; step < 4; ++step) {
        setWord(0x1500BC + 2 * step, table[step]);
    }
}

void SimITNModule::setWord(int p_nAddress, int p_nValue) {
    m_registers[p_nAddress] = (p_nValue >> 8) & 0xFF;
    m_registers[p_nAddress + 1] = p_nValue & 0xFF;
}

int SimITNModule::wordValue(int p_nAddress) {
    return (registerValue(p_nAddress) << 8) | registerValue(p_nAddress + 1);
}

bool SimITNModule::blackAndWhite() {
    return registerValue(kPicture) != 0;
}

bool SimITNModule::computed(int p_nAddress, int p_nCount, std::string& p_strData) {
    if (p_nAddress != kDayNightValue || p_nCount != 6) {
        return false;
    }
    int exposure = m_bSceneDay ? kDayExposure : kNightExposure;
    p_strData.clear();
    for (int shift = 24; shift >= 0; shift -= 8) {
        p_strData += static_cast<char>((exposure >> shift) & 0xFF);
    }
    p_strData += '\0';
    p_strData += m_bSceneDay ? '\x01' : '\x00';
    return true;
}

bool SimITNModule::takesCount(bool p_bRead, int p_nCount) {
    return p_nCount == 1 || p_nCount == 2 || p_nCount == (p_bRead ? 6 : 8);
}

std::string SimITNModule::wrongAnswer(const std::string& p_strRequest) {
    std::string bytes = answer(p_strRequest);
    bytes[0] = '\x08';
    return bytes;
}
