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

void SimRegisterModule::consumeInput() {
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
}

void SimRegisterModule::take(const std::string& p_strRequest) {
    m_received.push_back(p_strRequest);
    int fault = nextFault();
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
    output(reply, fault == FAULT_LATE ? 2 : 0);
}

std::vector<int> SimRegisterModule::randomFaults() const {
    return {FAULT_SILENT,     FAULT_SHORT, FAULT_BAD_CHECKSUM, FAULT_ERROR_STATUS,
            FAULT_WRONG_CODE, FAULT_NOISE, FAULT_LATE};
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

void SimRegisterModule::injectFault(Fault p_fault, int p_nCount) {
    std::lock_guard<std::mutex> guard(m_mutex);
    queueFault(p_fault, p_nCount);
}

void SimRegisterModule::clearFaults() {
    std::lock_guard<std::mutex> guard(m_mutex);
    clearQueuedFaults();
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
