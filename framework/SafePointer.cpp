#include "SafePointer.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "OVRuntimeError.h"

BaseSafePointer::~BaseSafePointer() = default;

void BaseSafePointer::report(const char* p_szTypeName, const char* p_szMessage) {
    std::string text = std::string("SafePointer Report:") + p_szTypeName + " " + p_szMessage;
    std::puts(text.c_str());
    throw OVRuntimeError(text);
}

const char* BaseSafePointer::readableTypeName(const std::type_info& p_type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(p_type.name(), nullptr, nullptr, &status);
    if (status == 0 && demangled != nullptr) {
        return demangled;  // kept for the life of the process, one per type
    }
    std::free(demangled);
    return p_type.name();
}
