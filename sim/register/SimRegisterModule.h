#ifndef SENSORCONTROL_SIM_REGISTER_SIMREGISTERMODULE_H
#define SENSORCONTROL_SIM_REGISTER_SIMREGISTERMODULE_H

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "../SimLineModule.h"
#include "platform/ModuleParameterParser.h"

// A camera module that exposes its registers in checksummed binary frames
// (Effio DSP, IT1, ITN, Seawolf): bytes written to it are cut into requests,
// each complete request is answered at once into a receive buffer that reads
// drain, and its registers live in a map that reads answer and writes change.
// A protocol says where its requests end and how it answers; this class adds
// what they share: the register map, the port calls, the frames taken, and
// faults queued for the next answers:
//   FAULT_SILENT        the request is not heard: no effect, no answer
//   FAULT_SHORT         the answer loses its last byte
//   FAULT_BAD_CHECKSUM  the answer's last byte (its checksum) is inverted
//   FAULT_ERROR_STATUS  the protocol's error answer; the request has no effect
//   FAULT_WRONG_CODE    an answer of another kind than the request asks for
//   FAULT_NOISE         three stray bytes before the answer
//   FAULT_LATE          the answer shows only after two empty reads
// The first device opened is the register line (index 0); a second device
// gets index 1, whose bytes the protocol may take as a second line.
class SimRegisterModule : public SimLineModule {
public:
    enum Fault {
        FAULT_SILENT,
        FAULT_SHORT,
        FAULT_BAD_CHECKSUM,
        FAULT_ERROR_STATUS,
        FAULT_WRONG_CODE,
        FAULT_NOISE,
        FAULT_LATE
    };

    // The registers ("r<address hex>=<value>;..."), then the protocol's own.
    std::string saveState() override;
    void loadState(const std::string& p_strState) override;

    void injectFault(Fault p_fault, int p_nCount = 1);
    // Drops the faults still queued: the module answers again.
    void clearFaults();
    void setRegister(int p_nAddress, int p_nValue);
    int registerValue(int p_nAddress);

protected:
    // The length of the request at the start of p_strInput: > 0 when it is
    // complete, 0 while more bytes are due, < 0 when no request starts with
    // its first byte (the byte is dropped).
    virtual int requestLength(const std::string& p_strInput) = 0;
    // The answer to a complete request, carried out on the registers.
    virtual std::string answer(const std::string& p_strRequest) = 0;
    // The protocol's error answer to the request.
    virtual std::string errorAnswer(const std::string& p_strRequest) = 0;
    // An answer of another kind than the request asks for.
    virtual std::string wrongAnswer(const std::string& p_strRequest) = 0;
    virtual void saveExtra(std::string& p_strState) { (void)p_strState; }
    std::vector<int> randomFaults() const override;
    virtual void loadExtra(const ModuleParameterParser& p_state) { (void)p_state; }

    // Under m_mutex, which every public call holds.
    std::map<int, int> m_registers;

private:
    void consumeInput() override;
    void take(const std::string& p_strRequest);
};

// The byte at p_nIndex as 0..255.
inline int simByte(const std::string& p_strBytes, size_t p_nIndex) {
    return static_cast<unsigned char>(p_strBytes[p_nIndex]);
}

// The 8-bit sum of the first p_nCount bytes.
int simSum(const std::string& p_strBytes, size_t p_nCount);

#endif
