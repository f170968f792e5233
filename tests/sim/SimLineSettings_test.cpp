#include <gtest/gtest.h>

#include <string>

#include "sim/register/SimSeawolfModule.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/HexBytes.h"
#include "support/ScratchRoot.h"

namespace {

// One request through the port calls, and everything answered.
std::string ask(IUARTController& p_module, const std::string& p_strFrame) {
    std::string bytes = hex(p_strFrame);
    p_module.write(0, bytes.data(), static_cast<int>(bytes.size()));
    std::string got;
    char buffer[16];
    for (int count; (count = p_module.read(0, buffer, sizeof(buffer), 1)) > 0;) {
        got.append(buffer, static_cast<size_t>(count));
    }
    return got;
}

}  // namespace

TEST(SimLineSettings, AModuleHearsOnlyAHostAtItsOwnSpeedAndFraming) {
    ScratchRoot root;
    SimSeawolfModule module;
    const std::string version = "03 02 00 0F EB";
    const std::string answer = hex("02 04 02 01 00 07 EF");
    EXPECT_EQ(answer, ask(module, version));  // 9600 8N1 on both sides unless set
    ASSERT_TRUE(module.setModuleLine(19200, 8, 1, 1));
    EXPECT_EQ("", ask(module, version));

    struct Host {
        int nBaud, nData, nStop, nParity;
        bool bHeard;
    } hosts[] = {
        {19200, 8, 2, 1, false}, {19200, 7, 1, 1, false}, {19200, 8, 1, 2, false},
        {9600, 8, 1, 1, false},  {19200, 8, 0, 1, true},  // stop bits 0 are 1
    };
    for (const Host& host : hosts) {
        SCOPED_TRACE(host.nBaud + host.nData * 10 + host.nStop + host.nParity);
        module.setParameter(0, host.nBaud, host.nData, host.nStop, host.nParity);
        EXPECT_EQ(host.bHeard ? answer : "", ask(module, version));
    }
    // Half a request, then another framing: the half arrives as garbage.
    std::string half = hex("03 02");
    module.write(0, half.data(), 2);
    module.setParameter(0, 19200, 8, 2, 1);
    module.setParameter(0, 19200, 8, 1, 1);
    EXPECT_EQ(answer, ask(module, version));
}

TEST(SimLineSettings, TheViscaCamerasLineIsItsRateRegister) {
    ScratchRoot root;
    SimViscaCamera camera;
    EXPECT_FALSE(camera.setModuleLine(57600, 8, 1, 0));  // no VISCA rate
    ASSERT_TRUE(camera.setModuleLine(38400, 8, 1, 1));
    EXPECT_EQ(2, camera.registerValue(0x00));
    camera.setParameter(0, 38400, 8, 1, 1);
    EXPECT_EQ(hex("90 50 00 02 FF"), ask(camera, "81 09 04 24 00 FF"));
    camera.setBaudIndex(1);
    EXPECT_EQ("", ask(camera, "81 09 04 24 00 FF"));
    camera.setParameter(0, 19200, 8, 1, 1);
    EXPECT_EQ(hex("90 50 00 01 FF"), ask(camera, "81 09 04 24 00 FF"));
}
