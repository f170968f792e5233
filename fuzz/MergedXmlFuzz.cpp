// Style merging: any variant file, over a fixed style, merges or fails
// cleanly.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "FuzzRoot.h"
#include "config/MergedXml.h"

namespace {

const std::string& scratchRoot() {
    static const std::string s_dir = [] {
        const std::string& dir = fuzzRoot();
        std::ofstream style(dir + "/Style.xml");
        style << "<Style><Tab id=\"1\"/><Tab id=\"2\"><x/></Tab><Tab/><Tab id=\"007\"/></Style>";
        return dir;
    }();
    return s_dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    const std::string& root = scratchRoot();
    {
        std::ofstream out(root + "/StyleDiversity.xml", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(p_pData), static_cast<std::streamsize>(p_nSize));
    }
    MergedXml merged;
    merged.setStyleOriginalPath("/Style.xml");
    merged.setStyleModifyPath("/StyleDiversity.xml");
    std::string text;
    merged.getStyleMergedString("model=A;ir=1,2;empty=", text);
    return 0;
}
