#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/hextext/SimHexTextModule.h"
#include "support/HexBytes.h"

namespace {

class SimHexTextModuleTest : public testing::Test {
protected:
    // One write, then everything the module answered.
    std::string ask(const std::string& p_strBytes) {
        EXPECT_EQ(static_cast<int>(p_strBytes.size()),
                  m_module.write(0, p_strBytes.data(), static_cast<int>(p_strBytes.size())));
        return readAll();
    }

    std::string readAll() {
        std::string got;
        char buffer[3];  // smaller than the answers: reads go on where they stopped
        for (int count; (count = m_module.read(0, buffer, sizeof(buffer), 1)) > 0;) {
            got.append(buffer, static_cast<size_t>(count));
        }
        return got;
    }

    SimHexTextModule m_module;
};

}  // namespace

TEST_F(SimHexTextModuleTest, WritesAreEchoedAndStoredAndReadsAnswerTheValueInTheirWidth) {
    EXPECT_EQ(":WFD9EFF", ask(":WFD9EFF"));
    EXPECT_EQ(0xFF, m_module.registerValue(0xFD9E));
    EXPECT_EQ(":wFD4600A0", ask(":wFD4600A0"));  // lower case, four digits
    EXPECT_EQ(0xA0, m_module.registerValue(0xFD46));
    EXPECT_EQ(":RFD4600A0", ask(":RFD460000"));
    EXPECT_EQ(":RFD9EFF", ask(":RFD9E00"));
    EXPECT_EQ(":R123400", ask(":R123400"));  // never written: 0
    // Init complete is taken without an answer; noise between frames is dropped.
    EXPECT_EQ("", ask(":rE1ED0000"));
    EXPECT_EQ("", ask("MENUON"));
    EXPECT_EQ(":WFCC820", ask("MENUON:WFCC820"));
    // Two frames in one write, and one frame in pieces.
    EXPECT_EQ(":WFF3000:WFF3100", ask(":WFF3000:WFF3100"));
    EXPECT_EQ("", ask(":RFF"));
    EXPECT_EQ(":RFF3000", ask("3000"));
    EXPECT_EQ(
        (std::vector<std::string>{":WFD9EFF", ":wFD4600A0", ":RFD460000", ":RFD9E00", ":R123400",
                                  ":rE1ED0000", ":WFCC820", ":WFF3000", ":WFF3100", ":RFF3000"}),
        m_module.received());
    // Raw frames (masks, lamps) come back as sent.
    EXPECT_EQ(hex("A1 00 FF FF"), ask(hex("A1 00 FF FF")));
    EXPECT_EQ(hex("FE 01 1E 02 06 32 59 FF"), ask(hex("FE 01 1E 02 06 32 59 FF")));
}

TEST_F(SimHexTextModuleTest, EachMemberStartsWithTheVideoRegistersItsControllerExpects) {
    struct Case {
        SimHexTextModule::Member eMember;
        int nVideoSystem;
        int nRegister;
        int nValue;
    } cases[] = {
        {SimHexTextModule::CMD7200, 1, 0xFFFE, 0x01},
        {SimHexTextModule::CMD7200, 0, 0xFFFE, 0x03},
        {SimHexTextModule::HITACH_COMPAT, 1, 0xFFFE, 0x00},
        {SimHexTextModule::HITACH, 1, 0x1701, 0x01},
        {SimHexTextModule::HITACH, 0, 0x1701, 0xFF},
        {SimHexTextModule::SC110N, 1, 0x1701, 0x00},
    };
    for (const Case& c : cases) {
        SimHexTextModule module(c.eMember, c.nVideoSystem);
        EXPECT_EQ(c.nValue, module.registerValue(c.nRegister)) << c.eMember;
        EXPECT_EQ(1, module.registerValue(SimHexTextModule::REG_DAYNIGHT));
        EXPECT_GT(module.registerValue(SimHexTextModule::REG_VERSION), 106);
    }
    m_module.setDayNight(false);
    EXPECT_EQ(":RFFE700", ask(":RFFE700"));
    EXPECT_EQ(":RFFE680", ask(":RFFE600"));
}

TEST_F(SimHexTextModuleTest, QueuedFaultsSpoilTheNextAnswersInOrder) {
    m_module.injectFault(SimHexTextModule::FAULT_SILENT);
    m_module.injectFault(SimHexTextModule::FAULT_CHANGED_CHARACTER);
    m_module.injectFault(SimHexTextModule::FAULT_WRONG_PREFIX);
    m_module.injectFault(SimHexTextModule::FAULT_NOISE);
    EXPECT_EQ("", ask(":rE1ED0000"));  // unanswered frames leave the faults queued
    EXPECT_EQ("", ask(":WFD9E80"));
    EXPECT_EQ(":WFD9E81", ask(":WFD9E80"));
    EXPECT_EQ(":RFFE601", ask(":RFFE700"));
    EXPECT_EQ(std::string("\x00\xFF#:WFD9E80", 11), ask(":WFD9E80"));
    EXPECT_EQ(":WFD9E80", ask(":WFD9E80"));

    // A late answer waits out one empty read, and what follows queues behind it.
    m_module.injectFault(SimHexTextModule::FAULT_LATE);
    const std::string frame = ":WFF3000";
    m_module.write(0, frame.data(), 8);
    char buffer[16];
    EXPECT_EQ(0, m_module.read(0, buffer, 16, 5));
    EXPECT_EQ(":WFF3000:WFF3101", ask(":WFF3101"));
    EXPECT_EQ(0u, m_module.pendingBytes());

    m_module.setSilent(true);
    EXPECT_EQ("", ask(":WFD9E80"));
    EXPECT_EQ(0x80, m_module.registerValue(0xFD9E));  // it still takes what it hears
}

TEST_F(SimHexTextModuleTest, ItHearsOnlyItsOwnBaudRate) {
    EXPECT_EQ(1, m_module.setParameter(0, 19200, 8, 1, 0));
    EXPECT_EQ("", ask(":WFD9E80"));
    EXPECT_TRUE(m_module.received().empty());
    m_module.setParameter(0, 9600, 8, 1, 0);
    EXPECT_EQ(":WFD9E80", ask(":WFD9E80"));
    EXPECT_EQ((std::vector<int>{9600, 8, 1, 0}), m_module.lineParameters());
}

TEST_F(SimHexTextModuleTest, TheRegistersAndASilentLineOutliveTheProcessThroughTheState) {
    ask(":WFD9E80");
    m_module.setDayNight(false);
    m_module.setSilent(true);
    const std::string state = m_module.saveState();
    EXPECT_NE(std::string::npos, state.find("FD9E=80")) << state;
    EXPECT_NE(std::string::npos, state.find("silent=1")) << state;

    SimHexTextModule restored;
    restored.loadState(state + ";junk=1;12=3;FFFF=xyz");
    EXPECT_EQ(0x80, restored.registerValue(0xFD9E));
    EXPECT_EQ(0, restored.registerValue(SimHexTextModule::REG_DAYNIGHT));
    EXPECT_FALSE(restored.hasRegister(0xFFFF));
    std::string frame = ":WFD9E81";
    restored.write(0, frame.data(), 8);
    EXPECT_EQ(0u, restored.pendingBytes());  // still silent
    restored.loadState("silent=0");
    restored.write(0, frame.data(), 8);
    EXPECT_EQ(8u, restored.pendingBytes());
}
