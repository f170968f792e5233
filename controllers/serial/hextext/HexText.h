#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HEXTEXT_HEXTEXT_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_HEXTEXT_HEXTEXT_HEXTEXT_H

#include <string>

#include "../../../framework/ISensorController.h"

/// Hex-text frames: the characters are the whole frame, with no terminator
/// and no checksum.
///   write   ":W" rrrr vv      ":WFCC820"    register rrrr = vv (2 or 4 digits)
///   read    ":R" rrrr 00      ":RFFE700"    answered ":RFFE701": the same
///                                           length, the value in the last digits
///   ":rE1ED0000"              initialisation complete; the module does not answer
///   ":wFD46" vvvv             maximum gain, lower case as the module takes it
/// The module echoes every write character for character.
namespace HexText {

/// The value as hex with at least p_nWidth digits (a negative value gives
/// its full 32-bit form) after the prefix, with the last p_nWidth characters
/// upper case: (":WFD9E", 255, 2) gives ":WFD9EFF".
std::string assembleString(const std::string& p_strPrefix, unsigned int p_nValue, int p_nWidth);
/// The text read as a hex number (strtol base 16).
int ascToHex(const std::string& p_strText);
/// The value a read's answer carries: the answer is as long as the read
/// p_strCommand, starts as it does and ends with p_nWidth hex digits; false
/// (value untouched) for anything else.
bool answerValue(const std::string& p_strCommand, const std::string& p_strAnswer, int p_nWidth,
                 int& p_nValue);

}  // namespace HexText

/// One controller's side of a hex-text line: the port, its index, the lock
/// that keeps an exchange whole (retries included) and the 100-byte receive
/// buffer, with the controller's error log for what went wrong. Every
/// exchange is tried 3 times, the port emptied after each failed try; each
/// try is logged with its number, and a last line says what the module did
/// after the third ("did not answer", "answered ... wrongly").
class HexTextLink {
public:
    /// A link over the controller's port, index, lock and debug buffer.
    HexTextLink(ISensorController& p_owner, SafePointer<IUARTController>& p_port,
                const int& p_nIndex, OVMutex& p_mutex, char* p_pReceiveBuffer);

    /// A command the module echoes; ":rE1ED0000" is only written. 1 or 0.
    int sendData(const std::string& p_strCommand);
    /// A read: the answer must start as the command does; its last p_nWidth
    /// characters are the value (written only on success). 1 or 0.
    int recvData(const std::string& p_strCommand, int p_nWidth, int& p_nValue);
    /// Any frame the module echoes byte for byte (mask and lamp frames). 1 or 0.
    int sendFrame(const char* p_pBytes, int p_nLength);

    enum { RECEIVE_BUFFER = 100 };

private:
    struct Texts;
    /// 1 when the answer's first p_nChecked bytes equal the frame's (the
    /// answer then in p_strAnswer); p_bAnswered false: written only.
    int exchange(const char* p_pBytes, int p_nLength, const Texts& p_texts, int p_nWait,
                 int p_nChecked, bool p_bAnswered, std::string* p_strAnswer);

    ISensorController& m_owner;
    SafePointer<IUARTController>& m_port;
    const int& m_nIndex;
    OVMutex& m_mutex;
    char* m_pBuffer;
};

#endif
