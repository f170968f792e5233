#include "Visca.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const int kAttempts = 3;
const int kMaxMessage = 100;
const int kZoomSteps[] = {16384, 24576, 27264, 28672, 29440, 30016,
                          30400, 30720, 30912, 31104, 31232, 31424};

bool isAcknowledge(const char* p_pBytes, int p_nLength) {
    return p_nLength == 3 && static_cast<unsigned char>(p_pBytes[0]) == 0x90 &&
           (p_pBytes[1] == 0x41 || p_pBytes[1] == 0x42) &&
           static_cast<unsigned char>(p_pBytes[2]) == 0xFF;
}

bool isCompletion(const char* p_pBytes, int p_nLength) {
    return p_nLength == 3 && static_cast<unsigned char>(p_pBytes[0]) == 0x90 &&
           (p_pBytes[1] == 0x51 || p_pBytes[1] == 0x52) &&
           static_cast<unsigned char>(p_pBytes[2]) == 0xFF;
}

}  // namespace

namespace Visca {

std::string bytes(std::initializer_list<int> p_values) {
    std::string text;
    for (int value : p_values) {
        text += static_cast<char>(value);
    }
    return text;
}

std::string command(int p_nCode, const std::string& p_strParameters) {
    return bytes({0x81, 0x01, 0x04, p_nCode}) + p_strParameters + bytes({0xFF});
}

std::string inquiry(int p_nCode, const std::string& p_strParameters) {
    return bytes({0x81, 0x09, 0x04, p_nCode}) + p_strParameters + bytes({0xFF});
}

std::string nibbles(unsigned int p_nValue, int p_nCount) {
    std::string text;
    for (int index = p_nCount - 1; index >= 0; --index) {
        text += static_cast<char>((p_nValue >> (4 * index)) & 0x0F);
    }
    return text;
}

unsigned int fromNibbles(const char* p_pBytes, int p_nCount) {
    unsigned int value = 0;
    for (int index = 0; index < p_nCount; ++index) {
        value = (value << 4) | (static_cast<unsigned char>(p_pBytes[index]) & 0x0F);
    }
    return value;
}

std::string boardFrame(const std::string& p_strPayload) {
    unsigned int sum = 0;
    for (char byte : p_strPayload) {
        sum += static_cast<unsigned char>(byte);
    }
    return bytes({0xFE}) + p_strPayload + bytes({static_cast<int>(sum & 0xFF), 0xFF});
}

bool zoomRatio(int p_nPosition, int& p_nRatio) {
    if (p_nPosition <= kZoomSteps[0]) {
        p_nRatio = 1000;
        return true;
    }
    for (int k = 1; k < 12; ++k) {
        if (kZoomSteps[k - 1] < p_nPosition && p_nPosition <= kZoomSteps[k]) {
            p_nRatio = 1000 + k * 1000 -
                       1000 * (kZoomSteps[k] - p_nPosition) / (kZoomSteps[k] - kZoomSteps[k - 1]);
            return true;
        }
    }
    return false;
}

void traceBytes(const char* p_pBytes, int p_nLength) {
    for (int index = 0; index < p_nLength; ++index) {
        std::printf("%02x ", static_cast<unsigned char>(p_pBytes[index]));
    }
    std::printf("\n");
}

std::string hexText(const char* p_pBytes, int p_nLength) {
    std::string text;
    char element[4];
    for (int index = 0; index < p_nLength; ++index) {
        std::snprintf(element, sizeof(element), index == 0 ? "%02X" : " %02X",
                      static_cast<unsigned char>(p_pBytes[index]));
        text += element;
    }
    return text;
}

bool isErrorReply(const char* p_pBytes, int p_nLength) {
    return p_nLength >= 3 && static_cast<unsigned char>(p_pBytes[0]) == 0x90 &&
           (static_cast<unsigned char>(p_pBytes[1]) & 0xF0) == 0x60;
}

void takeStaleReplies(ISensorController& p_owner, IUARTController& p_port, int p_nIndex) {
    std::string stale;
    char chunk[32];
    // Bounded: a line that never stops talking is the next exchange's fault
    // to report, not a reason to stay here.
    for (int reads = 0; reads < 8; ++reads) {
        int count = p_port.read(p_nIndex, chunk, sizeof(chunk), 0);
        if (count <= 0) {
            break;
        }
        stale.append(chunk, static_cast<size_t>(count));
    }
    size_t from = 0;
    for (std::string message = nextMessage(stale, from); !message.empty();
         message = nextMessage(stale, from)) {
        int length = static_cast<int>(message.size());
        if (isErrorReply(message.data(), length)) {
            p_owner.ErrorPrintf("the module refused an earlier command: %s",
                                hexText(message.data(), length).c_str());
        }
    }
}

std::string nextMessage(const std::string& p_strBytes, size_t& p_nFrom) {
    size_t start = p_strBytes.find('\x90', p_nFrom);
    size_t end = start == std::string::npos ? start : p_strBytes.find('\xFF', start);
    if (end == std::string::npos) {
        return std::string();
    }
    p_nFrom = end + 1;
    return p_strBytes.substr(start, end - start + 1);
}

bool replyValue(const std::string& p_strMessage, int p_nCount, unsigned int& p_nValue) {
    if (p_nCount < 0 || p_strMessage.size() != static_cast<size_t>(p_nCount) + 3 ||
        p_strMessage.compare(0, 2, "\x90\x50") != 0 ||
        static_cast<unsigned char>(p_strMessage.back()) != 0xFF) {
        return false;
    }
    for (int index = 0; index < p_nCount; ++index) {
        if ((static_cast<unsigned char>(p_strMessage[2 + index]) & 0xF0) != 0) {
            return false;  // each byte carries one nibble
        }
    }
    p_nValue = fromNibbles(p_strMessage.data() + 2, p_nCount);
    return true;
}

}  // namespace Visca

ViscaLink::ViscaLink(ISensorController& p_owner, SafePointer<IUARTController>& p_port,
                     const int& p_nIndex, OVMutex& p_mutex, Reader p_eReader, int p_nHabits)
    : m_owner(p_owner),
      m_port(p_port),
      m_nIndex(p_nIndex),
      m_mutex(p_mutex),
      m_eReader(p_eReader),
      m_nHabits(p_nHabits) {}

int ViscaLink::getRealData(char* p_pBuffer, int p_nMaxLength, int p_nTimeout) {
    char message[kMaxMessage];
    int length = 0;
    for (int reads = 0; reads < kMaxMessage; ++reads) {
        char byte = 0;
        if (m_port->read(m_nIndex, &byte, 1, p_nTimeout) != 1) {
            break;
        }
        if (length == 0 && static_cast<unsigned char>(byte) != 0x90) {
            continue;  // noise before the start of a message
        }
        message[length++] = byte;
        if (static_cast<unsigned char>(byte) == 0xFF || length == kMaxMessage) {
            break;
        }
    }
    m_strLastMessage.assign(message, static_cast<size_t>(length));
    if (length < 1 || length > p_nMaxLength) {
        return -1;
    }
    std::memcpy(p_pBuffer, message, static_cast<size_t>(length));
    return length;
}

int ViscaLink::recvData(char* p_pBuffer, int p_nMaxLength, int p_nTimeout) {
    for (;;) {
        char message[kMaxMessage];
        int length = getRealData(message, kMaxMessage, p_nTimeout);
        if (isCompletion(message, length)) {
            continue;
        }
        if (length < 1 || length > p_nMaxLength) {
            return -1;
        }
        std::memcpy(p_pBuffer, message, static_cast<size_t>(length));
        return length;
    }
}

int ViscaLink::readAnswer(char* p_pBuffer, int p_nLength, int p_nTimeout) {
    if (m_eReader == FRAMED) {
        return recvData(p_pBuffer, p_nLength, p_nTimeout);
    }
    return m_port->read(m_nIndex, p_pBuffer, p_nLength, p_nTimeout);
}

void ViscaLink::logVerdict(const char* p_pFrame, int p_nLength, const std::string& p_strRefusal,
                           bool p_bAnswered) {
    const std::string frame = Visca::hexText(p_pFrame, p_nLength);
    if (!p_strRefusal.empty()) {
        m_owner.ErrorPrintf("the module refused %s: %s (%d attempts)", frame.c_str(),
                            p_strRefusal.c_str(), kAttempts);
    } else if (p_bAnswered) {
        m_owner.ErrorPrintf("the module answered %s wrongly (%d attempts)", frame.c_str(),
                            kAttempts);
    } else {
        m_owner.ErrorPrintf("the module did not answer %s (%d attempts)", frame.c_str(), kAttempts);
    }
}

// The message an exchange took, whole: what the framed reader read, or the
// bytes of the single read.
std::string ViscaLink::taken(const char* p_pAnswer, int p_nLength) const {
    if (m_eReader == FRAMED) {
        return m_strLastMessage;
    }
    return std::string(p_pAnswer, static_cast<size_t>(std::max(p_nLength, 0)));
}

void ViscaLink::noteAnswer(const std::string& p_strTaken, std::string& p_strRefusal,
                           bool& p_bAnswered) const {
    p_bAnswered = p_bAnswered || !p_strTaken.empty();
    if (Visca::isErrorReply(p_strTaken.data(), static_cast<int>(p_strTaken.size()))) {
        p_strRefusal = Visca::hexText(p_strTaken.data(), static_cast<int>(p_strTaken.size()));
    }
}

int ViscaLink::sendCommand(const char* p_pFrame, int p_nLength) {
    OVMutexManager guard(m_mutex);
    const bool trace = (m_nHabits & CONSOLE_TRACE) != 0;
    Visca::takeStaleReplies(m_owner, *m_port, m_nIndex);
    std::string refusal;
    bool answered = false;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (m_nHabits & ATTEMPT_LOG) {
            if (attempt > 1) {
                m_owner.clearUartBuffer();
            }
            m_owner.ErrorPrintf("===~~~~~~~~~~~~~~~~~~send(%d times) setParameterValue send:",
                                attempt);
            m_owner.recodeArray(p_pFrame, p_nLength);
        }
        if (trace) {
            Visca::traceBytes(p_pFrame, p_nLength);
        }
        int written = m_port->write(m_nIndex, p_pFrame, p_nLength);
        if (written != p_nLength) {
            m_owner.ErrorPrintf("===send(%d times) @setParameterValue failed,send(%d):", attempt,
                                written);
            m_owner.recodeArray(p_pFrame, p_nLength);
        } else {
            char answer[8] = {0};
            m_strLastMessage.clear();
            int length = m_eReader == FRAMED ? readAnswer(answer, 3, 3) : readAnswer(answer, 3, 4);
            if (trace && length > 0) {
                Visca::traceBytes(answer, length);
            }
            noteAnswer(taken(answer, length), refusal, answered);
            bool accepted =
                m_eReader == FRAMED
                    ? isAcknowledge(answer, length)
                    : (length > 0 && (m_owner.checkUARTRecv("\x90\x41\xFF", 3, answer, length) ||
                                      m_owner.checkUARTRecv("\x90\x51\xFF", 3, answer, length)));
            if (length != 3) {
                m_owner.ErrorPrintf("===recv(%d times) @setParameterValue failed,send:", attempt);
                m_owner.recodeArray(p_pFrame, p_nLength);
                m_owner.ErrorPrintf("===recv(%d):", length);
                m_owner.recodeArray(answer, length);
            } else if (accepted) {
                return 1;
            } else {
                m_owner.ErrorPrintf("===send:");
                m_owner.recodeArray(p_pFrame, p_nLength);
                m_owner.ErrorPrintf("===setParameterValue(%d times) recv error,recv:0x%x,0x%x,0x%x",
                                    attempt, static_cast<unsigned char>(answer[0]),
                                    static_cast<unsigned char>(answer[1]),
                                    static_cast<unsigned char>(answer[2]));
            }
        }
        m_owner.clearUartBuffer();
    }
    logVerdict(p_pFrame, p_nLength, refusal, answered);
    return 0;
}

int ViscaLink::sendInquiry(const char* p_pFrame, int p_nLength, char* p_pReply,
                           int p_nReplyLength) {
    OVMutexManager guard(m_mutex);
    std::string answer(static_cast<size_t>(p_nReplyLength > 0 ? p_nReplyLength : 1), '\0');
    Visca::takeStaleReplies(m_owner, *m_port, m_nIndex);
    std::string refusal;
    bool answered = false;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        int written = m_port->write(m_nIndex, p_pFrame, p_nLength);
        if (written != p_nLength) {
            m_owner.ErrorPrintf("===send(%d times) @getParameterValue failed,send(%d):", attempt,
                                written);
            m_owner.recodeArray(p_pFrame, p_nLength);
        } else {
            m_strLastMessage.clear();
            int length = readAnswer(&answer[0], p_nReplyLength, m_eReader == FRAMED ? 2 : 4);
            if (length == p_nReplyLength) {
                std::memcpy(p_pReply, answer.data(), static_cast<size_t>(length));
                return 1;
            }
            noteAnswer(taken(answer.data(), length), refusal, answered);
            m_owner.ErrorPrintf("===recv(%d times) @getParameterValue failed,send:", attempt);
            m_owner.recodeArray(p_pFrame, p_nLength);
            if (m_nHabits & REPLY_COUNT) {
                m_owner.ErrorPrintf("===recv(%d):", length);
            }
            m_owner.recodeArray(answer.data(), length);
        }
        m_owner.clearUartBuffer();
    }
    logVerdict(p_pFrame, p_nLength, refusal, answered);
    return 0;
}
