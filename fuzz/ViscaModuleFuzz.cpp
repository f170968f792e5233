// The VISCA block cameras' own decoding of what their module answers:
// inquiry replies (zoom and focus positions, day/night state, gain, video
// standard, internal sync, baud rate), acknowledgements, the restart's
// answer, the Keel masks' echoes and the IR-cut poll of the camera whose
// image the library leaves alone. Any answer decodes or fails cleanly.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ModuleLine.h"
#include "controllers/serial/NoSensorUIController.h"
#include "controllers/serial/visca/FCBEV7310SenseController.h"
#include "controllers/serial/visca/SONYCH3310SenseController.h"
#include "controllers/serial/visca/SONYCV7500SenseController.h"
#include "controllers/serial/visca/SONYEH4300SenseController.h"

namespace {

void baudRate(ISensorController& p_module, int, int) {
    int index = 0;
    static_cast<FCBEV7310SenseController&>(p_module).getCameraBaudRate(index);
}

void negotiate(ISensorController& p_module, int p_nA, int) {
    static const int kRates[] = {9600, 19200, 38400, 115200};
    static_cast<FCBEV7310SenseController&>(p_module).changeCameraBuadrate(kRates[p_nA % 4]);
}

void irCutPoll(ISensorController& p_module, int, int) {
    static_cast<NoSensorUIController&>(p_module).getDNbody();
}

const std::vector<FuzzModule>& modules() {
    static const std::vector<FuzzModule> s_modules = {
        {create<FCBEV7310SenseController>, {init<85>, baudRate, negotiate}},
        {create<SONYCH3310SenseController>, {init<18>}},
        {create<SONYCV7500SenseController>, {init<19>}},
        {create<SONYEH4300SenseController>, {init<11>, keelMask}},
        {create<NoSensorUIController>, {irCutPoll}},
    };
    return s_modules;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    driveModule(p_pData, p_nSize, modules());
    return 0;
}
