// The hex-text modules' answers: echoes checked character for character,
// register reads whose last digits are the value (read as hex), the
// day/night poll, the version read and the video-standard change-over.
// Any answer decodes or fails cleanly.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ModuleLine.h"
#include "controllers/serial/hextext/CMD7200SenseController.h"
#include "controllers/serial/hextext/HitachCompatSenseController.h"
#include "controllers/serial/hextext/HitachSenseController.h"
#include "controllers/serial/hextext/SC110N_CSenseController.h"

namespace {

// The version read that the init asks before the poll starts.
class Compat : public HitachCompatSenseController {
public:
    using HitachCompatSenseController::prepareModule;
};

const char* const kReads[] = {":RFFE700",   ":RFFE600", ":RE1EE00",
                              ":RFB380000", ":R170100", ":RFFFE00"};

// A read of any width, through the member's own base.
template <class Base>
void read(ISensorController& p_module, int p_nA, int p_nB) {
    int value = 0;
    static_cast<HexTextSenseController<Base>&>(p_module).recvData(kReads[p_nA % 6], p_nB % 12,
                                                                  value);
}

template <class Base>
void write(ISensorController& p_module, int p_nA, int) {
    static_cast<HexTextSenseController<Base>&>(p_module).sendData(p_nA % 2 == 0 ? ":WFCC820"
                                                                                : ":rE1ED0000");
}

template <class Base>
void dayNightPoll(ISensorController& p_module, int, int) {
    static_cast<HexTextSenseController<Base>&>(p_module).getDNbody();
}

void version(ISensorController& p_module, int, int) {
    static_cast<Compat&>(p_module).prepareModule();
}

void cameraMode(ISensorController& p_module, int p_nA, int) {
    HitachSenseController& hitach = static_cast<HitachSenseController&>(p_module);
    hitach.setCameraMode(p_nA % 5);
    hitach.threadBody();
}

const std::vector<FuzzModule>& modules() {
    typedef ISensorController B;
    typedef IKeelZoomSensorController K;
    static const std::vector<FuzzModule> s_modules = {
        {create<CMD7200SenseController>, {read<B>, write<B>, dayNightPoll<B>}},
        {create<HitachSenseController>, {read<B>, write<B>, dayNightPoll<B>, cameraMode}},
        {create<Compat>, {read<B>, write<B>, dayNightPoll<B>, version}},
        {create<SC110N_CSenseController>, {read<K>, write<K>, dayNightPoll<K>}},
    };
    return s_modules;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    driveModule(p_pData, p_nSize, modules());
    return 0;
}
