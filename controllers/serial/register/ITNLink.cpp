#include "ITNLink.h"

#include <cstdio>

namespace {

const int kReplyWait = 3;

// The reply codes that carry data: how many bytes and the number their
// checksum message carries.
struct DataCode {
    int nCode;
    int nData;
    int nMessage;
};
const DataCode kDataCodes[] = {{0x06, 1, 2}, {0x07, 2, 3}, {0x0B, 6, 4}};

std::string text(const char* p_szFormat, int p_nValue) {
    char line[64];
    std::snprintf(line, sizeof(line), p_szFormat, p_nValue);
    return line;
}

// Reads p_nCount bytes; false (with the message) when fewer came.
bool take(ReplySource& p_source, char* p_pBuffer, int p_nCount, std::string& p_strError) {
    int received = p_source.read(p_pBuffer, p_nCount, kReplyWait);
    if (received == p_nCount) {
        return true;
    }
    char line[64];
    std::snprintf(line, sizeof(line), "__recv failed,nRet = %d !=%d\n", received, p_nCount);
    p_strError = line;
    return false;
}

}  // namespace

int ITNLink::receiveReply(ReplySource& p_source, char* p_pReply, int p_nReplyMax,
                          int& p_nDataLength, std::string& p_strError) {
    char reply[16] = {0};
    p_nDataLength = 0;
    if (!take(p_source, reply, 1, p_strError)) {
        return MALFORMED;
    }
    int code = RegisterBytes::at(reply, 0);
    if (code == 0x05) {
        if (!take(p_source, reply + 1, 4, p_strError)) {
            return MALFORMED;
        }
        if (reply[1] != 0x01 || reply[2] != 0x02 || reply[3] != 0x01 || reply[4] != 0x09) {
            p_strError = "write acknowledgement malformed";
            return MALFORMED;
        }
        return ACKNOWLEDGED;
    }
    for (const DataCode& data : kDataCodes) {
        if (data.nCode != code) {
            continue;
        }
        if (!take(p_source, reply + 1, 3, p_strError) ||
            !take(p_source, reply + 4, data.nData, p_strError)) {
            return MALFORMED;
        }
        int end = 4 + data.nData;
        if (p_source.read(reply + end, 1, kReplyWait) != 1 ||
            RegisterBytes::at(reply, static_cast<size_t>(end)) !=
                RegisterBytes::additiveSum(reply, static_cast<size_t>(end)) ||
            reply[1] != 0x01 || RegisterBytes::at(reply, 2) != code - 3 || reply[3] != 0x01) {
            p_strError = text("%d recv checksum error", data.nMessage);
            return MALFORMED;
        }
        if (data.nData > p_nReplyMax) {
            p_strError = text("reply of %d data bytes is too long", data.nData);
            return MALFORMED;
        }
        for (int index = 0; index < data.nData; ++index) {
            p_pReply[index] = reply[4 + index];
        }
        p_nDataLength = data.nData;
        return DATA;
    }
    p_strError = text("recv code failed,first recv code = 0x%x", code);
    return BAD_CODE;
}

int ITNLink::sendCommand(char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyMax) {
    size_t body = static_cast<size_t>(p_nLength - 1);
    p_pCommand[body] = static_cast<char>(RegisterBytes::additiveSum(p_pCommand, body));
    int sent = m_line.write(p_pCommand, p_nLength);
    if (sent != p_nLength) {
        m_owner.ErrorPrintf("sendData failed,actualSendLength=%d,expectedSendLength=%d\n", sent,
                            p_nLength);
        return BAD_CODE;
    }
    char data[MAX_DATA] = {0};
    int dataLength = 0;
    std::string error;
    int result = receiveReply(m_line, data, MAX_DATA, dataLength, error);
    if (isOtherKind(result, dataLength, p_nReplyMax)) {
        // A reply the module sent after an earlier exchange gave up on it:
        // this command's own comes next. Only one: the module answers
        // each command once.
        m_owner.ErrorPrintf("skipped a late reply to an earlier command");
        error.clear();
        result = receiveReply(m_line, data, MAX_DATA, dataLength, error);
    }
    if (result == DATA && dataLength > p_nReplyMax) {
        error = text("reply of %d data bytes is too long", dataLength);
        result = MALFORMED;
    }
    if (!error.empty()) {
        m_owner.ErrorPrintf("%s", error.c_str());
    }
    if (result != DATA) {
        return result;
    }
    for (int index = 0; index < dataLength; ++index) {
        p_pReply[index] = data[index];
    }
    return dataLength == p_nReplyMax ? DATA : MALFORMED;
}

bool ITNLink::isOtherKind(int p_nResult, int p_nDataLength, int p_nReplyMax) {
    if (p_nReplyMax == 0) {
        return p_nResult == DATA;  // a read's answer where a write's was due
    }
    return p_nResult == ACKNOWLEDGED || (p_nResult == DATA && p_nDataLength != p_nReplyMax);
}

int ITNLink::logFailure(const char* p_szOperation, int p_nResult, const char* p_pCommand,
                        int p_nLength, const char* p_pReply, int p_nReplyLength) {
    m_owner.ErrorPrintf("%s error,nRet = %d\n\tsend command is:%s", p_szOperation, p_nResult,
                        RegisterBytes::dump(p_pCommand, p_nLength, "%02x ").c_str());
    m_owner.ErrorPrintf("\trecv command is:%s",
                        RegisterBytes::dump(p_pReply, p_nReplyLength, "%02x ").c_str());
    m_line.recvLeftData();
    return 0;
}

int ITNLink::getParameterValue(char* p_pCommand, int p_nLength, char* p_pReply,
                               int p_nReplyLength) {
    if (p_nReplyLength < 0 || p_nReplyLength > MAX_DATA) {
        return 0;
    }
    OVMutexManager guard(m_mutex);
    int result = sendCommand(p_pCommand, p_nLength, p_pReply, p_nReplyLength);
    if (result == DATA) {
        return 1;
    }
    return logFailure("getParameterValue", result, p_pCommand, p_nLength, p_pReply, 0);
}

int ITNLink::setParameterValue(char* p_pCommand, int p_nLength) {
    OVMutexManager guard(m_mutex);
    char reply[MAX_DATA] = {0};
    int result = sendCommand(p_pCommand, p_nLength, reply, 0);
    if (result == ACKNOWLEDGED) {
        return 1;
    }
    return logFailure("setParameterValue", result, p_pCommand, p_nLength, reply, 0);
}

int ITNLink::readFrame(int p_nAddress, int p_nCount, char* p_pFrame) {
    p_pFrame[0] = 0x09;
    p_pFrame[1] = 0x01;
    p_pFrame[2] = 0x06;
    p_pFrame[3] = 0x01;
    p_pFrame[4] = static_cast<char>((p_nAddress >> 16) & 0xFF);
    RegisterBytes::putBigEndian16(p_pFrame + 5, p_nAddress);
    p_pFrame[7] = static_cast<char>(p_nCount);
    p_pFrame[8] = static_cast<char>(RegisterBytes::additiveSum(p_pFrame, 8));
    return 9;
}

int ITNLink::readBytes(int p_nAddress, int p_nCount, char* p_pBytes) {
    char command[9];
    return getParameterValue(command, readFrame(p_nAddress, p_nCount, command), p_pBytes, p_nCount);
}

int ITNLink::readRegister(int p_nAddress, int p_nCount, int& p_nValue) {
    char bytes[MAX_DATA] = {0};
    if (p_nCount < 1 || p_nCount > 4 || !readBytes(p_nAddress, p_nCount, bytes)) {
        return 0;
    }
    int value = 0;
    for (int index = 0; index < p_nCount; ++index) {
        value = (value << 8) | RegisterBytes::at(bytes, static_cast<size_t>(index));
    }
    p_nValue = value;
    return 1;
}

int ITNLink::writeBytes(int p_nAddress, const char* p_pBytes, int p_nCount) {
    if (p_nCount != 1 && p_nCount != 2 && p_nCount != 8) {
        return 0;
    }
    char command[16] = {static_cast<char>(p_nCount + 8),
                        0x01,
                        static_cast<char>(p_nCount + 5),
                        0x02,
                        static_cast<char>((p_nAddress >> 16) & 0xFF),
                        static_cast<char>((p_nAddress >> 8) & 0xFF),
                        static_cast<char>(p_nAddress & 0xFF)};
    for (int index = 0; index < p_nCount; ++index) {
        command[7 + index] = p_pBytes[index];
    }
    return setParameterValue(command, p_nCount + 8);
}

int ITNLink::writeRegister(int p_nAddress, int p_nCount, int p_nValue) {
    char bytes[2] = {0};
    if (p_nCount == 2) {
        RegisterBytes::putBigEndian16(bytes, p_nValue);
    } else {
        bytes[0] = static_cast<char>(p_nValue & 0xFF);
    }
    return p_nCount <= 2 && writeBytes(p_nAddress, bytes, p_nCount);
}
