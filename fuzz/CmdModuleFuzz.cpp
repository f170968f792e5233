// The CMD camera modules' answers: acknowledgements found anywhere in one
// read, the IR-cut status byte, the video-standard register and its
// restart, the AGC gain and the CMD8100's mask echoes. Any answer decodes or
// fails cleanly.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ModuleLine.h"
#include "controllers/serial/cmd/CMD7300SenseController.h"
#include "controllers/serial/cmd/CMD8100SenseController.h"
#include "controllers/serial/cmd/CMD8100_OldSenseController.h"
#include "controllers/serial/cmd/CMD8300SenseController.h"

namespace {

const std::vector<FuzzModule>& modules() {
    static const std::vector<FuzzModule> s_modules = {
        {create<CMD7300SenseController>, {init<21>}},
        {create<CMD8100_OldSenseController>, {init<24>}},
        {create<CMD8100SenseController>, {init<CMD8100SenseController::MODULE_ID>, keelMask}},
        {create<CMD8300SenseController>, {init<25>}},
    };
    return s_modules;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    driveModule(p_pData, p_nSize, modules());
    return 0;
}
