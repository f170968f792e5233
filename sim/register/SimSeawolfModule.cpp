#include "SimSeawolfModule.h"

namespace {

const int kRead = 0x02;
const int kWrite = 0x01;
const char kAck[] = "\x01";
const char kError[] = "\x03";
const char kChecksumError[] = "\x04\x01";
const int kDayNightState = 0x0305;
const int kDirection = 0x0402;
const int kVideoSystem = 0x0501;
const char kVersion[] = {2, 1, 0, 7};

int complement(const std::string& p_strBytes, size_t p_nCount) {
    return ~simSum(p_strBytes, p_nCount) & 0xFF;
}

}  // namespace

SimSeawolfModule::SimSeawolfModule() {
    const int items[][2] = {{0x0101, 0}, {0x0102, 5}, {0x0103, 5},   {0x0104, 1},  {0x0105, 1},
                            {0x0106, 5}, {0x0107, 0}, {0x0108, 0},   {0x0201, 0},  {0x0202, 3},
                            {0x0203, 0}, {0x0204, 0}, {0x0205, 8},   {0x0206, 0},  {0x0207, 0},
                            {0x0301, 0}, {0x0302, 0}, {0x0303, 160}, {0x0304, 80}, {0x0401, 0},
                            {0x0402, 0}, {0x0403, 0}, {0x0501, 0}};
    for (const auto& item : items) {
        m_registers[item[0]] = item[1];
    }
}

void SimSeawolfModule::setSceneDay(bool p_bDay) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bSceneDay = p_bDay;
}

std::string SimSeawolfModule::directions() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_strDirections;
}

int SimSeawolfModule::requestLength(const std::string& p_strInput) {
    int first = simByte(p_strInput, 0);
    return first == 0x03 ? 5 : first == 0x04 ? 6 : -1;
}

std::string SimSeawolfModule::data(const std::string& p_strBytes) {
    std::string bytes("\x02", 1);
    bytes += static_cast<char>(p_strBytes.size());
    bytes += p_strBytes;
    bytes += static_cast<char>(complement(bytes, bytes.size()));
    return bytes;
}

std::string SimSeawolfModule::answer(const std::string& p_strRequest) {
    size_t length = p_strRequest.size();
    if (simByte(p_strRequest, length - 1) != complement(p_strRequest, length - 1)) {
        return std::string(kChecksumError, 2);
    }
    int op = simByte(p_strRequest, 1);
    int item = key(simByte(p_strRequest, 2), simByte(p_strRequest, 3));
    if (op == kRead && length == 5) {
        if (item == 0x000F) {
            return data(std::string(kVersion, sizeof(kVersion)));
        }
        if (item == kDayNightState) {
            return data(std::string(1, m_bSceneDay ? '\x01' : '\x00'));
        }
        if (item == kVideoSystem && m_nPendingVideoSystem >= 0) {
            // Still restarting its video: the old value, once.
            std::string old = data(std::string(1, static_cast<char>(m_registers[item])));
            m_registers[item] = m_nPendingVideoSystem;
            m_nPendingVideoSystem = -1;
            return old;
        }
        auto found = m_registers.find(item);
        return found == m_registers.end() ? std::string(kError)
                                          : data(std::string(1, static_cast<char>(found->second)));
    }
    if (op != kWrite || length != 6 || m_registers.find(item) == m_registers.end()) {
        return std::string(kError);
    }
    int value = simByte(p_strRequest, 4);
    if (item == kVideoSystem) {
        m_nPendingVideoSystem = value;
    } else {
        m_registers[item] = value;
    }
    if (item == kDirection) {
        m_strDirections += static_cast<char>('0' + value % 10);
    }
    return std::string(kAck);
}

std::string SimSeawolfModule::errorAnswer(const std::string&) {
    return std::string(kError);
}

std::string SimSeawolfModule::wrongAnswer(const std::string&) {
    return std::string("\x09");
}
