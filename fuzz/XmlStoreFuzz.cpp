// XML store files: any file content opens or fails cleanly, and a store that
// opened writes a document that reads back to the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "FuzzRoot.h"
#include "platform/XmlConfigure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string& root = fuzzRoot();
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
