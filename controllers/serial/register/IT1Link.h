#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IT1LINK_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_IT1LINK_H

#include "../../../framework/ISensorController.h"
#include "RegisterLine.h"

/// The IT1 modules' register frames (hex); cs is the 8-bit sum of the bytes
/// before it (computeCheckSum), RH RL the register address:
///   read register    08 01 05 01 RH RL nn cs     (nn = 1 or 2 data bytes)
///   write one byte   08 01 05 02 RH RL data cs
///   write two bytes  09 01 06 02 RH RL low high cs
///   reply            count, then count - 1 bytes, the last the checksum
///     write done     05 01 02 01 cs
///     one byte read  06 01 03 01 data cs
///     two byte read  07 01 04 01 low high cs    (value = high x 256 + low)
/// Reply byte 3 is the module's status: 01 done; any other value is a
/// refusal, which fails like a reply of the wrong length.
/// Exchanges hold the IT1 send mutex (not the controller's); a failed one is
/// repeated once, and the line is drained after a failure.
class IT1Link {
public:
    /// baseSendCommand's negative results.
    enum { SEND_FAILED = -1, RECV_SHORT = -2, BAD_CHECKSUM = -3, BAD_COUNT = -4 };
    enum { MAX_REPLY = 16 };

    /// The numbers a failed decode reports.
    struct Failure {
        /// The first register byte.
        int nFirst = 0;
        /// The second register byte.
        int nSecond = 0;
    };

    /// A link over the controller's port and index.
    IT1Link(ISensorController& p_owner, SafePointer<IUARTController>& p_port, const int& p_nIndex)
        : m_owner(p_owner), m_line(p_owner, p_port, p_nIndex, m_mutex) {}

    /// The checksum of a frame's bytes.
    static unsigned char computeCheckSum(const char* p_pBytes, int p_nLength);
    /// One exchange: the reply's length, or SEND_FAILED, RECV_SHORT,
    /// BAD_CHECKSUM, BAD_COUNT (count byte outside 2..p_nReplyMax).
    int baseSendCommand(const char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyMax);
    /// baseSendCommand, once more (after a drain) when it did not succeed.
    int sendCommand(const char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyMax);
    /// A read: a 6-byte or 7-byte reply gives the value; 1 or 0.
    int getParameterValue(const char* p_pCommand, int p_nLength, int& p_nValue);
    /// A write: a 5-byte reply; 1 or 0.
    int setParameterValue(const char* p_pCommand, int p_nLength);
    /// Any exchange, the reply copied raw; 1 when one arrived.
    int exchange(const char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyLength);
    /// Reads and drops what is left on the line.
    int recvLeftData() { return m_line.recvLeftData(); }

    /// Register access: p_nCount 1 or 2 bytes, two-byte values low byte first.
    int readRegister(int p_nRegister, int p_nCount, int& p_nValue);
    /// Writes p_nCount bytes of a value to a register; 1 or 0.
    int writeRegister(int p_nRegister, int p_nCount, int p_nValue);
    /// The frames themselves, checksum filled in.
    static int readFrame(int p_nRegister, int p_nCount, char* p_pFrame);
    /// Builds the write frame; its length.
    static int writeFrame(int p_nRegister, int p_nCount, int p_nValue, char* p_pFrame);

    /// Reads one reply from p_source: its length, or RECV_SHORT, BAD_CHECKSUM
    /// or BAD_COUNT with the numbers for the message. Never reads more than
    /// p_nReplyMax bytes into p_pReply, whatever the count byte says.
    static int receiveReply(ReplySource& p_source, char* p_pReply, int p_nReplyMax,
                            Failure& p_failure);
    /// The value of a decoded read reply; false for any other reply.
    static bool replyValue(const char* p_pReply, int p_nLength, int& p_nValue);
    /// Whether a reply acknowledges a write.
    static bool isWriteDone(const char* p_pReply, int p_nLength);

private:
    ISensorController& m_owner;
    OVMutex m_mutex;
    RegisterLine m_line;
};

#endif
