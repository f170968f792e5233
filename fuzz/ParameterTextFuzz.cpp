// Parameter text and id lists: no input may crash the parser or read out of
// bounds, and whatever parses must survive a write and a second read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "platform/SensorParameterParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    std::string text(reinterpret_cast<const char*>(p_pData), p_nSize);
    std::map<int, int> values;
    if (SensorParameterParser::parseSensorParameter(text, values)) {
        std::map<int, int> again;
        std::string written = SensorParameterParser::createSensorParameterString(values);
        if (!SensorParameterParser::parseSensorParameter(written, again) || again != values) {
            std::abort();
        }
    }
    std::set<int> ids;
    SensorParameterParser::parseParameterIdList(text, ids);
    return 0;
}
