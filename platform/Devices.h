#ifndef SENSORCONTROL_PLATFORM_DEVICES_H
#define SENSORCONTROL_PLATFORM_DEVICES_H

#include <memory>
#include <string>

#include "Export.h"

/// @file
/// The device seam: the ISP driver call and the character devices ("/dev/adc",
/// "/dev/pwm") go through here. With nothing registered they are the real
/// thing: the ISP call reports "not supported" on a build without the maker's
/// ISP library, and the character devices are opened with open(2) (path mapped
/// through PlatformRoot) and driven with ioctl(2). A simulation registers its
/// own ISP and devices instead.

/// Result codes of OvEwfi_Api_Ioctrl.
enum {
    /// The call succeeded.
    OVEWFI_OK = 0,
    /// The ISP refused or failed the call.
    OVEWFI_FAILED = -1,
    /// The code or the value pointer is not valid.
    OVEWFI_INVALID_PARAMETER = -2,
    /// No ISP here: a build without the maker's ISP library and none registered.
    OVEWFI_NOT_SUPPORTED = -3
};

/// An ISP that takes a command code and a pointer to one 32-bit value.
class SC_EXPORT IIspDevice {
public:
    virtual ~IIspDevice();
    /// Carries out a command on the value; an OVEWFI_ result code.
    virtual int ioctrl(int p_nCode, void* p_pValue) = 0;
};

/// A character device opened by path.
class SC_EXPORT ICharDevice {
public:
    virtual ~ICharDevice();
    /// As ioctl(2) on the device: -1 on failure.
    virtual int ioctl(unsigned long p_nRequest, void* p_pArgument) = 0;
};

/// Where a simulation registers its ISP and character devices.
class SC_EXPORT DeviceLayer {
public:
    /// Registers the ISP that OvEwfi_Api_Ioctrl drives; null removes it.
    static void setIsp(const std::shared_ptr<IIspDevice>& p_isp);
    /// Registers a device for a fixed path such as "/dev/adc"; null removes it.
    static void setCharDevice(const std::string& p_strPath,
                              const std::shared_ptr<ICharDevice>& p_device);
    /// Removes every registration.
    static void clear();
};

/// The platform's ISP driver call.
SC_EXPORT int OvEwfi_Api_Ioctrl(int p_nCode, void* p_pValue);

/// open(2), ioctl(2) and close(2) through the seam. A registered device gets a
/// descriptor of its own (not a kernel one); -1 on failure as with the system
/// calls.
SC_EXPORT int ovdev_open(const char* p_szPath, int p_nFlags);
/// ioctl(2) on a descriptor of ovdev_open().
SC_EXPORT int ovdev_ioctl(int p_nFd, unsigned long p_nRequest, void* p_pArgument);
/// close(2) of a descriptor of ovdev_open().
SC_EXPORT int ovdev_close(int p_nFd);

#endif
