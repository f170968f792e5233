#include "SimIT1Module.h"

namespace {

const int kDayNightState = 0x1413;
const size_t kLongestLensFrame = 16;

}  // namespace

SimIT1Module::SimIT1Module() : SimCountedModule(2) {
    m_registers[0x0100] = 0x00;  // NTSC
    m_registers[0x0101] = 0x21;  // colour
    m_registers[0x0A01] = 0x01;  // video iris, auto shutter
    m_registers[0x0A03] = 0x80;
    setTwoBytes(0x0A08, 25);
    setTwoBytes(0x0A0C, 10000);
    setTwoBytes(0x0A15, 480);
    m_registers[0x0A27] = 10;  // iris speed 3
    m_registers[0x0A28] = 20;
    m_registers[0x0A29] = 32;
    m_registers[0x0A2A] = 32;
    m_registers[0x0B00] = 0;
    m_registers[0x1402] = 8;
    m_registers[0x1403] = 4;
    m_registers[0x1410] = 0;
    m_registers[0x1411] = 0x30;
    m_registers[0x1412] = 0x60;
    const int chroma[][2] = {{0x141F, 0x140}, {0x1421, 0x120}, {0x1423, 0x130}, {0x1425, 0x110},
                             {0x1432, 0x150}, {0x1434, 0x128}, {0x1436, 0x138}, {0x1438, 0x118}};
    for (const auto& entry : chroma) {
        setTwoBytes(entry[0], entry[1]);
    }
    m_registers[0x1500] = 0x40;
    m_registers[0x1604] = 0x2D;
    m_registers[0x1C03] = 0x80;
}

bool SimIT1Module::blackAndWhite() {
    return (registerValue(0x0101) & 0x40) != 0;
}

std::vector<std::string> SimIT1Module::lensFrames() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_lensFrames;
}

bool SimIT1Module::computed(int p_nAddress, int p_nCount, std::string& p_strData) {
    if (p_nAddress != kDayNightState || p_nCount != 1) {
        return false;
    }
    p_strData = std::string(1, m_bSceneDay ? '\x01' : '\x00');
    return true;
}

bool SimIT1Module::takesCount(bool, int p_nCount) {
    return p_nCount == 1 || p_nCount == 2;
}

void SimIT1Module::takeOtherLine(int, const std::string& p_strBytes) {
    m_strLensInput += p_strBytes;
    for (size_t end = m_strLensInput.find('\xFF'); end != std::string::npos;
         end = m_strLensInput.find('\xFF')) {
        m_lensFrames.push_back(m_strLensInput.substr(0, end + 1));
        m_strLensInput.erase(0, end + 1);
    }
    if (m_strLensInput.size() > kLongestLensFrame) {
        m_strLensInput.clear();
    }
}
