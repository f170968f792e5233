// The register modules' controllers over a real exchange: requests written,
// replies gathered over several reads, the line drained after a failure,
// and the register values turned into settings (bit fields, byte orders,
// day/night levels, the video system). The reply decoders have targets of
// their own; this one covers what the controllers make of what they
// accept. Any answer decodes or fails cleanly.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ModuleLine.h"
#include "controllers/serial/register/EffioSenseController.h"
#include "controllers/serial/register/IT1SenseController.h"
#include "controllers/serial/register/IT1ZoomModuleSenseController.h"
#include "controllers/serial/register/ITNSenseController.h"
#include "controllers/serial/register/SeawolfSenseController.h"

namespace {

const std::vector<FuzzModule>& modules() {
    static const std::vector<FuzzModule> s_modules = {
        {create<EffioSenseController>, {}},         {create<IT1SenseController>, {}},
        {create<IT1ZoomModuleSenseController>, {}}, {create<ITNSenseController>, {}},
        {create<SeawolfSenseController>, {}},
    };
    return s_modules;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    driveModule(p_pData, p_nSize, modules());
    return 0;
}
