#ifndef SENSORCONTROL_FRAMEWORK_OVRUNTIMEERROR_H
#define SENSORCONTROL_FRAMEWORK_OVRUNTIMEERROR_H
/// @file
/// OVRuntimeError, the library's exception.

#include <exception>
#include <string>

#include "../platform/Export.h"

/// The library's one exception: misuse of a SafePointer.
class SC_EXPORT OVRuntimeError : public std::exception {
public:
    /// An error with its message.
    explicit OVRuntimeError(const std::string& p_strMessage);
    ~OVRuntimeError() override;
    /// The message.
    const char* what() const noexcept override;

private:
    std::string m_strMessage;
};

#endif
