#include "EffioLink.h"

#include <string>

namespace {

const char kRead = 0x52;
const char kWrite = 0x57;
const int kReplyWait = 3;
const int kWriteReplyLength = 3;

}  // namespace

const char* EffioLink::statusMessage(unsigned char p_status) {
    switch (p_status) {
        case 0xF0:
            return "Communication error";
        case 0xF1:
            return "Category number error";
        case 0xF2:
            return "Byte number error";
        case 0xFE:
            return "Other error";
        default:
            return nullptr;
    }
}

EffioLink::Decoded EffioLink::decodeReadReply(const char* p_pReply, int p_nReceived,
                                              int p_nOutLength, char* p_pOut) {
    if (p_nOutLength < 0 || p_nReceived < p_nOutLength + 3) {
        return TOO_SHORT;
    }
    if (statusMessage(RegisterBytes::at(p_pReply, 1)) != nullptr) {
        return ERROR_STATUS;
    }
    size_t last = static_cast<size_t>(p_nOutLength) + 2;
    if (RegisterBytes::at(p_pReply, last) != RegisterBytes::additiveSum(p_pReply, last)) {
        return BAD_CHECKSUM;
    }
    for (int index = 0; index < p_nOutLength; ++index) {
        p_pOut[index] = p_pReply[index + 2];
    }
    return DECODED;
}

EffioLink::Decoded EffioLink::decodeWriteReply(const char* p_pReply, int p_nReceived) {
    if (p_nReceived < kWriteReplyLength) {
        return TOO_SHORT;
    }
    if (statusMessage(RegisterBytes::at(p_pReply, 1)) != nullptr) {
        return ERROR_STATUS;
    }
    return RegisterBytes::at(p_pReply, 2) == RegisterBytes::additiveSum(p_pReply, 2) ? DECODED
                                                                                     : BAD_CHECKSUM;
}

void EffioLink::logBytes(const char* p_szTitle, const char* p_pBytes, int p_nLength) {
    m_owner.ErrorPrintf("%s%s", p_szTitle,
                        RegisterBytes::dump(p_pBytes, p_nLength, "0x%02x\t").c_str());
}

int EffioLink::send(const char* p_szOperation, char* p_pRequest, int p_nRequestLength) {
    size_t body = static_cast<size_t>(p_nRequestLength - 1);
    p_pRequest[body] = static_cast<char>(RegisterBytes::additiveSum(p_pRequest, body));
    if (m_line.write(p_pRequest, p_nRequestLength) == p_nRequestLength) {
        return 1;
    }
    m_owner.ErrorPrintf("%s::send command failed (%s)", p_szOperation,
                        RegisterBytes::dump(p_pRequest, p_nRequestLength, "%02x ").c_str());
    return 0;
}

int EffioLink::getParameters(char* p_pRequest, int p_nRequestLength, char* p_pOut,
                             int p_nOutLength) {
    if (p_pRequest == nullptr || p_nRequestLength < 2 || p_nOutLength < 0 ||
        p_nOutLength > MAX_DATA) {
        return 0;
    }
    OVMutexManager guard(m_line.mutex());
    if (!send("getParameters", p_pRequest, p_nRequestLength)) {
        return 0;
    }
    char reply[MAX_DATA + 3] = {0};
    int received = m_line.read(reply, p_nOutLength + 3, kReplyWait);
    Decoded decoded = decodeReadReply(reply, received, p_nOutLength, p_pOut);
    switch (decoded) {
        case DECODED:
            OrvaneTime(0, 10000).wait();
            return 1;
        case TOO_SHORT:
            m_owner.ErrorPrintf("getParmaters recv len error");
            logBytes("recv request : ", p_pRequest, p_nRequestLength);
            logBytes("\nresult :", reply, received);
            break;
        case ERROR_STATUS:
            m_owner.ErrorPrintf("%s", statusMessage(RegisterBytes::at(reply, 1)));
            break;
        default:
            m_owner.ErrorPrintf("check sum error expect=%d , but actual = %d",
                                RegisterBytes::at(reply, p_nOutLength + 2),
                                RegisterBytes::additiveSum(reply, p_nOutLength + 2));
            logBytes("recv request : ", p_pRequest, p_nRequestLength);
            logBytes("\nresult :", reply, received);
            break;
    }
    m_line.recvLeftData();
    return 0;
}

int EffioLink::setParameters(char* p_pRequest, int p_nRequestLength) {
    if (p_pRequest == nullptr || p_nRequestLength < 2) {
        return 0;
    }
    OVMutexManager guard(m_line.mutex());
    if (!send("setParameters", p_pRequest, p_nRequestLength)) {
        return 0;
    }
    char reply[kWriteReplyLength] = {0};
    int received = m_line.read(reply, kWriteReplyLength, kReplyWait);
    switch (decodeWriteReply(reply, received)) {
        case DECODED:
            return 1;
        case TOO_SHORT:
            m_owner.ErrorPrintf("setParameters : recv len failed expectlen=3,actuallen=%d",
                                received);
            logBytes("\nset send : ", p_pRequest, p_nRequestLength);
            logBytes("set recv :", reply, received);
            break;
        case ERROR_STATUS:
            m_owner.ErrorPrintf("%s", statusMessage(RegisterBytes::at(reply, 1)));
            break;
        default:
            logBytes("set request : ", p_pRequest, p_nRequestLength);
            logBytes("\nresult :", reply, received);
            break;
    }
    m_line.recvLeftData();
    return 0;
}

int EffioLink::readFrame(int p_nCategory, int p_nFirst, int p_nLast, char* p_pFrame) {
    p_pFrame[0] = 0x06;
    p_pFrame[1] = kRead;
    p_pFrame[2] = static_cast<char>(p_nCategory);
    p_pFrame[3] = static_cast<char>(p_nFirst);
    p_pFrame[4] = static_cast<char>(p_nLast);
    p_pFrame[5] = static_cast<char>(RegisterBytes::additiveSum(p_pFrame, 5));
    return 6;
}

int EffioLink::readRegisters(int p_nCategory, int p_nAddress, int p_nCount, int& p_nValue) {
    char request[6];
    readFrame(p_nCategory, p_nAddress, p_nAddress + p_nCount - 1, request);
    char data[2] = {0};
    if (p_nCount < 1 || p_nCount > 2 || !getParameters(request, sizeof(request), data, p_nCount)) {
        return 0;
    }
    p_nValue = p_nCount == 2 ? RegisterBytes::littleEndian16(data) : RegisterBytes::at(data, 0);
    return 1;
}

int EffioLink::writeRegisters(int p_nCategory, int p_nAddress, int p_nCount, int p_nValue) {
    char request[7] = {static_cast<char>(5 + p_nCount),
                       kWrite,
                       static_cast<char>(p_nCategory),
                       static_cast<char>(p_nAddress),
                       0,
                       0,
                       0};
    if (p_nCount == 2) {
        RegisterBytes::putLittleEndian16(request + 4, p_nValue);
    } else if (p_nCount == 1) {
        request[4] = static_cast<char>(p_nValue & 0xFF);
    } else {
        return 0;
    }
    return setParameters(request, 5 + p_nCount);
}
