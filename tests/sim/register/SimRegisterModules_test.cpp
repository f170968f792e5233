#include <gtest/gtest.h>

#include <string>

#include "sim/SimGPIO.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "sim/register/SimITNModule.h"
#include "sim/register/SimSeawolfModule.h"
#include "support/HexBytes.h"

namespace {

// What the module answers to one request.
std::string ask(SimRegisterModule& p_module, const std::string& p_strRequest) {
    p_module.write(0, p_strRequest.data(), static_cast<int>(p_strRequest.size()));
    char reply[64];
    int count = p_module.read(0, reply, sizeof(reply), 1);
    return text(std::string(reply, static_cast<size_t>(count > 0 ? count : 0)));
}

}  // namespace

TEST(SimEffioModule, AnswersReadsAndWritesAndRefusesWhatTheDSPWould) {
    SimEffioModule board;
    EXPECT_EQ("04 00 20 24", ask(board, hex("06 52 06 49 49 F0")));
    EXPECT_EQ("03 00 03", ask(board, hex("06 57 06 49 21 CD")));
    EXPECT_EQ(0x21, board.registerValue(SimEffioModule::key(0x06, 0x49)));
    EXPECT_EQ("04 F0 00 F4", ask(board, hex("06 52 06 49 49 F1")));  // checksum
    EXPECT_EQ("04 F1 00 F5", ask(board, hex("06 52 07 49 49 F1")));  // category
    EXPECT_EQ("03 F2 F5", ask(board, hex("06 52 06 49 48 EF")));     // backward range
    // Requests come in pieces, and bytes before one are dropped.
    std::string request = hex("55 06 52 06 49 49 F0");
    board.write(0, request.data(), 3);
    EXPECT_EQ("04 00 21 25", ask(board, request.substr(3)));

    board.injectFault(SimRegisterModule::FAULT_ERROR_STATUS);
    EXPECT_EQ("04 F1 00 F5", ask(board, hex("06 52 06 49 49 F0")));
    board.injectFault(SimRegisterModule::FAULT_WRONG_CODE);
    EXPECT_EQ("03 00 03", ask(board, hex("06 52 06 49 49 F0")));
    board.injectFault(SimRegisterModule::FAULT_SHORT);
    EXPECT_EQ("04 00 21", ask(board, hex("06 52 06 49 49 F0")));
    board.injectFault(SimRegisterModule::FAULT_BAD_CHECKSUM);
    EXPECT_EQ("04 00 21 DA", ask(board, hex("06 52 06 49 49 F0")));
    board.injectFault(SimRegisterModule::FAULT_NOISE);
    EXPECT_EQ("3C 00 A5 04 00 21 25", ask(board, hex("06 52 06 49 49 F0")));
    board.injectFault(SimRegisterModule::FAULT_SILENT);
    EXPECT_EQ("", ask(board, hex("06 57 06 49 20 CC")));
    EXPECT_EQ(0x21, board.registerValue(SimEffioModule::key(0x06, 0x49)));
}

TEST(SimIT1Module, ReportsTheSceneDrivesItsLevelLineAndKeepsItsLensFrames) {
    SimIT1Module module;
    SimGPIO gpio;
    module.attachLevelOutput(&gpio, 1, 4, 1);
    EXPECT_EQ("06 01 03 01 01 0C", ask(module, hex("08 01 05 01 14 13 01 37")));
    module.setSceneDay(false);
    EXPECT_EQ("06 01 03 01 00 0B", ask(module, hex("08 01 05 01 14 13 01 37")));
    EXPECT_EQ(0, gpio.level(1, 4));
    EXPECT_EQ("07 01 04 01 10 27 44", ask(module, hex("08 01 05 01 0A 0C 02 27")));
    EXPECT_EQ("05 01 02 00 08", ask(module, hex("08 01 05 01 77 77 01 04")));  // unknown
    EXPECT_EQ("05 01 02 00 08", ask(module, hex("08 01 05 01 0A 0C 02 28")));  // checksum

    ASSERT_EQ(0, module.open("/dev/ttyAMA1"));
    ASSERT_EQ(1, module.open("/dev/ttyAMA2"));
    module.write(1, "\x81\x01\x04\x38\x02\xFF\x81\x01", 8);
    module.write(1, "\x04\xB1\x03\xFF", 4);
    ASSERT_EQ(2u, module.lensFrames().size());
    EXPECT_EQ("81 01 04 B1 03 FF", text(module.lensFrames()[1]));

    // A powered module keeps its registers and scene across runs.
    SimIT1Module again;
    again.loadState(module.saveState() + ";r1500=66");
    EXPECT_FALSE(again.sceneDay());
    EXPECT_EQ(66, again.registerValue(0x1500));
    EXPECT_EQ(0x27, again.registerValue(0x0A0D));
}

TEST(SimITNModule, AnswersSixByteJudgementsAndAnUnknownCodeOnRequest) {
    SimITNModule module;
    EXPECT_EQ("0B 01 08 01 00 00 00 C8 00 01 DE", ask(module, hex("09 01 06 01 2A 02 40 06 83")));
    EXPECT_EQ("05 01 02 01 09", ask(module, hex("0A 01 07 02 15 00 0E 0F A0 E6")));
    EXPECT_EQ(4000, module.wordValue(0x15000E));
    EXPECT_EQ("05 01 02 00 08", ask(module, hex("09 01 06 01 1C 00 00 03 30")));  // 3 bytes
    module.injectFault(SimRegisterModule::FAULT_WRONG_CODE);
    EXPECT_EQ("08 01 03 01 00 0B", ask(module, hex("09 01 06 01 1C 00 00 01 2E")));
}

TEST(SimSeawolfModule, AnswersByCodeAndTakesAVideoSystemAfterARestart) {
    SimSeawolfModule module;
    EXPECT_EQ("02 04 02 01 00 07 EF", ask(module, hex("03 02 00 0F EB")));
    EXPECT_EQ("01", ask(module, hex("04 01 05 01 01 F3")));
    EXPECT_EQ("02 01 00 FC", ask(module, hex("03 02 05 01 F4")));  // still restarting
    EXPECT_EQ("02 01 01 FB", ask(module, hex("03 02 05 01 F4")));
    EXPECT_EQ("04 01", ask(module, hex("03 02 05 01 F5")));
    EXPECT_EQ("03", ask(module, hex("04 01 03 05 01 F1")));  // read-only judgement
    module.injectFault(SimRegisterModule::FAULT_WRONG_CODE);
    EXPECT_EQ("09", ask(module, hex("03 02 05 01 F4")));
}
