#include "SimViscaCamera.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/Clock.h"
#include "platform/ModuleParameterParser.h"

namespace {

const char kAck[] = "\x90\x41\xFF";
const char kCompletion[] = "\x90\x51\xFF";
const char kSyntaxError[] = "\x90\x60\x02\xFF";
const char kNotExecutable[] = "\x90\x61\x41\xFF";
const char kRestartFrame[] = "\xFE\x05\x03\x01\x01\x0A\xFF";
// Never 90 or FF, so a framed reader skips it whole.
const char kNoise[] = "\x3C\x00\xA5";

// The command codes the VISCA controllers send; any other is refused.
const int kCommandCodes[] = {0x01, 0x06, 0x07, 0x08, 0x0B, 0x10, 0x11, 0x14, 0x18, 0x19, 0x21,
                             0x24, 0x27, 0x28, 0x29, 0x2C, 0x2D, 0x33, 0x34, 0x35, 0x37, 0x38,
                             0x39, 0x3D, 0x3E, 0x42, 0x43, 0x44, 0x47, 0x48, 0x49, 0x4A, 0x4B,
                             0x4C, 0x4D, 0x4E, 0x4F, 0x51, 0x52, 0x53, 0x57, 0x58, 0x59, 0x5A,
                             0x5B, 0x5D, 0x5E, 0x5F, 0x61, 0x62, 0x66};

const int kBaudRates[] = {9600, 19200, 38400, 115200};

const int kZoomTele = 31424;  // the far end of the digital zoom
const int kZoomStep = 1000;   // per zoom-drive command
// A frame never gets this long; without a terminator the bytes are dropped.
const size_t kMaxFrame = 64;

const int kRegisterVideoStandard = 0x72;
const int kRegisterBaud = 0x00;

int byteAt(const std::string& p_strBytes, size_t p_nIndex) {
    return static_cast<unsigned char>(p_strBytes[p_nIndex]);
}

// The value of p_nCount nibbles (low halves of bytes), most significant first.
int nibbles(const std::string& p_strBytes, size_t p_nOffset, size_t p_nCount) {
    int value = 0;
    for (size_t i = 0; i < p_nCount; ++i) {
        value = (value << 4) | (byteAt(p_strBytes, p_nOffset + i) & 0x0F);
    }
    return value;
}

double now() {
    return Clock::get().monotonicSeconds();
}

}  // namespace

SimViscaCamera::SimViscaCamera() {
    m_registers[kRegisterVideoStandard] = 6;  // NTSC
    m_registers[kRegisterBaud] = 0;           // 9600
    m_registers[0x56] = 1;                    // internal sync
}

std::string SimViscaCamera::reply(int p_nValue, int p_nCount) {
    std::string bytes("\x90\x50", 2);
    for (int shift = (p_nCount - 1) * 4; shift >= 0; shift -= 4) {
        bytes += static_cast<char>((p_nValue >> shift) & 0x0F);
    }
    return bytes + '\xFF';
}

SimViscaCamera::Messages SimViscaCamera::syntaxError() {
    return Messages{kSyntaxError};
}

void SimViscaCamera::setBaudIndex(int p_nIndex) {
    setRegister(kRegisterBaud, p_nIndex);
}

void SimViscaCamera::setSendCompletions(bool p_bSend) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bSendCompletions = p_bSend;
}

void SimViscaCamera::setRestartSeconds(double p_dSeconds) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_dRestartSeconds = p_dSeconds;
}

std::vector<int> SimViscaCamera::randomFaults() const {
    return {FAULT_SILENT, FAULT_COMPLETION_FIRST, FAULT_NOISE,           FAULT_CORRUPT,
            FAULT_LATE,   FAULT_SYNTAX_ERROR,     FAULT_COMPLETION_ONLY, FAULT_REFUSED_AFTER_ACK};
}

void SimViscaCamera::injectFault(Fault p_fault, int p_nCount) {
    std::lock_guard<std::mutex> guard(m_mutex);
    queueFault(p_fault, p_nCount);
}

void SimViscaCamera::setRegister(int p_nRegister, int p_nValue) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_registers[p_nRegister] = p_nValue;
    m_pendingRegisters.erase(p_nRegister);
}

int SimViscaCamera::registerValue(int p_nRegister) {
    std::lock_guard<std::mutex> guard(m_mutex);
    updateRestart();
    std::map<int, int>::const_iterator it = m_registers.find(p_nRegister);
    return it == m_registers.end() ? 0 : it->second;
}

void SimViscaCamera::setZoomPosition(int p_nPosition) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nZoom = p_nPosition;
}

int SimViscaCamera::zoomPosition() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nZoom;
}

void SimViscaCamera::setFocusPosition(int p_nPosition) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nFocus = p_nPosition;
}

int SimViscaCamera::focusPosition() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nFocus;
}

void SimViscaCamera::setIrCutNight(bool p_bNight) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_bIrCutNight = p_bNight;
}

bool SimViscaCamera::irCutNight() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_bIrCutNight;
}

void SimViscaCamera::setGain(int p_nGain) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_nGain = p_nGain;
}

int SimViscaCamera::irBoardMode() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nIrBoardMode;
}

int SimViscaCamera::lampValue(int p_nCode) {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::map<int, int>::const_iterator it = m_lamps.find(p_nCode);
    return it == m_lamps.end() ? -1 : it->second;
}

std::string SimViscaCamera::commandParameters(int p_nCode) {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::map<int, std::string>::const_iterator it = m_commandParameters.find(p_nCode);
    return it == m_commandParameters.end() ? std::string() : it->second;
}

int SimViscaCamera::commandCount(int p_nCode) {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::map<int, int>::const_iterator it = m_commandCounts.find(p_nCode);
    return it == m_commandCounts.end() ? 0 : it->second;
}

std::vector<std::string> SimViscaCamera::maskFrames() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_masks;
}

int SimViscaCamera::restarts() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nRestarts;
}

bool SimViscaCamera::restarting() {
    std::lock_guard<std::mutex> guard(m_mutex);
    updateRestart();
    return m_bRestarting;
}

// Time only moves on the platform clock, so the end of a restart is noticed
// by whoever calls next.
void SimViscaCamera::updateRestart() {
    if (!m_bRestarting || now() < m_dRestartEnd) {
        return;
    }
    m_bRestarting = false;
    for (const auto& pending : m_pendingRegisters) {
        m_registers[pending.first] = pending.second;
    }
    m_pendingRegisters.clear();
}

void SimViscaCamera::startRestart() {
    m_bRestarting = true;
    m_dRestartEnd = now() + m_dRestartSeconds;
    ++m_nRestarts;
    m_strInput.clear();
}

bool SimViscaCamera::hears() {
    updateRestart();
    return !m_bRestarting;
}

// The camera's rate is its rate register, which a command may change.
int SimViscaCamera::moduleBaudRate() {
    int index = m_registers[kRegisterBaud];
    return index >= 0 && index < static_cast<int>(std::size(kBaudRates)) ? kBaudRates[index] : 0;
}

bool SimViscaCamera::setModuleBaudRate(int p_nBaudRate) {
    const int* rate = std::find(std::begin(kBaudRates), std::end(kBaudRates), p_nBaudRate);
    if (rate == std::end(kBaudRates)) {
        return false;
    }
    m_registers[kRegisterBaud] = static_cast<int>(rate - std::begin(kBaudRates));
    m_pendingRegisters.erase(kRegisterBaud);
    return true;
}

void SimViscaCamera::consumeInput() {
    while (!m_strInput.empty() && !m_bRestarting) {
        // A frame starts with a byte whose top bit is set; anything else
        // between frames (a host's ASCII "MENUON", line noise) is dropped.
        if (byteAt(m_strInput, 0) < 0x80) {
            m_strInput.erase(0, 1);
            continue;
        }
        size_t length = 0;
        if (byteAt(m_strInput, 0) == 0xA1) {
            // Mask frames are fixed-length: the region byte may itself be FF.
            if (m_strInput.size() < 4) {
                return;
            }
            length = 4;
        } else {
            size_t end = m_strInput.find('\xFF');
            if (end == std::string::npos) {
                if (m_strInput.size() > kMaxFrame) {
                    m_strInput.clear();
                }
                return;
            }
            length = end + 1;
        }
        std::string frame = m_strInput.substr(0, length);
        m_strInput.erase(0, length);
        take(frame);
    }
}

void SimViscaCamera::take(const std::string& p_strFrame) {
    m_received.push_back(p_strFrame);
    // The restart frame and FE frames with a wrong checksum get no answer,
    // so they leave the queued faults for the next frame.
    bool answered = true;
    if (byteAt(p_strFrame, 0) == 0xFE) {
        int sum = 0;
        for (size_t i = 1; i + 2 < p_strFrame.size(); ++i) {
            sum += byteAt(p_strFrame, i);
        }
        answered =
            p_strFrame.size() >= 4 && (sum & 0xFF) == byteAt(p_strFrame, p_strFrame.size() - 2);
        if (p_strFrame == std::string(kRestartFrame, sizeof(kRestartFrame) - 1)) {
            startRestart();
            return;
        }
    }
    if (!answered) {
        return;
    }
    if (peekFault() == FAULT_SYNTAX_ERROR) {
        // Refused, so it changes nothing.
        nextFault();
        emit(Messages{kSyntaxError}, NO_FAULT);
        return;
    }
    Messages answer = execute(p_strFrame);
    if (answer.empty()) {
        return;  // a notice the camera does not answer leaves the faults queued
    }
    emit(answer, nextFault());
}

SimViscaCamera::Messages SimViscaCamera::execute(const std::string& p_strFrame) {
    int first = byteAt(p_strFrame, 0);
    if (first == 0xFE) {
        return irBoard(p_strFrame);
    }
    if (first == 0xA1) {
        if (byteAt(p_strFrame, 3) != 0xFF) {
            return Messages{kSyntaxError};
        }
        m_masks.push_back(p_strFrame);
        return Messages{p_strFrame};
    }
    if (first == 0x81 && p_strFrame.size() >= 5 && byteAt(p_strFrame, 2) == 0x04) {
        int code = byteAt(p_strFrame, 3);
        std::string parameters = p_strFrame.substr(4, p_strFrame.size() - 5);
        if (byteAt(p_strFrame, 1) == 0x01) {
            return knows(code, parameters.size()) ? command(code, parameters) : syntaxError();
        }
        if (byteAt(p_strFrame, 1) == 0x09) {
            return inquiry(code, parameters);
        }
    }
    return Messages{kSyntaxError};
}

bool SimViscaCamera::knows(int p_nCode, size_t p_nParameters) {
    if (std::find(std::begin(kCommandCodes), std::end(kCommandCodes), p_nCode) ==
        std::end(kCommandCodes)) {
        return false;
    }
    size_t size = p_nParameters;
    return !((p_nCode == 0x24 && size != 3) || (p_nCode == 0x47 && size != 4 && size != 8) ||
             (p_nCode == 0x48 && size != 4) || ((p_nCode == 0x07 || p_nCode == 0x01) && size != 1));
}

SimViscaCamera::Messages SimViscaCamera::command(int p_nCode, const std::string& p_strParameters) {
    size_t size = p_strParameters.size();
    m_commandParameters[p_nCode] = p_strParameters;
    ++m_commandCounts[p_nCode];
    int first = size > 0 ? byteAt(p_strParameters, 0) : -1;
    bool restart = false;
    switch (p_nCode) {
        case 0x47:
            m_nZoom = nibbles(p_strParameters, 0, 4);
            if (size == 8) {
                m_nFocus = nibbles(p_strParameters, 4, 4);
            }
            break;
        case 0x48:
            m_nFocus = nibbles(p_strParameters, 0, 4);
            break;
        case 0x07:
            if ((first & 0xF0) == 0x20) {
                m_nZoom = std::min(m_nZoom + kZoomStep, kZoomTele);
            } else if ((first & 0xF0) == 0x30) {
                m_nZoom = std::max(m_nZoom - kZoomStep, 0);
            }
            break;
        case 0x01:
            if (first == 0x02 || first == 0x03) {
                m_bIrCutNight = first == 0x02;
            }
            break;
        case 0x24: {
            int value = nibbles(p_strParameters, 1, 2);
            // The video standard and the baud rate are read only at start-up.
            if (first == kRegisterVideoStandard || first == kRegisterBaud) {
                m_pendingRegisters[first] = value;
            } else {
                m_registers[first] = value;
            }
            break;
        }
        case 0x19:
            restart = first == 0x03;
            break;
        default:
            break;
    }
    if (restart) {
        startRestart();  // after the answer, which is already on its way
    }
    return acknowledged();
}

SimViscaCamera::Messages SimViscaCamera::inquiry(int p_nCode, const std::string& p_strParameters) {
    if (p_nCode == 0x24 && p_strParameters.size() == 1) {
        std::map<int, int>::const_iterator it = m_registers.find(byteAt(p_strParameters, 0));
        return Messages{reply(it == m_registers.end() ? 0 : it->second, 2)};
    }
    if (!p_strParameters.empty()) {
        return Messages{kSyntaxError};
    }
    switch (p_nCode) {
        case 0x47:
            return Messages{reply(m_nZoom, 4)};
        case 0x48:
            return Messages{reply(m_nFocus, 4)};
        case 0x01:
            return Messages{reply(m_bIrCutNight ? 0x02 : 0x03, 1)};
        case 0x4C:
            return Messages{reply(m_nGain, 4)};
        case 0x22:
            return Messages{reply(0x0731, 4)};  // a fixed firmware version
        default:
            return Messages{kSyntaxError};
    }
}

// FE 01 1E 02 cc vv cs FF: cc 00 sets the board's day/night mode to vv,
// other codes are lamp settings. Any frame with a good checksum is taken.
SimViscaCamera::Messages SimViscaCamera::irBoard(const std::string& p_strFrame) {
    if (p_strFrame.size() == 8 && p_strFrame.compare(1, 3, "\x01\x1E\x02") == 0) {
        int code = byteAt(p_strFrame, 4);
        int value = byteAt(p_strFrame, 5);
        if (code == 0x00) {
            if (value <= 2) {
                m_nIrBoardMode = value;
            }
        } else {
            m_lamps[code] = value;
        }
    }
    return Messages{kAck};
}

SimViscaCamera::Messages SimViscaCamera::acknowledged() const {
    Messages messages{kAck};
    if (m_bSendCompletions) {
        messages.push_back(kCompletion);
    }
    return messages;
}

void SimViscaCamera::emit(Messages p_messages, int p_nFault) {
    if (p_nFault == FAULT_SILENT || p_messages.empty()) {
        return;
    }
    std::string& first = p_messages.front();
    bool isAck = first == kAck;
    switch (p_nFault) {
        case FAULT_COMPLETION_ONLY:
            if (isAck) {
                first = kCompletion;
            }
            break;
        case FAULT_COMPLETION_FIRST:
            if (isAck) {
                if (p_messages.size() > 1 && p_messages[1] == kCompletion) {
                    std::swap(p_messages[0], p_messages[1]);
                } else {
                    p_messages.insert(p_messages.begin(), kCompletion);
                }
            }
            break;
        case FAULT_REFUSED_AFTER_ACK:
            if (isAck) {
                p_messages.resize(1);
                p_messages.push_back(kNotExecutable);
            }
            break;
        case FAULT_NOISE:
            p_messages.insert(p_messages.begin(), std::string(kNoise, sizeof(kNoise) - 1));
            break;
        case FAULT_CORRUPT:
            if (byteAt(first, 0) == 0x90) {
                first[1] = static_cast<char>(first[1] | 0x0F);  // 90 41 FF -> 90 4F FF
            } else {
                first[1] = static_cast<char>(first[1] ^ 0x40);  // never turns into FF
            }
            break;
        default:
            break;
    }
    std::string bytes;
    for (const std::string& message : p_messages) {
        bytes += message;
    }
    output(bytes, p_nFault == FAULT_LATE ? 2 : 0);
}

std::map<std::string, std::string> SimViscaCamera::heldValues() {
    std::map<std::string, std::string> held = SimLineModule::heldValues();
    std::lock_guard<std::mutex> guard(m_mutex);
    updateRestart();
    char key[16];
    for (const auto& command : m_commandParameters) {
        std::string bytes;
        for (char byte : command.second) {
            char text[4];
            std::snprintf(text, sizeof(text), "%02X", static_cast<unsigned char>(byte));
            bytes += (bytes.empty() ? "" : " ") + std::string(text);
        }
        std::snprintf(key, sizeof(key), "c%02X", static_cast<unsigned int>(command.first));
        held[key] = bytes;
    }
    for (const auto& reg : m_registers) {
        std::snprintf(key, sizeof(key), "r%02X", static_cast<unsigned int>(reg.first));
        held[key] = std::to_string(reg.second);
    }
    for (const auto& lamp : m_lamps) {
        std::snprintf(key, sizeof(key), "lamp%02X", static_cast<unsigned int>(lamp.first));
        held[key] = std::to_string(lamp.second);
    }
    held["irboard"] = std::to_string(m_nIrBoardMode);
    return held;
}

std::string SimViscaCamera::saveState() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return "zoom=" + std::to_string(m_nZoom) + ";focus=" + std::to_string(m_nFocus) +
           ";ircut=" + (m_bIrCutNight ? "night" : "day");
}

void SimViscaCamera::loadState(const std::string& p_strState) {
    ModuleParameterParser state;
    if (!state.parse(p_strState)) {
        return;
    }
    std::string value;
    std::lock_guard<std::mutex> guard(m_mutex);
    if (state.getValue("zoom", value)) {
        m_nZoom = std::atoi(value.c_str());
    }
    if (state.getValue("focus", value)) {
        m_nFocus = std::atoi(value.c_str());
    }
    if (state.getValue("ircut", value)) {
        m_bIrCutNight = value == "night";
    }
}
