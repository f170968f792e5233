#include "SimRegisterModule.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Never a valid first byte of a request or an answer of these protocols.
const char kNoise[] = "\x3C\x00\xA5";

}  // namespace

int simSum(const std::string& p_strBytes, size_t p_nCount) {
    int sum = 0;
    for (size_t index = 0; index < p_nCount && index < p_strBytes.size(); ++index) {
        sum += simByte(p_strBytes, index);
    }
    return sum & 0xFF;
}

int SimRegisterModule::open(const std::string& p_strDevice) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_nOpenResult < 0) {
        return m_nOpenResult;
    }
    auto found = std::find(m_devices.begin(), m_devices.end(), p_strDevice);
    if (found != m_devices.end()) {
        return static_cast<int>(found - m_devices.begin());
    }
    m_devices.push_back(p_strDevice);
    return static_cast<int>(m_devices.size() - 1);
}

void SimRegisterModule::close(int) {}

int SimRegisterModule::setParameter(int p_nIndex, int p_nBaudRate, int p_nDataBits, int p_nStopBits,
                                    int p_nParity) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (p_nIndex == 0) {
        m_lineParameters = {p_nBaudRate, p_nDataBits, p_nStopBits, p_nParity};
    }
    return 1;
}

int SimRegisterModule::write(int p_nIndex, const char* p_pBytes, int p_nLength) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (p_pBytes == nullptr || p_nLength < 0) {
        return -1;
    }
    if (p_nIndex != 0) {
        takeOtherLine(std::string(p_pBytes, static_cast<size_t>(p_nLength)));
        return p_nLength;
    }
    m_strInput.append(p_pBytes, static_cast<size_t>(p_nLength));
    while (!m_strInput.empty()) {
        int length = requestLength(m_strInput);
        if (length < 0) {
            m_strInput.erase(0, 1);
            continue;
        }
        if (length == 0 || static_cast<size_t>(length) > m_strInput.size()) {
            break;
        }
        std::string request = m_strInput.substr(0, static_cast<size_t>(length));
        m_strInput.erase(0, static_cast<size_t>(length));
        take(request);
    }
    return p_nLength;
}

void SimRegisterModule::take(const std::string& p_strRequest) {
    m_received.push_back(p_strRequest);
    if (m_faults.empty()) {
        m_strOutput += answer(p_strRequest);
        return;
    }
    Fault fault = m_faults.front();
    m_faults.pop_front();
    std::string reply;
    switch (fault) {
        case FAULT_SILENT:
            return;
        case FAULT_ERROR_STATUS:
            reply = errorAnswer(p_strRequest);
            break;
        case FAULT_WRONG_CODE:
            answer(p_strRequest);
            reply = wrongAnswer(p_strRequest);
            break;
        default:
            reply = answer(p_strRequest);
            break;
    }
    if (fault == FAULT_SHORT && !reply.empty()) {
        reply.pop_back();
    } else if (fault == FAULT_BAD_CHECKSUM && !reply.empty()) {
        reply.back() = static_cast<char>(~reply.back());
    } else if (fault == FAULT_NOISE) {
        reply.insert(0, kNoise, sizeof(kNoise) - 1);
    }
    m_strOutput += reply;
}

int SimRegisterModule::read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (p_nIndex != 0 || p_pBuffer == nullptr || p_nMaxLength <= 0) {
        return 0;
    }
    size_t count = std::min(m_strOutput.size(), static_cast<size_t>(p_nMaxLength));
    std::memcpy(p_pBuffer, m_strOutput.data(), count);
    m_strOutput.erase(0, count);
    return static_cast<int>(count);
}

std::string SimRegisterModule::saveState() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::string state;
    char entry[32];
    for (const auto& reg : m_registers) {
        std::snprintf(entry, sizeof(entry), "%sr%X=%d", state.empty() ? "" : ";", reg.first,
                      reg.second);
        state += entry;
    }
    saveExtra(state);
    return state;
}

void SimRegisterModule::loadState(const std::string& p_strState) {
    ModuleParameterParser state;
    if (!state.parse(p_strState)) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    for (const auto& entry : state.getAll()) {
        char* end = nullptr;
        if (entry.first.size() < 2 || entry.first[0] != 'r') {
            continue;
        }
        long address = std::strtol(entry.first.c_str() + 1, &end, 16);
        if (*end != '\0' || address < 0) {
            continue;
        }
        m_registers[static_cast<int>(address)] = std::atoi(entry.second.c_str()) & 0xFF;
    }
    loadExtra(state);
}

void SimRegisterModule::setOpenResult(int p_nIndex) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nOpenResult = p_nIndex;
}

void SimRegisterModule::injectFault(Fault p_fault, int p_nCount) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_faults.insert(m_faults.end(), static_cast<size_t>(std::max(p_nCount, 0)), p_fault);
}

void SimRegisterModule::clearFaults() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_faults.clear();
}

void SimRegisterModule::setRegister(int p_nAddress, int p_nValue) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_registers[p_nAddress] = p_nValue & 0xFF;
}

int SimRegisterModule::registerValue(int p_nAddress) {
    std::lock_guard<std::mutex> guard(m_mutex);
    auto found = m_registers.find(p_nAddress);
    return found == m_registers.end() ? 0 : found->second;
}

std::vector<std::string> SimRegisterModule::received() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_received;
}

void SimRegisterModule::clearReceived() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_received.clear();
}

std::vector<std::string> SimRegisterModule::opened() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_devices;
}

std::vector<int> SimRegisterModule::lineParameters() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_lineParameters;
}

size_t SimRegisterModule::pendingBytes() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_strOutput.size();
}
