#include "SimHexTextModule.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/ModuleParameterParser.h"

namespace {

// ":W" + register + 2 digits: a text frame is at least this long.
const size_t kShortestText = 8;
// A raw frame never gets this long; without its FF its first byte is dropped.
const size_t kLongestRaw = 16;
// Never ':', so the reader skips them with the answer.
const char kNoise[] = "\x00\xFF#";

bool isHex(const std::string& p_strText) {
    return !p_strText.empty() && std::all_of(p_strText.begin(), p_strText.end(), [](char p_c) {
        return std::isxdigit(static_cast<unsigned char>(p_c)) != 0;
    });
}

int hexValue(const std::string& p_strText) {
    return static_cast<int>(std::strtol(p_strText.c_str(), nullptr, 16));
}

std::string hexText(int p_nValue, int p_nDigits) {
    char text[16];
    std::snprintf(text, sizeof(text), "%0*X", p_nDigits, static_cast<unsigned int>(p_nValue));
    std::string digits(text);
    return digits.substr(digits.size() - static_cast<size_t>(p_nDigits));
}

bool isRaw(const std::string& p_strFrame) {
    return !p_strFrame.empty() && static_cast<unsigned char>(p_strFrame[0]) >= 0x80;
}

}  // namespace

SimHexTextModule::SimHexTextModule(Member p_eMember, int p_nVideoSystem) {
    bool ntsc = p_nVideoSystem == 0;  // as the members' controllers read it, at 1280x720
    m_registers[REG_DAYNIGHT] = 1;
    m_registers[REG_DAYNIGHT_OLD] = 0xC0;
    m_registers[REG_VERSION] = 107;
    m_registers[REG_GAIN] = 8 * 32;
    switch (p_eMember) {
        case CMD7200:
            m_registers[REG_VIDEO] = ntsc ? 0x03 : 0x01;
            break;
        case HITACH_COMPAT:
            m_registers[REG_VIDEO] = ntsc ? 0x03 : 0x00;
            break;
        case HITACH:
            m_registers[REG_VIDEO_SYSTEM] = ntsc ? 0xFF : 0x01;
            m_registers[REG_VIDEO_FORMAT] = 0x00;
            break;
        case SC110N:
            m_registers[REG_VIDEO_SYSTEM] = ntsc ? 0xFF : 0x00;
            break;
    }
}

void SimHexTextModule::consumeInput() {
    while (!m_strInput.empty()) {
        size_t length = 0;
        if (m_strInput[0] == ':') {
            size_t next = m_strInput.find(':', 1);
            if (next == std::string::npos && m_strInput.size() < kShortestText) {
                return;  // the rest is still on its way
            }
            length = next == std::string::npos ? m_strInput.size() : next;
        } else if (isRaw(m_strInput)) {
            // Mask frames are fixed-length: their region byte may be FF.
            size_t end =
                static_cast<unsigned char>(m_strInput[0]) == 0xA1 ? 3 : m_strInput.find('\xFF', 1);
            if (end == std::string::npos || end >= m_strInput.size()) {
                if (m_strInput.size() <= kLongestRaw) {
                    return;
                }
                m_strInput.erase(0, 1);
                continue;
            }
            length = end + 1;
        } else {
            m_strInput.erase(0, 1);  // not the start of a frame
            continue;
        }
        std::string frame = m_strInput.substr(0, length);
        m_strInput.erase(0, length);
        take(frame);
    }
}

void SimHexTextModule::take(const std::string& p_strFrame) {
    m_received.push_back(p_strFrame);
    std::string reply = answerTo(p_strFrame);
    if (m_bSilent || reply.empty()) {
        return;
    }
    emit(reply, nextFault());
}

std::string SimHexTextModule::answerTo(const std::string& p_strFrame) {
    if (isRaw(p_strFrame)) {
        return p_strFrame;
    }
    const std::string address = p_strFrame.substr(2, 4);
    const std::string digits = p_strFrame.size() > 6 ? p_strFrame.substr(6) : std::string();
    if (address.size() != 4 || !isHex(address) || !isHex(digits)) {
        return std::string();
    }
    int reg = hexValue(address);
    switch (p_strFrame[1]) {
        case 'W':
        case 'w':
            m_registers[reg] = hexValue(digits);
            return p_strFrame;
        case 'R': {
            std::map<int, int>::const_iterator it = m_registers.find(reg);
            return p_strFrame.substr(0, 6) + hexText(it == m_registers.end() ? 0 : it->second,
                                                     static_cast<int>(digits.size()));
        }
        default:
            return std::string();  // taken, not answered
    }
}

void SimHexTextModule::emit(std::string p_strAnswer, int p_nFault) {
    switch (p_nFault) {
        case FAULT_SILENT:
            return;
        case FAULT_CHANGED_CHARACTER:
            p_strAnswer.back() = p_strAnswer.back() == '0' ? '1' : '0';
            break;
        case FAULT_WRONG_PREFIX:
            if (isRaw(p_strAnswer)) {
                p_strAnswer[1] = static_cast<char>(p_strAnswer[1] ^ 0x01);
            } else {
                p_strAnswer.replace(2, 4, hexText(hexValue(p_strAnswer.substr(2, 4)) - 1, 4));
            }
            break;
        case FAULT_NOISE:
            p_strAnswer.insert(0, kNoise, sizeof(kNoise) - 1);
            break;
        default:
            break;
    }
    output(p_strAnswer, p_nFault == FAULT_LATE ? 1 : 0);
}

std::vector<int> SimHexTextModule::randomFaults() const {
    return {FAULT_SILENT, FAULT_CHANGED_CHARACTER, FAULT_WRONG_PREFIX, FAULT_NOISE, FAULT_LATE};
}

void SimHexTextModule::injectFault(Fault p_fault, int p_nCount) {
    std::lock_guard<std::mutex> guard(m_mutex);
    queueFault(p_fault, p_nCount);
}

void SimHexTextModule::setSilent(bool p_bSilent) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bSilent = p_bSilent;
}

void SimHexTextModule::setRegister(int p_nRegister, int p_nValue) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_registers[p_nRegister] = p_nValue;
}

int SimHexTextModule::registerValue(int p_nRegister) {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::map<int, int>::const_iterator it = m_registers.find(p_nRegister);
    return it == m_registers.end() ? 0 : it->second;
}

bool SimHexTextModule::hasRegister(int p_nRegister) {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_registers.count(p_nRegister) != 0;
}

void SimHexTextModule::setDayNight(bool p_bDay) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_registers[REG_DAYNIGHT] = p_bDay ? 1 : 0;
    m_registers[REG_DAYNIGHT_OLD] = p_bDay ? 0xC0 : 0x80;
}

std::string SimHexTextModule::saveState() {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::string state;
    char value[16];
    for (const auto& entry : m_registers) {
        std::snprintf(value, sizeof(value), "%02X", static_cast<unsigned int>(entry.second));
        state += (state.empty() ? "" : ";") + hexText(entry.first, 4) + "=" + value;
    }
    return m_bSilent ? state + ";silent=1" : state;
}

void SimHexTextModule::loadState(const std::string& p_strState) {
    ModuleParameterParser state;
    if (!state.parse(p_strState)) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_mutex);
    for (const auto& entry : state.getAll()) {
        if (entry.first == "silent") {
            m_bSilent = entry.second == "1";
        } else if (entry.first.size() == 4 && isHex(entry.first) && isHex(entry.second)) {
            m_registers[hexValue(entry.first)] = hexValue(entry.second);
        }
    }
}
