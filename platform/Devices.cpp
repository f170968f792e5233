#include "Devices.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "PlatformRoot.h"

namespace {

// Descriptors handed out for registered devices start far above what the
// kernel gives a process, so the two never meet.
const int kFirstSimulatedFd = 1 << 20;

struct Registry {
    std::mutex mutex;
    std::shared_ptr<IIspDevice> isp;
    std::map<std::string, std::shared_ptr<ICharDevice> > devices;
    std::map<int, std::shared_ptr<ICharDevice> > open;
    int nextFd = kFirstSimulatedFd;
};

Registry& registry() {
    static Registry s_registry;
    return s_registry;
}

}  // namespace

IIspDevice::~IIspDevice() = default;

ICharDevice::~ICharDevice() = default;

void DeviceLayer::setIsp(const std::shared_ptr<IIspDevice>& p_isp) {
    std::lock_guard<std::mutex> guard(registry().mutex);
    registry().isp = p_isp;
}

void DeviceLayer::setCharDevice(const std::string& p_strPath,
                                const std::shared_ptr<ICharDevice>& p_device) {
    std::lock_guard<std::mutex> guard(registry().mutex);
    if (p_device) {
        registry().devices[p_strPath] = p_device;
    } else {
        registry().devices.erase(p_strPath);
    }
}

void DeviceLayer::clear() {
    std::lock_guard<std::mutex> guard(registry().mutex);
    registry().isp.reset();
    registry().devices.clear();
    registry().open.clear();
}

int OvEwfi_Api_Ioctrl(int p_nCode, void* p_pValue) {
    std::shared_ptr<IIspDevice> isp;
    {
        std::lock_guard<std::mutex> guard(registry().mutex);
        isp = registry().isp;
    }
    if (!isp) {
        return OVEWFI_NOT_SUPPORTED;
    }
    if (p_pValue == nullptr) {
        return OVEWFI_INVALID_PARAMETER;
    }
    return isp->ioctrl(p_nCode, p_pValue);
}

int ovdev_open(const char* p_szPath, int p_nFlags) {
    if (p_szPath == nullptr) {
        errno = EINVAL;
        return -1;
    }
    {
        std::lock_guard<std::mutex> guard(registry().mutex);
        auto found = registry().devices.find(p_szPath);
        if (found != registry().devices.end()) {
            int fd = registry().nextFd++;
            registry().open[fd] = found->second;
            return fd;
        }
    }
    return ::open(PlatformRoot::map(p_szPath).c_str(), p_nFlags | O_CLOEXEC);
}

int ovdev_ioctl(int p_nFd, unsigned long p_nRequest, void* p_pArgument) {
    std::shared_ptr<ICharDevice> device;
    {
        std::lock_guard<std::mutex> guard(registry().mutex);
        auto found = registry().open.find(p_nFd);
        if (found != registry().open.end()) {
            device = found->second;
        }
    }
    if (device) {
        return device->ioctl(p_nRequest, p_pArgument);
    }
    if (p_nFd >= kFirstSimulatedFd) {
        errno = EBADF;
        return -1;
    }
    return ::ioctl(p_nFd, p_nRequest, p_pArgument);
}

int ovdev_close(int p_nFd) {
    {
        std::lock_guard<std::mutex> guard(registry().mutex);
        if (registry().open.erase(p_nFd) > 0) {
            return 0;
        }
    }
    if (p_nFd >= kFirstSimulatedFd) {
        errno = EBADF;
        return -1;
    }
    return ::close(p_nFd);
}
