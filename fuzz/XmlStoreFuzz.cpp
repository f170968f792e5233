// XML store files: any file content opens or fails cleanly, and a store that
// opened writes a document that reads back to the same document.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/PlatformRoot.h"
#include "platform/XmlConfigure.h"

namespace {

const std::string& scratchRoot() {
    static const std::string s_dir = [] {
        char pattern[] = "/tmp/sensorcontrol-fuzz-XXXXXX";
        std::string dir = mkdtemp(pattern);
        PlatformRoot::setOverride(dir);
        return dir;
    }();
    return s_dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string& root = scratchRoot();
    {
        std::ofstream out(root + "/store.xml", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(p_pData), static_cast<std::streamsize>(p_nSize));
    }
    XmlConfigureTool tool;
    if (!tool.open("/store.xml", 1, XmlConfigureTool::OPEN_UPDATE)) {
        return 0;
    }
    std::string printed = tool.print();
    if (!tool.close()) {
        std::abort();
    }
    XmlConfigureTool again;
    if (!again.open("/store.xml", 1, XmlConfigureTool::OPEN_READ) || again.print() != printed) {
        std::abort();
    }
    return 0;
}
