#include "IT1Link.h"

#include <cstdio>
#include <string>

#include "../../../platform/GlobalEnv.h"

namespace {

const int kReplyWait = 3;
const int kDone = 0x01;
const int kWriteReplyLength = 5;
const int kReadReplyLength = 6;
const int kWideReadReplyLength = 7;

bool printing() {
    return GlobalEnv::getInstance()->getPrintFlag();
}

std::string bytes(const char* p_pBytes, int p_nLength) {
    return RegisterBytes::dump(p_pBytes, p_nLength, "%02x ");
}

}  // namespace

unsigned char IT1Link::computeCheckSum(const char* p_pBytes, int p_nLength) {
    return RegisterBytes::additiveSum(p_pBytes, static_cast<size_t>(p_nLength > 0 ? p_nLength : 0));
}

int IT1Link::receiveReply(ReplySource& p_source, char* p_pReply, int p_nReplyMax,
                          Failure& p_failure) {
    int received = p_source.read(p_pReply, 1, kReplyWait);
    if (received != 1) {
        p_failure.nFirst = received;
        return RECV_SHORT;
    }
    int count = RegisterBytes::at(p_pReply, 0);
    if (count < 2 || count > p_nReplyMax) {
        p_failure.nFirst = count;
        p_failure.nSecond = count;
        return BAD_COUNT;
    }
    received = p_source.read(p_pReply + 1, count - 1, kReplyWait);
    if (received != count - 1) {
        p_failure.nFirst = received;
        p_failure.nSecond = count;
        return RECV_SHORT;
    }
    unsigned char expected = computeCheckSum(p_pReply, count - 1);
    if (RegisterBytes::at(p_pReply, static_cast<size_t>(count - 1)) != expected) {
        p_failure.nFirst = expected;
        p_failure.nSecond = RegisterBytes::at(p_pReply, static_cast<size_t>(count - 1));
        return BAD_CHECKSUM;
    }
    return count;
}

bool IT1Link::replyValue(const char* p_pReply, int p_nLength, int& p_nValue) {
    if ((p_nLength != kReadReplyLength && p_nLength != kWideReadReplyLength) ||
        RegisterBytes::at(p_pReply, 3) != kDone) {
        return false;
    }
    p_nValue = p_nLength == kWideReadReplyLength ? RegisterBytes::littleEndian16(p_pReply + 4)
                                                 : RegisterBytes::at(p_pReply, 4);
    return true;
}

bool IT1Link::isWriteDone(const char* p_pReply, int p_nLength) {
    return p_nLength == kWriteReplyLength && RegisterBytes::at(p_pReply, 3) == kDone;
}

int IT1Link::baseSendCommand(const char* p_pCommand, int p_nLength, char* p_pReply,
                             int p_nReplyMax) {
    int sent = m_line.write(p_pCommand, p_nLength);
    if (sent != p_nLength) {
        m_owner.ErrorPrintf("p_pszSendCommandLen = %d,nSendLength=%d", p_nLength, sent);
        return SEND_FAILED;
    }
    Failure failure;
    int result = receiveReply(m_line, p_pReply, p_nReplyMax, failure);
    switch (result) {
        case RECV_SHORT:
            if (failure.nSecond == 0) {
                m_owner.ErrorPrintf("recv dataCount failed,nRecvLength=%d", failure.nFirst);
            } else {
                m_owner.ErrorPrintf("recv data failed,nRecvLength=%d,nRecvCount=%d", failure.nFirst,
                                    failure.nSecond);
            }
            break;
        case BAD_CHECKSUM:
            m_owner.ErrorPrintf("checkSum error,nExpectedCheckSum = 0x%02x,actualCheckSum=0x%02x",
                                failure.nFirst, failure.nSecond);
            break;
        case BAD_COUNT:
            if (printing()) {
                std::printf("recv dataCount failed,dataCount=%d,nResult=0x%02x\n", failure.nFirst,
                            failure.nSecond);
            }
            break;
        default:
            break;
    }
    return result;
}

int IT1Link::sendCommand(const char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyMax) {
    int result = baseSendCommand(p_pCommand, p_nLength, p_pReply, p_nReplyMax);
    if (result > 0) {
        return result;
    }
    m_line.recvLeftData();
    result = baseSendCommand(p_pCommand, p_nLength, p_pReply, p_nReplyMax);
    if (result <= 0 && printing()) {
        std::printf("second sendCommand failed,nCount=%d\n", result);
    }
    return result;
}

int IT1Link::exchange(const char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyLength) {
    OVMutexManager guard(m_mutex);
    char reply[MAX_REPLY] = {0};
    int length = sendCommand(p_pCommand, p_nLength, reply, MAX_REPLY);
    if (length <= 0) {
        m_line.recvLeftData();
        return 0;
    }
    for (int index = 0; index < p_nReplyLength && index < length; ++index) {
        p_pReply[index] = reply[index];
    }
    return 1;
}

int IT1Link::getParameterValue(const char* p_pCommand, int p_nLength, int& p_nValue) {
    OVMutexManager guard(m_mutex);
    char reply[MAX_REPLY] = {0};
    int length = sendCommand(p_pCommand, p_nLength, reply, kWideReadReplyLength);
    if (length > 0 && replyValue(reply, length, p_nValue)) {
        return 1;
    }
    m_owner.ErrorPrintf("getParameterValue error,nRet = %d,command is:%s", length,
                        bytes(p_pCommand, p_nLength).c_str());
    m_line.recvLeftData();
    return 0;
}

int IT1Link::setParameterValue(const char* p_pCommand, int p_nLength) {
    OVMutexManager guard(m_mutex);
    char reply[MAX_REPLY] = {0};
    int length = sendCommand(p_pCommand, p_nLength, reply, kWideReadReplyLength);
    if (length > 0 && isWriteDone(reply, length)) {
        return 1;
    }
    m_owner.ErrorPrintf("setParameterValue error,nRet = %d,\n\tsendCommand is:%s", length,
                        bytes(p_pCommand, p_nLength).c_str());
    m_owner.ErrorPrintf("\trecvCommand:%s", bytes(reply, length > 0 ? length : 0).c_str());
    m_line.recvLeftData();
    return 0;
}

int IT1Link::readFrame(int p_nRegister, int p_nCount, char* p_pFrame) {
    const char frame[8] = {0x08,
                           0x01,
                           0x05,
                           0x01,
                           static_cast<char>((p_nRegister >> 8) & 0xFF),
                           static_cast<char>(p_nRegister & 0xFF),
                           static_cast<char>(p_nCount),
                           0};
    for (int index = 0; index < 7; ++index) {
        p_pFrame[index] = frame[index];
    }
    p_pFrame[7] = static_cast<char>(computeCheckSum(p_pFrame, 7));
    return 8;
}

int IT1Link::writeFrame(int p_nRegister, int p_nCount, int p_nValue, char* p_pFrame) {
    int length = p_nCount == 2 ? 9 : 8;
    p_pFrame[0] = static_cast<char>(length);
    p_pFrame[1] = 0x01;
    p_pFrame[2] = static_cast<char>(length - 3);
    p_pFrame[3] = 0x02;
    RegisterBytes::putBigEndian16(p_pFrame + 4, p_nRegister);
    if (p_nCount == 2) {
        RegisterBytes::putLittleEndian16(p_pFrame + 6, p_nValue);
    } else {
        p_pFrame[6] = static_cast<char>(p_nValue & 0xFF);
    }
    p_pFrame[length - 1] = static_cast<char>(computeCheckSum(p_pFrame, length - 1));
    return length;
}

int IT1Link::readRegister(int p_nRegister, int p_nCount, int& p_nValue) {
    char frame[8];
    int length = readFrame(p_nRegister, p_nCount, frame);
    return getParameterValue(frame, length, p_nValue);
}

int IT1Link::writeRegister(int p_nRegister, int p_nCount, int p_nValue) {
    char frame[9];
    int length = writeFrame(p_nRegister, p_nCount, p_nValue, frame);
    return setParameterValue(frame, length);
}
