#include <gtest/gtest.h>

#include <fcntl.h>

#include <memory>

#include "platform/Devices.h"
#include "support/ScratchRoot.h"

namespace {

class FakeIsp : public IIspDevice {
public:
    int ioctrl(int p_nCode, void* p_pValue) override {
        m_nLastCode = p_nCode;
        *static_cast<int*>(p_pValue) += 1;
        return OVEWFI_OK;
    }
    int m_nLastCode = 0;
};

class FakeAdc : public ICharDevice {
public:
    int ioctl(unsigned long p_nRequest, void* p_pArgument) override {
        m_nLastRequest = p_nRequest;
        static_cast<unsigned int*>(p_pArgument)[2] = 512;
        return 0;
    }
    unsigned long m_nLastRequest = 0;
};

}  // namespace

TEST(DeviceLayer, TheIspCallReachesTheRegisteredIspOnly) {
    int value = 41;
    EXPECT_EQ(OVEWFI_NOT_SUPPORTED, OvEwfi_Api_Ioctrl(13, &value));
    auto isp = std::make_shared<FakeIsp>();
    DeviceLayer::setIsp(isp);
    EXPECT_EQ(OVEWFI_OK, OvEwfi_Api_Ioctrl(13, &value));
    EXPECT_EQ(42, value);
    EXPECT_EQ(13, isp->m_nLastCode);
    EXPECT_EQ(OVEWFI_INVALID_PARAMETER, OvEwfi_Api_Ioctrl(13, nullptr));
    DeviceLayer::clear();
    EXPECT_EQ(OVEWFI_NOT_SUPPORTED, OvEwfi_Api_Ioctrl(13, &value));
}

TEST(DeviceLayer, RegisteredCharacterDevicesGetTheirOwnDescriptors) {
    ScratchRoot root;
    auto adc = std::make_shared<FakeAdc>();
    DeviceLayer::setCharDevice("/dev/adc", adc);
    int fd = ovdev_open("/dev/adc", O_RDONLY);
    ASSERT_GE(fd, 0);
    unsigned int request[3] = {1, 0, 0};
    EXPECT_EQ(0, ovdev_ioctl(fd, 0xC00C4101, request));
    EXPECT_EQ(512u, request[2]);
    EXPECT_EQ(0xC00C4101ul, adc->m_nLastRequest);
    EXPECT_EQ(0, ovdev_close(fd));
    EXPECT_EQ(-1, ovdev_ioctl(fd, 0xC00C4101, request));
    EXPECT_EQ(-1, ovdev_close(fd));
    DeviceLayer::clear();

    // Without a registration the real device node under the root is opened.
    EXPECT_EQ(-1, ovdev_open("/dev/adc", O_RDONLY));
    root.writeFile("/dev/adc", "");
    fd = ovdev_open("/dev/adc", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(-1, ovdev_ioctl(fd, 0xC00C4101, request));  // a plain file knows no ioctl
    EXPECT_EQ(0, ovdev_close(fd));
}
