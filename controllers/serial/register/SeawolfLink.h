#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_SEAWOLFLINK_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_SEAWOLFLINK_H

#include "../../../framework/ISensorController.h"
#include "RegisterLine.h"

/// The Seawolf module's frames (hex); cs is the bitwise complement of the
/// 8-bit sum of the bytes before it (getCheckSum):
///   read item   03 02 group item cs
///   read group  03 02 00 item cs        (the module's information, item 0F
///                                        its version)
///   write item  04 01 group item value cs
/// A reply starts with its code:
///   01                      acknowledged: result 1
///   02 N d1 .. dN cs        data (cs over 02, N and the data): result 2;
///                           N above the caller's maximum or a wrong cs: 0
///   03                      the module's error: -3
///   04 e                    the module's error with its code e: -4
///   any other code          -3
/// A reply byte that does not arrive is -2. Exchanges hold the controller's
/// send mutex; a failed one drains the line.
class SeawolfLink {
public:
    enum {
        ACKNOWLEDGED = 1,
        DATA = 2,
        REFUSED = 0,
        MISSING = -2,
        MODULE_ERROR = -3,
        MODULE_ERROR_CODE = -4
    };
    enum { MAX_DATA = 32 };

    /// A link over the controller's port, index and lock.
    SeawolfLink(ISensorController& p_owner, SafePointer<IUARTController>& p_port,
                const int& p_nIndex, OVMutex& p_mutex)
        : m_owner(p_owner), m_line(p_owner, p_port, p_nIndex, p_mutex) {}

    /// The checksum of a frame's bytes.
    static unsigned char getCheckSum(const char* p_pBytes, int p_nLength);
    /// Fills in the checksum, writes and reads the reply: its result, the
    /// data (at most p_nReplyMax bytes) into p_pReply and its count.
    int sendCommand(char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyMax,
                    int& p_nDataLength);
    /// 1 when the reply carries data, at most p_nReplyLength bytes (the
    /// count in p_nDataLength).
    int getParameterValue(char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyLength,
                          int& p_nDataLength);
    /// Reads an item of a group; 1 or 0.
    int getParameterValue(int p_nGroup, int p_nItem, char* p_pReply, int p_nReplyLength);
    /// Reads an information item; 1 or 0.
    int getParameterValue(int p_nItem, char* p_pReply, int p_nReplyLength, int& p_nDataLength);
    /// 1 when acknowledged.
    int setParameterValue(char* p_pCommand, int p_nLength);
    /// Writes an item of a group; 1 or 0.
    int setItem(int p_nGroup, int p_nItem, int p_nValue);
    /// One byte of an item.
    int getItem(int p_nGroup, int p_nItem, int& p_nValue);
    /// A bit field of an item's byte.
    int getAppointValue(int p_nGroup, int p_nItem, int& p_nValue, int p_nLow, int p_nCount);
    /// Reads and drops what is left on the line.
    int recvLeftData() { return m_line.recvLeftData(); }

    /// The read of an item (group 0: the module's information), checksum
    /// filled in: 5 bytes into p_pFrame.
    static int readFrame(int p_nGroup, int p_nItem, char* p_pFrame);
    /// Reads one reply from p_source: its result, never more than
    /// p_nReplyMax data bytes into p_pReply.
    static int receiveReply(ReplySource& p_source, char* p_pReply, int p_nReplyMax,
                            int& p_nDataLength);

private:
    ISensorController& m_owner;
    RegisterLine m_line;
};

#endif
