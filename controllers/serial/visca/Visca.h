#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_VISCA_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_VISCA_VISCA_H

#include <string>

#include "../../../framework/ISensorController.h"

/// VISCA frames, byte by byte (hex):
///   command      81 01 04 cc params FF   (camera 1, category 04, code cc)
///   inquiry      81 09 04 cc params FF
///   acknowledge  90 41 FF / 90 42 FF     (socket 1 / 2)
///   completion   90 51 FF / 90 52 FF
///   reply        90 50 ... FF
/// Multi-digit values travel as nibbles, most significant first (a 16-bit v
/// is 0p 0q 0r 0s). Board frames (IR lamp board, restart) are FE, payload,
/// the 8-bit sum of the payload, FF.
namespace Visca {

/// A command frame: 81 01 04 code parameters FF.
std::string command(int p_nCode, const std::string& p_strParameters = std::string());
/// An inquiry frame: 81 09 04 code parameters FF.
std::string inquiry(int p_nCode, const std::string& p_strParameters = std::string());
/// `count` nibbles of `value`, most significant first.
std::string nibbles(unsigned int p_nValue, int p_nCount);
/// A number from p_nCount nibbles.
unsigned int fromNibbles(const char* p_pBytes, int p_nCount);
/// The bytes of the values.
std::string bytes(std::initializer_list<int> p_values);
/// A frame for the IR lamp board around the payload.
std::string boardFrame(const std::string& p_strPayload);
/// 02 on, 03 off.
inline int onOff(int p_nValue) {
    return p_nValue == 1 ? 0x02 : 0x03;
}

/// Zoom position to zoom factor x 1000 over the 12 optical steps; false
/// (ratio untouched) above the last step.
bool zoomRatio(int p_nPosition, int& p_nRatio);

/// "%02x " per byte, for the console trace of exchanges.
void traceBytes(const char* p_pBytes, int p_nLength);
/// "90 60 02 FF", for the log.
std::string hexText(const char* p_pBytes, int p_nLength);
/// 90 6y ... : the module refuses a command (syntax error, no socket, not
/// executable now).
bool isErrorReply(const char* p_pBytes, int p_nLength);
/// The first whole message in p_strBytes from p_nFrom on: a 90 byte up to the
/// next FF, whatever comes before the 90 skipped; p_nFrom moves past it.
/// Empty (p_nFrom unchanged) while none is complete.
std::string nextMessage(const std::string& p_strBytes, size_t& p_nFrom);
/// The value an inquiry reply 90 50, p_nCount nibbles, FF carries; false for
/// any other message.
bool replyValue(const std::string& p_strMessage, int p_nCount, unsigned int& p_nValue);

/// Takes off the line what earlier exchanges left in it, before a new
/// command goes out, so nothing stale is taken as its answer: completions and
/// late acknowledgements are dropped, an error reply is logged once as the
/// module's refusal of an earlier command. Only bytes already there are
/// taken; nothing waits.
void takeStaleReplies(ISensorController& p_owner, IUARTController& p_port, int p_nIndex);

}  // namespace Visca

/// One controller's side of a VISCA serial line: the port, its index and the
/// lock that keeps exchanges whole, and the controller's logs for what went
/// wrong. Two ways to read answers exist among the modules:
///  - framed: messages are read byte by byte from 90 to FF, noise before 90 is
///    dropped and completions (90 5y FF) are skipped;
///  - single read: the answer is taken from one port read of its length.
/// Every exchange is tried 3 times, the port emptied between tries; what
/// earlier exchanges left in the line is taken off it before the first. When
/// all three fail, one more line says why: the module did not answer,
/// refused the command (an error reply), or answered it wrongly.
///
/// The families also differ in what they report along the way (habits, or-ed):
///  - CONSOLE_TRACE: each command and its answer printed on the console as hex;
///  - REPLY_COUNT: a failed inquiry logs how many reply bytes came
///    ("===recv(%d):") between the two dumps;
///  - ATTEMPT_LOG: every command attempt is logged with its frame before it is
///    written, and from the second attempt on the port is emptied first.
class ViscaLink {
public:
    /// How a reply is read: framed up to FF, or in one read.
    enum Reader { FRAMED, SINGLE_READ };
    /// Habits of a family's transport (see the class comment).
    enum Habit { CONSOLE_TRACE = 1, REPLY_COUNT = 2, ATTEMPT_LOG = 4 };

    /// A link over the controller's port, index and lock.
    ViscaLink(ISensorController& p_owner, SafePointer<IUARTController>& p_port, const int& p_nIndex,
              OVMutex& p_mutex, Reader p_eReader, int p_nHabits = CONSOLE_TRACE);

    /// A command and its acknowledgement; 1 or 0.
    int sendCommand(const char* p_pFrame, int p_nLength);
    /// An inquiry and a reply of exactly p_nReplyLength bytes; 1 or 0.
    int sendInquiry(const char* p_pFrame, int p_nLength, char* p_pReply, int p_nReplyLength);
    /// Framed reception: the first message that is not a completion; its
    /// length, or -1.
    int recvData(char* p_pBuffer, int p_nMaxLength, int p_nTimeout);
    /// Reads what arrives within the wait; the count.
    int getRealData(char* p_pBuffer, int p_nMaxLength, int p_nTimeout);

private:
    int readAnswer(char* p_pBuffer, int p_nLength, int p_nTimeout);
    std::string taken(const char* p_pAnswer, int p_nLength) const;
    /// Notes whether an attempt got an answer, and keeps an error reply.
    void noteAnswer(const std::string& p_strTaken, std::string& p_strRefusal,
                    bool& p_bAnswered) const;
    /// The verdict after the last attempt failed.
    void logVerdict(const char* p_pFrame, int p_nLength, const std::string& p_strRefusal,
                    bool p_bAnswered);

    ISensorController& m_owner;
    SafePointer<IUARTController>& m_port;
    const int& m_nIndex;
    OVMutex& m_mutex;
    Reader m_eReader;
    int m_nHabits;
    /// The last message the framed reader took, however long.
    std::string m_strLastMessage;
};

#endif
