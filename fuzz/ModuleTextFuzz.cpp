// Module detail and parameter texts: any input parses or fails cleanly, and a
// successful parse finds every key it reports.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ModuleParameterParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    ModuleParameterParser parser;
    if (parser.parse(std::string(reinterpret_cast<const char*>(p_pData), p_nSize))) {
        for (const auto& entry : parser.getAll()) {
            std::string value;
            if (!parser.getValue(entry.first, value) || value != entry.second) {
                std::abort();
            }
        }
    }
    return 0;
}
