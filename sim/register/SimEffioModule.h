#ifndef SENSORCONTROL_SIM_REGISTER_SIMEFFIOMODULE_H
#define SENSORCONTROL_SIM_REGISTER_SIMEFFIOMODULE_H

#include "SimRegisterModule.h"

// The Effio DSP board: registers addressed by category and address
// (register key = category << 8 | address). Requests (cs = 8-bit sum of the
// bytes before it):
//   06 52 cat first last cs      read: hdr 00 d1 .. dn cs, hdr = n + 3
//   06 57 cat addr data cs       write one byte: 03 00 03
//   07 57 cat addr low high cs   write two bytes
// Refusals answer with an error status and the request's length of reply:
// F0 bad checksum, F1 unknown category, F2 a read of more than 16 or of a
// backward range, or a write of the wrong length, FE an unknown command.
// The error-status fault answers F1; the wrong-code fault answers a read as
// a write and a write as a read.
// The AE level (12, 29-2A bits 0-9) follows the scene: setAELevel.
class SimEffioModule : public SimRegisterModule {
public:
    SimEffioModule();

    // 0..1023, the exposure effort the DSP reports (high in the dark).
    void setAELevel(int p_nLevel);
    // A category and address as the register key.
    static int key(int p_nCategory, int p_nAddress) { return (p_nCategory << 8) | p_nAddress; }

protected:
    int requestLength(const std::string& p_strInput) override;
    std::string answer(const std::string& p_strRequest) override;
    std::string errorAnswer(const std::string& p_strRequest) override;
    std::string wrongAnswer(const std::string& p_strRequest) override;

private:
    // A reply: header (its length), status, data, checksum.
    static std::string reply(int p_nStatus, const std::string& p_strData);
    static size_t replyDataLength(const std::string& p_strRequest);
};

#endif
