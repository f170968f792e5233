// sensord's SOAP request decoder: any body a client can send is decoded or
// refused with a reason, never a crash, a hang or unbounded recursion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "onvif/Soap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_pData, size_t p_nSize) {
    std::string text(reinterpret_cast<const char*>(p_pData), p_nSize);
    SoapRequest request;
    std::string why;
    SoapDecodeError error = decodeSoapRequest(text, request, why);
    // A refusal always says why; a request always names its operation.
    if ((error == SoapDecodeError::NONE) != why.empty()) {
        std::abort();
    }
    if (error == SoapDecodeError::NONE && request.operation.strName.empty()) {
        std::abort();
    }
    return 0;
}
