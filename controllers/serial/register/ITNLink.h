#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_ITNLINK_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_ITNLINK_H

#include <cstdint>
#include <string>

#include "../../../framework/ISensorController.h"
#include "RegisterLine.h"

/// The ITN module's register frames (hex); cs is the 8-bit sum of the bytes
/// before it, A2 A1 A0 the register address:
///   read             09 01 06 01 A2 A1 A0 nn cs
///   write one byte   09 01 06 02 A2 A1 A0 data cs
///   write two bytes  0A 01 07 02 A2 A1 A0 d1 d2 cs
///   write eight      10 01 0D 02 A2 A1 A0 d1 .. d8 cs
/// A reply starts with its code, read alone:
///   05  01 02 01 09                 write acknowledged: result 1
///   06  01 03 01, 1 data byte, cs   read: result 2
///   07  01 04 01, 2 data bytes, cs  read: result 2
///   0B  01 08 01, 6 data bytes, cs  read: result 2
///   any other code                  result -1
/// A short, malformed or badly summed reply is result -2. Multi-byte values
/// are big-endian (FlipChar, changToInt). Exchanges hold the ITN mutex; a
/// failed one drains the line. A well-formed reply of the other kind is a
/// late answer to an earlier exchange, and is skipped once.
class ITNLink {
public:
    enum { ACKNOWLEDGED = 1, DATA = 2, BAD_CODE = -1, MALFORMED = -2 };
    enum { MAX_DATA = 8 };

    /// A link over the controller's port and index.
    ITNLink(ISensorController& p_owner, SafePointer<IUARTController>& p_port, const int& p_nIndex)
        : m_owner(p_owner), m_line(p_owner, p_port, p_nIndex, m_mutex) {}

    /// Fills in the checksum, writes the command and reads the reply: its
    /// result, data bytes (at most p_nReplyMax) into p_pReply.
    int sendCommand(char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyMax);
    /// 1 when the reply carries exactly p_nReplyLength data bytes.
    int getParameterValue(char* p_pCommand, int p_nLength, char* p_pReply, int p_nReplyLength);
    /// 1 when the write is acknowledged.
    int setParameterValue(char* p_pCommand, int p_nLength);

    /// p_nCount (1, 2 or 6) bytes from the register, as a big-endian value
    /// (p_nCount up to 4) or raw into p_pBytes.
    int readRegister(int p_nAddress, int p_nCount, int& p_nValue);
    /// Reads p_nCount bytes from an address; 1 or 0.
    int readBytes(int p_nAddress, int p_nCount, char* p_pBytes);
    /// p_nCount (1, 2 or 8) bytes; values big-endian.
    int writeRegister(int p_nAddress, int p_nCount, int p_nValue);
    /// Writes bytes to an address; 1 or 0.
    int writeBytes(int p_nAddress, const char* p_pBytes, int p_nCount);
    /// Reads and drops what is left on the line.
    int recvLeftData() { return m_line.recvLeftData(); }

    /// The read of p_nCount bytes from a register, checksum filled in: 9
    /// bytes into p_pFrame.
    static int readFrame(int p_nAddress, int p_nCount, char* p_pFrame);
    /// Reads one reply from p_source: its result; the data count and, for a
    /// failure, the message to log. Never writes more than p_nReplyMax data
    /// bytes, whatever the reply holds.
    static int receiveReply(ReplySource& p_source, char* p_pReply, int p_nReplyMax,
                            int& p_nDataLength, std::string& p_strError);
    /// Two bytes and four bytes, big-endian on the wire, in host order.
    static int FlipChar(const char* p_pBytes) { return RegisterBytes::bigEndian16(p_pBytes); }
    /// Four big-endian bytes as a number.
    static uint32_t changToInt(const char* p_pBytes) {
        return RegisterBytes::bigEndian32(p_pBytes);
    }

private:
    /// A well-formed reply that cannot be this command's: an acknowledgement
    /// or data of another size for a read, data for a write.
    static bool isOtherKind(int p_nResult, int p_nDataLength, int p_nReplyMax);
    int logFailure(const char* p_szOperation, int p_nResult, const char* p_pCommand, int p_nLength,
                   const char* p_pReply, int p_nReplyLength);

    ISensorController& m_owner;
    OVMutex m_mutex;
    RegisterLine m_line;
};

#endif
