#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_EFFIOLINK_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_EFFIOLINK_H

#include "../../../framework/ISensorController.h"
#include "RegisterLine.h"

/// The Effio DSP's register frames (hex); cs is the 8-bit sum of the bytes
/// before it:
///   read request          06 52 cat first last cs      ('R')
///   write request, 1 byte 06 57 cat addr data cs       ('W')
///   write request, 2 byte 07 57 cat addr low high cs
///   read reply            header status d1 .. dn cs    (n + 3 bytes)
///   write reply           b0 b1 b2, b2 = b0 + b1
/// The status byte (reply byte 1) F0, F1, F2 and FE are the DSP's errors; any
/// other value is accepted. Two-byte registers are little-endian.
/// Every exchange holds the controller's send mutex; a failed one leaves
/// nothing behind on the line (what is left is drained) and is not retried.
class EffioLink {
public:
    /// What a reply says.
    enum Decoded { DECODED, TOO_SHORT, ERROR_STATUS, BAD_CHECKSUM };
    /// The longest read a request may ask for.
    enum { MAX_DATA = 32 };

    /// A link over the controller's port, index and lock.
    EffioLink(ISensorController& p_owner, SafePointer<IUARTController>& p_port, const int& p_nIndex,
              OVMutex& p_mutex)
        : m_owner(p_owner), m_line(p_owner, p_port, p_nIndex, p_mutex) {}

    /// Fills in the request's checksum, sends it and takes p_nOutLength data
    /// bytes from the reply into p_pOut; 1 or 0.
    int getParameters(char* p_pRequest, int p_nRequestLength, char* p_pOut, int p_nOutLength);
    /// Fills in the checksum, sends the write request and checks its reply.
    int setParameters(char* p_pRequest, int p_nRequestLength);

    /// The little-endian value of p_nCount (1 or 2) registers from p_nAddress.
    int readRegisters(int p_nCategory, int p_nAddress, int p_nCount, int& p_nValue);
    /// Writes p_nCount registers from p_nAddress of a category; 1 or 0.
    int writeRegisters(int p_nCategory, int p_nAddress, int p_nCount, int p_nValue);

    /// The read request of the registers p_nFirst..p_nLast of a category,
    /// checksum filled in: 6 bytes into p_pFrame.
    static int readFrame(int p_nCategory, int p_nFirst, int p_nLast, char* p_pFrame);
    /// The DSP's message for a status byte; null for an accepted one.
    static const char* statusMessage(unsigned char p_status);
    /// Reply decoders over what the line gave (p_nReceived bytes, never read
    /// past): a read reply carrying p_nOutLength data bytes (copied to p_pOut
    /// when DECODED), and a write reply.
    static Decoded decodeReadReply(const char* p_pReply, int p_nReceived, int p_nOutLength,
                                   char* p_pOut);
    /// What a write reply says.
    static Decoded decodeWriteReply(const char* p_pReply, int p_nReceived);

private:
    int send(const char* p_szOperation, char* p_pRequest, int p_nRequestLength);
    /// The error log's dump of a frame: "0x%02x\t" per byte.
    void logBytes(const char* p_szTitle, const char* p_pBytes, int p_nLength);

    ISensorController& m_owner;
    RegisterLine m_line;
};

#endif
