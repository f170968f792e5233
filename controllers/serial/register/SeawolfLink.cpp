#include "SeawolfLink.h"

namespace {

const int kReplyWait = 3;

}  // namespace

unsigned char SeawolfLink::getCheckSum(const char* p_pBytes, int p_nLength) {
    return RegisterBytes::invertedSum(p_pBytes, static_cast<size_t>(p_nLength > 0 ? p_nLength : 0));
}

int SeawolfLink::receiveReply(ReplySource& p_source, char* p_pReply, int p_nReplyMax,
                              int& p_nDataLength) {
    char head[2] = {0};
    p_nDataLength = 0;
    if (p_source.read(head, 1, kReplyWait) != 1) {
        return MISSING;
    }
    switch (RegisterBytes::at(head, 0)) {
        case 0x01:
            return ACKNOWLEDGED;
        case 0x02:
            break;
        case 0x04:
            return p_source.read(head + 1, 1, kReplyWait) == 1 ? MODULE_ERROR_CODE : MISSING;
        default:
            return MODULE_ERROR;
    }
    if (p_source.read(head + 1, 1, kReplyWait) != 1) {
        return MISSING;
    }
    int count = RegisterBytes::at(head, 1);
    if (count > p_nReplyMax || count > MAX_DATA) {
        return REFUSED;
    }
    char data[MAX_DATA + 3] = {head[0], head[1]};
    if (p_source.read(data + 2, count + 1, kReplyWait) != count + 1) {
        return MISSING;
    }
    if (RegisterBytes::at(data, static_cast<size_t>(count + 2)) != getCheckSum(data, count + 2)) {
        return REFUSED;
    }
    for (int index = 0; index < count; ++index) {
        p_pReply[index] = data[2 + index];
    }
    p_nDataLength = count;
    return DATA;
}

int SeawolfLink::sendCommand(char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyMax,
                             int& p_nDataLength) {
    p_nDataLength = 0;
    p_pCommand[p_nLength - 1] = static_cast<char>(getCheckSum(p_pCommand, p_nLength - 1));
    if (m_line.write(p_pCommand, p_nLength) != p_nLength) {
        return MISSING;
    }
    int result = receiveReply(m_line, p_pReply, p_nReplyMax, p_nDataLength);
    if (result != ACKNOWLEDGED && result != DATA) {
        m_line.recvLeftData();
    }
    return result;
}

int SeawolfLink::getParameterValue(char* p_pCommand, int p_nLength, char* p_pReply,
                                   int p_nReplyLength, int& p_nDataLength) {
    OVMutexManager guard(m_line.mutex());
    int result = sendCommand(p_pCommand, p_nLength, p_pReply, p_nReplyLength, p_nDataLength);
    if (result == ACKNOWLEDGED) {
        m_line.recvLeftData();  // an acknowledgement where data was due
    }
    return result == DATA ? 1 : 0;
}

int SeawolfLink::readFrame(int p_nGroup, int p_nItem, char* p_pFrame) {
    p_pFrame[0] = 0x03;
    p_pFrame[1] = 0x02;
    p_pFrame[2] = static_cast<char>(p_nGroup);
    p_pFrame[3] = static_cast<char>(p_nItem);
    p_pFrame[4] = static_cast<char>(getCheckSum(p_pFrame, 4));
    return 5;
}

int SeawolfLink::getParameterValue(int p_nGroup, int p_nItem, char* p_pReply, int p_nReplyLength) {
    char command[5];
    readFrame(p_nGroup, p_nItem, command);
    int length = 0;
    if (getParameterValue(command, sizeof(command), p_pReply, p_nReplyLength, length) &&
        length == p_nReplyLength) {
        return 1;
    }
    m_owner.ErrorPrintf("______________getParameterValue(0x%02x),(0x%02x)failed", p_nGroup,
                        p_nItem);
    return 0;
}

int SeawolfLink::getParameterValue(int p_nItem, char* p_pReply, int p_nReplyLength,
                                   int& p_nDataLength) {
    char command[5];
    readFrame(0x00, p_nItem, command);
    if (getParameterValue(command, sizeof(command), p_pReply, p_nReplyLength, p_nDataLength)) {
        return 1;
    }
    m_owner.ErrorPrintf("______________getParameterValue(0x%02x)failed", p_nItem);
    return 0;
}

int SeawolfLink::setParameterValue(char* p_pCommand, int p_nLength) {
    OVMutexManager guard(m_line.mutex());
    char reply[MAX_DATA];
    int length = 0;
    int result = sendCommand(p_pCommand, p_nLength, reply, MAX_DATA, length);
    if (result == DATA) {
        m_line.recvLeftData();  // data where an acknowledgement was due
    }
    return result == ACKNOWLEDGED ? 1 : 0;
}

int SeawolfLink::setItem(int p_nGroup, int p_nItem, int p_nValue) {
    char command[6] = {0x04,
                       0x01,
                       static_cast<char>(p_nGroup),
                       static_cast<char>(p_nItem),
                       static_cast<char>(p_nValue),
                       0};
    return setParameterValue(command, sizeof(command));
}

int SeawolfLink::getItem(int p_nGroup, int p_nItem, int& p_nValue) {
    char value = 0;
    if (!getParameterValue(p_nGroup, p_nItem, &value, 1)) {
        return 0;
    }
    p_nValue = RegisterBytes::at(&value, 0);
    return 1;
}

int SeawolfLink::getAppointValue(int p_nGroup, int p_nItem, int& p_nValue, int p_nLow,
                                 int p_nCount) {
    int byte = 0;
    if (!getItem(p_nGroup, p_nItem, byte)) {
        return 0;
    }
    p_nValue = RegisterBytes::field(byte, 8, p_nLow, p_nCount);
    return 1;
}
