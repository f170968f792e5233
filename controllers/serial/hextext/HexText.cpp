#include "HexText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kAttempts = 3;
const int kEchoWait = 5;
const int kAnswerWait = 4;
const char kInitComplete[] = ":rE1ED0000";

// How the last failed try went, for the line after the third.
enum Failure { NOT_WRITTEN, NO_ANSWER, WRONG_ANSWER };

// The frame for a log line: its characters when it is text, else its bytes.
std::string printable(const char* p_pBytes, int p_nLength) {
    bool text = std::all_of(p_pBytes, p_pBytes + p_nLength, [](char p_c) {
        return std::isprint(static_cast<unsigned char>(p_c)) != 0;
    });
    if (text) {
        return std::string(p_pBytes, static_cast<size_t>(p_nLength));
    }
    std::string hex;
    char byte[4];
    for (int index = 0; index < p_nLength; ++index) {
        std::snprintf(byte, sizeof(byte), index == 0 ? "%02X" : " %02X",
                      static_cast<unsigned char>(p_pBytes[index]));
        hex += byte;
    }
    return hex;
}

}  // namespace

namespace HexText {

std::string assembleString(const std::string& p_strPrefix, unsigned int p_nValue, int p_nWidth) {
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%0*x", p_nWidth > 0 ? p_nWidth : 1, p_nValue);
    std::string text = p_strPrefix + digits;
    size_t upper = std::min(text.size(), static_cast<size_t>(p_nWidth > 0 ? p_nWidth : 0));
    for (size_t index = text.size() - upper; index < text.size(); ++index) {
        text[index] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[index])));
    }
    return text;
}

int ascToHex(const std::string& p_strText) {
    return static_cast<int>(std::strtol(p_strText.c_str(), nullptr, 16));
}

bool answerValue(const std::string& p_strCommand, const std::string& p_strAnswer, int p_nWidth,
                 int& p_nValue) {
    if (p_nWidth <= 0 || p_strAnswer.size() != p_strCommand.size() ||
        p_strCommand.size() < static_cast<size_t>(p_nWidth)) {
        return false;
    }
    size_t prefix = p_strCommand.size() - static_cast<size_t>(p_nWidth);
    std::string digits = p_strAnswer.substr(prefix);
    bool hex = std::all_of(digits.begin(), digits.end(), [](char p_c) {
        return std::isxdigit(static_cast<unsigned char>(p_c)) != 0;
    });
    if (!hex || p_strAnswer.compare(0, prefix, p_strCommand, 0, prefix) != 0) {
        return false;
    }
    p_nValue = ascToHex(digits);
    return true;
}

}  // namespace HexText

// The per-try texts differ between writes, reads and raw frames.
struct HexTextLink::Texts {
    const char* szSend;
    const char* szRecv;
    const char* szCheck;
};

namespace {

const char kRecvCount[] = "===recv(%d):";

}  // namespace

HexTextLink::HexTextLink(ISensorController& p_owner, SafePointer<IUARTController>& p_port,
                         const int& p_nIndex, OVMutex& p_mutex, char* p_pReceiveBuffer)
    : m_owner(p_owner),
      m_port(p_port),
      m_nIndex(p_nIndex),
      m_mutex(p_mutex),
      m_pBuffer(p_pReceiveBuffer) {}

int HexTextLink::sendData(const std::string& p_strCommand) {
    static const Texts kTexts = {
        "===send(%d times) @setParameterValue failed,send(%d):",
        "===recv(%d times) @sendData failed,send:", "===check(%d times) @sendData failed,send:"};
    int length = static_cast<int>(p_strCommand.size());
    return exchange(p_strCommand.data(), length, kTexts, kEchoWait, length,
                    p_strCommand != kInitComplete, nullptr);
}

int HexTextLink::sendFrame(const char* p_pBytes, int p_nLength) {
    static const Texts kTexts = {
        "===send(%d times) @sendData failed,send(%d):", "===recv(%d times) @sendData failed,send:",
        "===check(%d times) @sendData failed,send:"};
    return exchange(p_pBytes, p_nLength, kTexts, kEchoWait, p_nLength, true, nullptr);
}

int HexTextLink::recvData(const std::string& p_strCommand, int p_nWidth, int& p_nValue) {
    static const Texts kTexts = {"===send(%d times) @getParameterValue failed,send(%d):",
                                 "===recv(%d times) @getParameterValue failed,send:",
                                 "===check(%d times) @getParameterValue failed,send:"};
    int length = static_cast<int>(p_strCommand.size());
    int width = std::max(0, std::min(p_nWidth, length));
    std::string answer;
    if (!exchange(p_strCommand.data(), length, kTexts, kAnswerWait, length - width, true,
                  &answer)) {
        return 0;
    }
    p_nValue = HexText::ascToHex(answer.substr(answer.size() - static_cast<size_t>(width)));
    return 1;
}

int HexTextLink::exchange(const char* p_pBytes, int p_nLength, const Texts& p_texts, int p_nWait,
                          int p_nChecked, bool p_bAnswered, std::string* p_strAnswer) {
    OVMutexManager guard(m_mutex);
    Failure failure = NO_ANSWER;
    // Longer frames than the buffer cannot be read back whole, and fail.
    int readable = std::min(p_nLength, static_cast<int>(RECEIVE_BUFFER));
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        int written = m_port->write(m_nIndex, p_pBytes, p_nLength);
        if (written != p_nLength) {
            m_owner.ErrorPrintf(p_texts.szSend, attempt, written);
            m_owner.recodeArray(p_pBytes, p_nLength);
            m_owner.clearUartBuffer();
            failure = NOT_WRITTEN;
            continue;
        }
        if (!p_bAnswered) {
            return 1;
        }
        std::memset(m_pBuffer, 0, RECEIVE_BUFFER);
        int received = readable > 0 ? m_port->read(m_nIndex, m_pBuffer, readable, p_nWait) : 0;
        bool whole = received == p_nLength;
        if (whole && std::equal(p_pBytes, p_pBytes + p_nChecked, m_pBuffer)) {
            if (p_strAnswer != nullptr) {
                p_strAnswer->assign(m_pBuffer, static_cast<size_t>(received));
            }
            return 1;
        }
        m_owner.ErrorPrintf(whole ? p_texts.szCheck : p_texts.szRecv, attempt);
        m_owner.recodeArray(p_pBytes, p_nLength);
        m_owner.ErrorPrintf(kRecvCount, received);
        m_owner.recodeArray(m_pBuffer, received);
        m_owner.clearUartBuffer();
        failure = received > 0 ? WRONG_ANSWER : NO_ANSWER;
    }
    const std::string frame = printable(p_pBytes, p_nLength);
    switch (failure) {
        case NOT_WRITTEN:
            m_owner.ErrorPrintf("the port did not take %s (%d attempts)", frame.c_str(), kAttempts);
            break;
        case NO_ANSWER:
            m_owner.ErrorPrintf("the module did not answer %s (%d attempts)", frame.c_str(),
                                kAttempts);
            break;
        default:
            m_owner.ErrorPrintf("the module answered %s wrongly (%d attempts)", frame.c_str(),
                                kAttempts);
            break;
    }
    return 0;
}
