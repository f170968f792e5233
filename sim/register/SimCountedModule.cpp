#include "SimCountedModule.h"

namespace {

const int kRead = 0x01;
const int kWrite = 0x02;
const int kDone = 0x01;
const int kRefused = 0x00;
const int kLongestRequest = 0x20;

}  // namespace

void SimCountedModule::setSceneDay(bool p_bDay) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bSceneDay = p_bDay;
    driveLevel();
}

bool SimCountedModule::sceneDay() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_bSceneDay;
}

void SimCountedModule::attachLevelOutput(SimGPIO* p_pGpio, int p_nGroup, int p_nPin,
                                         int p_nDayLevel) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_pGpio = p_pGpio;
    m_nGroup = p_nGroup;
    m_nPin = p_nPin;
    m_nDayLevel = p_nDayLevel;
    driveLevel();
}

void SimCountedModule::driveLevel() {
    if (m_pGpio != nullptr) {
        m_pGpio->setInput(m_nGroup, m_nPin, m_bSceneDay ? m_nDayLevel : 1 - m_nDayLevel);
    }
}

void SimCountedModule::setTwoBytes(int p_nAddress, int p_nValue) {
    m_registers[p_nAddress] = p_nValue & 0xFF;
    m_registers[p_nAddress + 1] = (p_nValue >> 8) & 0xFF;
}

int SimCountedModule::requestLength(const std::string& p_strInput) {
    int length = simByte(p_strInput, 0);
    return length >= 5 + m_nAddressBytes && length <= kLongestRequest ? length : -1;
}

std::string SimCountedModule::reply(int p_nStatus, const std::string& p_strData) {
    std::string bytes;
    int count = static_cast<int>(p_strData.size()) + 5;
    bytes += static_cast<char>(count);
    bytes += '\x01';
    bytes += static_cast<char>(count - 3);
    bytes += static_cast<char>(p_nStatus);
    bytes += p_strData;
    bytes += static_cast<char>(simSum(bytes, bytes.size()));
    return bytes;
}

std::string SimCountedModule::answer(const std::string& p_strRequest) {
    size_t length = p_strRequest.size();
    size_t header = 4 + static_cast<size_t>(m_nAddressBytes);
    if (simByte(p_strRequest, length - 1) != simSum(p_strRequest, length - 1) ||
        simByte(p_strRequest, 1) != 0x01 ||
        simByte(p_strRequest, 2) != static_cast<int>(length) - 3) {
        return reply(kRefused, "");
    }
    int address = 0;
    for (size_t index = 4; index < header; ++index) {
        address = (address << 8) | simByte(p_strRequest, index);
    }
    int op = simByte(p_strRequest, 3);
    if (op == kRead && length == header + 2) {
        int count = simByte(p_strRequest, header);
        std::string data;
        if (!takesCount(true, count)) {
            return reply(kRefused, "");
        }
        if (computed(address, count, data)) {
            return reply(kDone, data);
        }
        for (int offset = 0; offset < count; ++offset) {
            auto found = m_registers.find(address + offset);
            if (found == m_registers.end()) {
                return reply(kRefused, "");
            }
            data += static_cast<char>(found->second);
        }
        return reply(kDone, data);
    }
    int count = static_cast<int>(length - header - 1);
    if (op != kWrite || !takesCount(false, count)) {
        return reply(kRefused, "");
    }
    for (int offset = 0; offset < count; ++offset) {
        if (m_registers.find(address + offset) == m_registers.end()) {
            return reply(kRefused, "");
        }
    }
    for (int offset = 0; offset < count; ++offset) {
        m_registers[address + offset] = simByte(p_strRequest, header + static_cast<size_t>(offset));
    }
    return reply(kDone, "");
}

std::string SimCountedModule::errorAnswer(const std::string&) {
    return reply(kRefused, "");
}

std::string SimCountedModule::wrongAnswer(const std::string& p_strRequest) {
    return simByte(p_strRequest, 3) == kRead ? reply(kDone, "")
                                             : reply(kDone, std::string(1, '\0'));
}

void SimCountedModule::saveExtra(std::string& p_strState) {
    p_strState += m_bSceneDay ? ";scene=day" : ";scene=night";
}

void SimCountedModule::loadExtra(const ModuleParameterParser& p_state) {
    std::string scene;
    if (p_state.getValue("scene", scene)) {
        m_bSceneDay = scene != "night";
        driveLevel();
    }
}
