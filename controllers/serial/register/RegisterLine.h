#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_REGISTERLINE_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_REGISTER_REGISTERLINE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "../../../framework/ISensorController.h"
#include "../../../framework/IUARTController.h"
#include "../../../framework/SafePointer.h"
#include "../../../platform/Export.h"
#include "../../../platform/OVMutex.h"

/// What the register-protocol modules (Effio DSP, IT1, ITN, Seawolf) share on
/// the wire: checksums over a frame's bytes, multi-byte values in either byte
/// order, and a readable dump of a frame for the logs.
namespace RegisterBytes {

/// The byte at an index, unsigned.
inline unsigned char at(const char* p_pBytes, size_t p_nIndex) {
    return static_cast<unsigned char>(p_pBytes[p_nIndex]);
}
/// The 8-bit sum of the bytes.
SC_EXPORT unsigned char additiveSum(const char* p_pBytes, size_t p_nLength);
/// The bitwise complement of the 8-bit sum.
SC_EXPORT unsigned char invertedSum(const char* p_pBytes, size_t p_nLength);
/// Two bytes, low first / high first.
SC_EXPORT int littleEndian16(const char* p_pBytes);
/// Two big-endian bytes as a number.
SC_EXPORT int bigEndian16(const char* p_pBytes);
/// Four big-endian bytes as a number.
SC_EXPORT uint32_t bigEndian32(const char* p_pBytes);
/// Writes a value as two little-endian bytes.
SC_EXPORT void putLittleEndian16(char* p_pBytes, int p_nValue);
/// Writes a value as two big-endian bytes.
SC_EXPORT void putBigEndian16(char* p_pBytes, int p_nValue);
/// The p_nCount-bit field from bit p_nLow of a p_nWidth-bit value.
SC_EXPORT int field(int p_nValue, int p_nWidth, int p_nLow, int p_nCount);
/// p_nValue (masked to p_nWidth bits) with that field replaced by p_nField
/// shifted to p_nLow; p_nField itself is not masked.
SC_EXPORT int replaceField(int p_nValue, int p_nWidth, int p_nField, int p_nLow, int p_nCount);
/// Each byte through p_szFormat ("0x%02x\t", "%02x "), back to back.
SC_EXPORT std::string dump(const char* p_pBytes, int p_nLength, const char* p_szFormat);

}  // namespace RegisterBytes

/// Where a reply decoder takes its bytes from: the serial line, or a buffer
/// (the fuzz targets, tests).
class ReplySource {
public:
    virtual ~ReplySource();
    /// Up to p_nLength bytes; fewer once the source falls silent.
    virtual int read(char* p_pBuffer, int p_nLength, int p_nWait) = 0;
};

/// Bytes held in memory, given out in order.
class BufferSource : public ReplySource {
public:
    /// A source over bytes already received.
    BufferSource(const char* p_pBytes, size_t p_nLength) : m_pBytes(p_pBytes), m_nLeft(p_nLength) {}
    int read(char* p_pBuffer, int p_nLength, int p_nWait) override;
    /// The bytes not yet taken.
    size_t left() const { return m_nLeft; }

private:
    const char* m_pBytes;
    size_t m_nLeft;
};

/// One controller's side of a register line: the port, its index and the lock
/// that keeps one exchange whole.
class RegisterLine : public ReplySource {
public:
    /// The most a drain reads before it gives up on a line that never stops.
    enum { DRAIN_LIMIT = 1024, DRAIN_WAIT = 6 };

    /// A line over the controller's port, index and lock.
    RegisterLine(ISensorController& p_owner, SafePointer<IUARTController>& p_port,
                 const int& p_nIndex, OVMutex& p_mutex)
        : m_owner(p_owner), m_port(p_port), m_nIndex(p_nIndex), m_mutex(p_mutex) {}

    /// The lock of the line's exchanges.
    OVMutex& mutex() { return m_mutex; }
    /// The bytes written.
    int write(const char* p_pBytes, int p_nLength);
    /// Reads until p_nLength bytes arrived or a read brings nothing.
    int read(char* p_pBuffer, int p_nLength, int p_nWait) override;
    /// Drops what the line still holds after a failed exchange, one byte at a
    /// time until none arrives within the drain wait; the bytes dropped. When
    /// the module sent nothing at all since the last request, says so in the
    /// log ("the module did not answer ...").
    int recvLeftData();

private:
    ISensorController& m_owner;
    SafePointer<IUARTController>& m_port;
    const int& m_nIndex;
    OVMutex& m_mutex;
    /// The last request written and whether any byte came after it.
    std::string m_strRequest;
    bool m_bHeard = false;
};

#endif
