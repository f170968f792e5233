#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/SysfsGPIO.h"
#include "support/ScratchRoot.h"

namespace {

const char* const kExport = "/sys/class/gpio/export";

// A sysfs GPIO tree as the kernel shows it; nothing here creates "gpioN" on
// export, so a test adds the lines the board "has".
class SysfsGPIOTest : public testing::Test {
protected:
    SysfsGPIOTest() { m_root.writeFile(kExport, ""); }

    static std::string file(int p_nLine, const char* p_szName) {
        return "/sys/class/gpio/gpio" + std::to_string(p_nLine) + "/" + p_szName;
    }
    void addLine(int p_nLine, const std::string& p_strDirection, const std::string& p_strValue) {
        m_root.writeFile(file(p_nLine, "direction"), p_strDirection);
        m_root.writeFile(file(p_nLine, "value"), p_strValue);
    }
    std::string direction(int p_nLine) { return m_root.readFile(file(p_nLine, "direction")); }
    std::string value(int p_nLine) { return m_root.readFile(file(p_nLine, "value")); }

    ScratchRoot m_root;
    SysfsGPIO m_gpio;
};

}  // namespace

TEST_F(SysfsGPIOTest, SetLevelMakesTheLineAnOutputOnceAndWritesTheLevel) {
    EXPECT_EQ(1, m_gpio.start());
    addLine(10, "in\n", "0\n");
    ASSERT_EQ(1, m_gpio.setLevel(1, 2, 1));
    EXPECT_EQ("out", direction(10));
    EXPECT_EQ("1", value(10));
    EXPECT_EQ("", m_root.readFile(kExport));  // already there: not exported again

    // The direction is remembered and not written again.
    m_root.writeFile(file(10, "direction"), "untouched");
    ASSERT_EQ(1, m_gpio.setLevel(1, 2, 0));
    EXPECT_EQ("untouched", direction(10));
    EXPECT_EQ("0", value(10));

    // A line that already is an output keeps its direction file as it was.
    addLine(11, "out\n", "1\n");
    ASSERT_EQ(1, m_gpio.setLevel(1, 3, 0));
    EXPECT_EQ("out\n", direction(11));
    EXPECT_EQ("0", value(11));
    EXPECT_EQ(1, m_gpio.stop());
}

TEST_F(SysfsGPIOTest, GroupAndPinNameTheKernelLine) {
    addLine(0, "in", "0");
    addLine(15, "in", "0");
    addLine(34, "in", "0");
    addLine(35, "in", "0");
    EXPECT_EQ(1, m_gpio.setLevel(0, 0, 1));
    EXPECT_EQ(1, m_gpio.setLevel(1, 7, 1));
    EXPECT_EQ(1, m_gpio.setLevel(4, 2, 1));
    EXPECT_EQ("1", value(0));
    EXPECT_EQ("1", value(15));
    EXPECT_EQ("1", value(34));
    EXPECT_EQ("0", value(35));

    SysfsGPIO wide(32);
    EXPECT_EQ(1, wide.setLevel(1, 3, 1));
    EXPECT_EQ("1", value(35));
    EXPECT_EQ(1, wide.setLevel(0, 15, 0));
    EXPECT_EQ("0", value(15));
}

TEST_F(SysfsGPIOTest, AMissingLineIsExportedFirst) {
    // The board has no line 10: the export is tried and the call fails.
    EXPECT_EQ(0, m_gpio.setLevel(1, 2, 1));
    EXPECT_EQ("10", m_root.readFile(kExport));
    int level = 7;
    EXPECT_EQ(0, m_gpio.getLevel(2, 5, level));
    EXPECT_EQ("21", m_root.readFile(kExport));
    EXPECT_EQ(7, level);

    // Once the kernel shows the line, the next call uses it.
    addLine(10, "in", "0");
    ASSERT_EQ(1, m_gpio.setLevel(1, 2, 1));
    EXPECT_EQ("out", direction(10));
    EXPECT_EQ("1", value(10));

    // A line that vanishes again is a failure, not a stale success.
    m_root.writeFile(kExport, "");
    std::filesystem::remove_all(m_root.path("/sys/class/gpio/gpio10"));
    EXPECT_EQ(0, m_gpio.setLevel(1, 2, 0));
    EXPECT_EQ(0, m_gpio.setLevel(1, 2, 0));
    EXPECT_EQ("10", m_root.readFile(kExport));
}

TEST_F(SysfsGPIOTest, GetLevelReadsTheLineAsAnInput) {
    addLine(20, "out\n", "1\n");
    int level = -1;
    ASSERT_EQ(1, m_gpio.getLevel(2, 4, level));
    EXPECT_EQ(1, level);
    EXPECT_EQ("in", direction(20));

    m_root.writeFile(file(20, "value"), "0\n");
    m_root.writeFile(file(20, "direction"), "untouched");
    ASSERT_EQ(1, m_gpio.getLevel(2, 4, level));
    EXPECT_EQ(0, level);
    EXPECT_EQ("untouched", direction(20));

    addLine(21, "in\n", "1\n");
    ASSERT_EQ(1, m_gpio.getLevel(2, 5, level));
    EXPECT_EQ(1, level);
    EXPECT_EQ("in\n", direction(21));

    m_root.writeFile(file(21, "value"), "garbage");
    level = 5;
    EXPECT_EQ(0, m_gpio.getLevel(2, 5, level));
    EXPECT_EQ(5, level);
}

TEST_F(SysfsGPIOTest, OutOfRangeArgumentsTouchNothing) {
    addLine(8, "in", "0");
    int level = 3;
    EXPECT_EQ(0, m_gpio.setLevel(1, 0, 2));
    EXPECT_EQ(0, m_gpio.setLevel(1, 0, -1));
    EXPECT_EQ(0, m_gpio.setLevel(-1, 0, 1));
    EXPECT_EQ(0, m_gpio.setLevel(0, -1, 1));
    EXPECT_EQ(0, m_gpio.setLevel(0, 8, 1));  // would alias line 8
    EXPECT_EQ(0, m_gpio.setLevel(2147483647, 7, 1));
    EXPECT_EQ(0, m_gpio.getLevel(0, 8, level));
    EXPECT_EQ(0, m_gpio.getLevel(-1, 0, level));
    EXPECT_EQ(3, level);
    EXPECT_EQ("in", direction(8));
    EXPECT_EQ("0", value(8));
    EXPECT_EQ("", m_root.readFile(kExport));
}

TEST(SysfsGPIO, ABoardWithoutSysfsGpioFails) {
    ScratchRoot root;
    SysfsGPIO gpio;
    int level = 0;
    EXPECT_EQ(0, gpio.setLevel(0, 1, 1));
    EXPECT_EQ(0, gpio.getLevel(0, 1, level));
    EXPECT_FALSE(root.exists(kExport));
}
