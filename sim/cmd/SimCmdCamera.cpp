#include "SimCmdCamera.h"

#include <cstdlib>

#include "platform/ModuleParameterParser.h"

namespace {

// The CMD modules' command codes and the parameter counts each takes (a bit
// per count). Some codes are a short command on one model and a long one
// on another (A1 defog or saturation), so both counts are taken.
struct CommandShape {
    int nCode;
    unsigned nCounts;
};

const unsigned kShort = 1u << 1;
const unsigned kLong = 1u << 4;

const CommandShape kCommands[] = {
    {0x01, kShort},         {0x06, kShort},         {0x08, kShort}, {0x0B, kShort},
    {0x18, kShort},         {0x19, kShort},         {0x21, kLong},  {0x22, 1u << 0},
    {0x24, 1u << 3},        {0x28, kLong},          {0x2C, kShort}, {0x33, kShort},
    {0x35, kShort},         {0x38, kShort},         {0x39, kShort}, {0x3D, kShort},
    {0x3E, kShort},         {0x42, kLong},          {0x43, kLong},  {0x44, kLong},
    {0x49, kLong},          {0x4A, kLong},          {0x4B, kLong},  {0x4C, kLong},
    {0x4D, kLong},          {0x4E, kLong},          {0x51, kShort}, {0x53, kShort},
    {0x57, kShort},         {0x58, kShort},         {0x5A, kShort}, {0x5B, kShort},
    {0x61, kShort},         {0x62, kShort},         {0x66, kShort}, {0xA1, kShort | kLong},
    {0xA2, kShort | kLong}, {0xA3, kShort | kLong}, {0xA4, kLong},  {0xA5, kShort},
    {0xA6, kShort},
};

const int kNotice = 0x22;
const int kAutoDayNight = 0x51;

const int kBaudRates[] = {9600, 19200, 38400, 115200};

}  // namespace

SimCmdCamera::SimCmdCamera() {
    setSendCompletions(false);
}

void SimCmdCamera::setSceneDark(bool p_bDark) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bSceneDark = p_bDark;
}

bool SimCmdCamera::autoDayNight() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_bAuto;
}

bool SimCmdCamera::reportsNight() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return nightLocked();
}

bool SimCmdCamera::nightLocked() {
    return m_bAuto ? m_bSceneDark : m_bIrCutNight;
}

bool SimCmdCamera::knows(int p_nCode, size_t p_nParameters) {
    for (const CommandShape& shape : kCommands) {
        if (shape.nCode == p_nCode) {
            return p_nParameters < 8 && (shape.nCounts & (1u << p_nParameters)) != 0;
        }
    }
    return false;
}

SimCmdCamera::Messages SimCmdCamera::command(int p_nCode, const std::string& p_strParameters) {
    Messages answer = SimViscaCamera::command(p_nCode, p_strParameters);
    if (p_nCode == kNotice) {
        return Messages();
    }
    if (p_nCode == kAutoDayNight) {
        int value = static_cast<unsigned char>(p_strParameters[0]);
        if (value == 0x02 || value == 0x03) {
            m_bAuto = value == 0x02;
        }
    }
    return answer;
}

SimCmdCamera::Messages SimCmdCamera::inquiry(int p_nCode, const std::string& p_strParameters) {
    if (p_nCode == 0x01 && p_strParameters.empty()) {
        return Messages{reply(nightLocked() ? 0x02 : 0x03, 1)};
    }
    return SimViscaCamera::inquiry(p_nCode, p_strParameters);
}

std::string SimCmdCamera::saveState() {
    std::string state = SimViscaCamera::saveState();
    int index = registerValue(0x00);
    int baud = index >= 0 && index < 4 ? kBaudRates[index] : kBaudRates[0];
    std::lock_guard<std::mutex> guard(m_mutex);
    return state + ";auto=" + (m_bAuto ? "1" : "0") +
           ";scene=" + (m_bSceneDark ? "dark" : "light") + ";baud=" + std::to_string(baud);
}

void SimCmdCamera::loadState(const std::string& p_strState) {
    SimViscaCamera::loadState(p_strState);
    ModuleParameterParser state;
    if (!state.parse(p_strState)) {
        return;
    }
    std::string value;
    if (state.getValue("baud", value)) {
        int baud = std::atoi(value.c_str());
        for (int index = 0; index < 4; ++index) {
            if (kBaudRates[index] == baud) {
                setBaudIndex(index);
            }
        }
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    if (state.getValue("auto", value)) {
        m_bAuto = value == "1";
    }
    if (state.getValue("scene", value)) {
        m_bSceneDark = value == "dark";
    }
}
