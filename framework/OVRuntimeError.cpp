#include "OVRuntimeError.h"

OVRuntimeError::OVRuntimeError(const std::string& p_strMessage) : m_strMessage(p_strMessage) {}

OVRuntimeError::~OVRuntimeError() = default;

const char* OVRuntimeError::what() const noexcept {
    return m_strMessage.c_str();
}
