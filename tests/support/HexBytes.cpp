#include "HexBytes.h"

#include <cstdio>
#include <sstream>

std::string hex(const std::string& p_strText) {
    std::istringstream in(p_strText);
    std::string bytes;
    for (unsigned int value; in >> std::hex >> value;) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::string text(const std::string& p_strBytes) {
    std::string out;
    char part[4];
    for (char byte : p_strBytes) {
        std::snprintf(part, sizeof(part), "%s%02X", out.empty() ? "" : " ",
                      static_cast<unsigned char>(byte));
        out += part;
    }
    return out;
}
