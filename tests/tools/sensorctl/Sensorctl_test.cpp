#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "SensorctlRun.h"

TEST_F(SensorctlTest, FirstBootLaysTheBoardAndCreatesTheParameterFiles) {
    Outcome status = sensorctl({"status"});
    ASSERT_EQ(0, status.nExit) << status.strErr;
    EXPECT_TRUE(contains(status.strOut, "60 (Hi351xSenseController)")) << status.strOut;
    EXPECT_TRUE(contains(status.strOut, "first boot")) << status.strOut;
    EXPECT_TRUE(contains(status.strOut, "day/night state  day")) << status.strOut;
    EXPECT_EQ("", status.strErr);
    EXPECT_EQ("sensor.xml sensor0.cfg sensor1.cfg sensor2.cfg sensor3.cfg sensor_Factory.cfg",
              m_root.listDir("/camera/mnt/mtd/code/config_file"));
    EXPECT_TRUE(m_root.exists("/camera/hd1/program/config/ISPParam.xml"));
    Outcome again = sensorctl({"status"});
    EXPECT_FALSE(contains(again.strOut, "first boot"));
}

TEST_F(SensorctlTest, ASetValueIsThereInTheNextProcessAndAfterAReset) {
    Outcome set = sensorctl({"set", "brightness", "77"});
    ASSERT_EQ(0, set.nExit) << set.strErr;
    EXPECT_EQ("brightness (1) = 77\n", set.strOut);
    Outcome get = sensorctl({"get", "1"});
    EXPECT_EQ(0, get.nExit);
    EXPECT_EQ("77\n", get.strOut);
    EXPECT_TRUE(
        contains(m_root.readFile("/camera/mnt/mtd/code/config_file/sensor0.cfg"), "(1,77)"));

    Outcome many = sensorctl({"setmany", "(2,40)(3,45)"});
    ASSERT_EQ(0, many.nExit) << many.strErr;
    Outcome dump = sensorctl({"dump"});
    EXPECT_TRUE(contains(dump.strOut, "(1,77)(2,40)(3,45)")) << dump.strOut;

    Outcome reset = sensorctl({"reset"});
    ASSERT_EQ(0, reset.nExit) << reset.strErr;
    EXPECT_EQ("50\n", sensorctl({"get", "brightness"}).strOut);
}

TEST_F(SensorctlTest, BadInputGivesOneLineOnStderrAndAFailingExit) {
    struct Case {
        std::vector<std::string> arguments;
        int nExit;
        const char* szMessage;
    } cases[] = {
        {{"set", "brightness", "101"}, 1, "brightness takes 0..100 (%); 101 refused"},
        {{"set", "1", "ten"}, 2, "bad value 'ten'"},
        {{"get", "nonsense"}, 2, "unknown parameter 'nonsense'"},
        {{"get", "48"}, 2, "module 60 has no parameter 48"},
        {{"setmany", "(1,2"}, 2, "bad parameter text"},
        {{"scheme", "9"}, 2, "no scheme 9"},
        {{"daynight", "5"}, 2, "bad day/night mode '5'"},
        {{"--module", "tv", "status"}, 2, "unknown module 'tv'"},
        {{"--module", "59", "status"}, 1, "module 59 is not driven by this library"},
        {{"--time", "25:00", "status"}, 2, "bad time of day '25:00'"},
        {{"frobnicate"}, 2, "sensorctl: "},
        {{"set", "1"}, 2, "value is required"},
    };
    for (const Case& c : cases) {
        Outcome run = sensorctl(c.arguments);
        EXPECT_EQ(c.nExit, run.nExit) << c.szMessage;
        EXPECT_TRUE(contains(run.strErr, c.szMessage)) << run.strErr;
        EXPECT_EQ(1, std::count(run.strErr.begin(), run.strErr.end(), '\n')) << run.strErr;
    }
    EXPECT_EQ("50\n", sensorctl({"get", "brightness"}).strOut);  // nothing refused got through
}

TEST_F(SensorctlTest, ManualSchemeModeAndTheChosenSchemeSurviveARestart) {
    ASSERT_EQ(0, sensorctl({"mode", "0"}).nExit);
    ASSERT_EQ(0, sensorctl({"scheme", "2"}).nExit);
    ASSERT_EQ(0, sensorctl({"set", "sharpness", "11"}).nExit);
    Outcome scheme = sensorctl({"scheme"});
    EXPECT_TRUE(contains(scheme.strOut, "scheme 2\n")) << scheme.strOut;
    EXPECT_TRUE(contains(scheme.strOut, "* 2")) << scheme.strOut;
    EXPECT_EQ("11\n", sensorctl({"get", "sharpness"}).strOut);
    EXPECT_TRUE(
        contains(m_root.readFile("/camera/mnt/mtd/code/config_file/sensor2.cfg"), "(4,11)"));
    EXPECT_FALSE(
        contains(m_root.readFile("/camera/mnt/mtd/code/config_file/sensor0.cfg"), "(4,11)"));
}

TEST_F(SensorctlTest, DayNightModeSwitchesThePictureAndPersists) {
    Outcome night = sensorctl({"daynight", "2"});
    ASSERT_EQ(0, night.nExit) << night.strErr;
    EXPECT_EQ("day/night mode 2 (night), state night\n", night.strOut);
    Outcome status = sensorctl({"status"});
    EXPECT_TRUE(contains(status.strOut, "day/night mode   2 (night)")) << status.strOut;
}

TEST_F(SensorctlTest, ASimulatedDaySwitchesOncePerDuskAndDawnAndDrawsIt) {
    Outcome day = sensorctl({"simulate-day", "--plot", m_root.dir() + "/day.svg"}, false);
    ASSERT_EQ(0, day.nExit) << day.strErr;
    EXPECT_TRUE(contains(day.strOut, "3 switch(es) to night, 2 back to day")) << day.strOut;
    EXPECT_TRUE(contains(day.strOut, "day -> night")) << day.strOut;
    EXPECT_TRUE(contains(day.strOut, "tuning: EE 24, DC 2")) << day.strOut;
    std::string svg = m_root.readFile("/day.svg");
    EXPECT_EQ(0u, svg.find("<svg "));
    EXPECT_TRUE(contains(svg, "</svg>"));
}

TEST_F(SensorctlTest, HelpNamesEveryCommand) {
    Outcome help = sensorctl({"--help"});
    EXPECT_EQ(0, help.nExit);
    for (const char* command : {"status", "get", "set", "list", "dump", "setmany", "flush", "reset",
                                "scheme", "mode", "daynight", "simulate-day"}) {
        EXPECT_TRUE(contains(help.strOut, command)) << command;
    }
}

TEST_F(SensorctlTest, UiShowsTheMergedStyleAndWhichBlocksApplied) {
    Outcome plain = sensorctl({"ui", "--lang", "2"});
    ASSERT_EQ(0, plain.nExit) << plain.strErr;
    EXPECT_TRUE(contains(plain.strOut, "module record   60 for product hi351x")) << plain.strOut;
    EXPECT_TRUE(contains(plain.strOut, "variant blocks  0 applied")) << plain.strOut;
    EXPECT_TRUE(contains(plain.strOut, "value=\"Tag und Nacht\"")) << plain.strOut;

    Outcome merged = sensorctl({"ui", "--product", "orvane"});
    ASSERT_EQ(0, merged.nExit) << merged.strErr;
    EXPECT_TRUE(contains(merged.strOut,
                         "variant blocks  2 applied\n"
                         "  Block isInfrared=\"1,2\" HDR=\"1\"\n"
                         "  Block autoIris=\"1\"\n"))
        << merged.strOut;
    EXPECT_TRUE(contains(merged.strOut,
                         "name=\"exposure\" params=\"5,6,7,8,9,10\" />\n"
                         "    <Tab id=\"7\" name=\"wdr\""))
        << merged.strOut;

    Outcome unknown = sensorctl({"ui", "--product", "toaster"});
    EXPECT_EQ(1, unknown.nExit);
    EXPECT_TRUE(contains(unknown.strErr, "product 'toaster' cannot be loaded")) << unknown.strErr;
}

TEST_F(SensorctlTest, IrPowerReadsAndWritesTheTable) {
    Outcome load = sensorctl({"irpower", "load"});
    ASSERT_EQ(0, load.nExit) << load.strErr;
    EXPECT_TRUE(contains(load.strOut, "       10    70    40    10\n")) << load.strOut;
    EXPECT_EQ("IR power table version 1\n", sensorctl({"irpower", "get"}).strOut);
    EXPECT_EQ(0, sensorctl({"irpower", "set", "7"}).nExit);
    EXPECT_EQ("IR power table version 7\n", sensorctl({"irpower", "get"}).strOut);
    EXPECT_TRUE(contains(sensorctl({"irpower", "load"}).strOut, "       20   100    20     0"));

    Outcome missing = sensorctl({"irpower", "load", "--file", "/nowhere/IR.xml"});
    EXPECT_EQ(1, missing.nExit);
    EXPECT_TRUE(contains(missing.strErr, "cannot open /nowhere/IR.xml")) << missing.strErr;
    EXPECT_EQ(2, sensorctl({"irpower", "fry"}).nExit);
}

TEST_F(SensorctlTest, TheOrvaneControllerIsBuiltByTheHostAndKeepsItsSettings) {
    Outcome status = sensorctl({"--module", "orvane", "status"});
    ASSERT_EQ(0, status.nExit) << status.strErr;
    EXPECT_TRUE(contains(status.strOut, "61 (OrvaneISPSenseController)")) << status.strOut;
    ASSERT_EQ(0, sensorctl({"--module", "orvane", "set", "red-gain", "90"}).nExit);
    EXPECT_EQ("90\n", sensorctl({"--module", "orvane", "get", "28"}).strOut);
    Outcome refused = sensorctl({"--module", "orvane", "set", "red-gain", "101"});
    EXPECT_EQ(1, refused.nExit);
    EXPECT_TRUE(contains(refused.strErr, "red-gain takes 0..100; 101 refused")) << refused.strErr;
}

TEST_F(SensorctlTest, ParametersAreListedDescribedAndSetByTheLibrarysNames) {
    // A menu entry by name, and what the parameter takes when the name is
    // not one of them.
    Outcome manual = sensorctl({"--module", "orvane", "set", "wb-mode", "manual"});
    ASSERT_EQ(0, manual.nExit) << manual.strErr;
    EXPECT_EQ("wb-mode (26) = 1\n", manual.strOut);
    Outcome unknown = sensorctl({"--module", "orvane", "set", "wb-mode", "sunny"});
    EXPECT_EQ(2, unknown.nExit);
    EXPECT_EQ("sensorctl: bad value 'sunny'; wb-mode takes 0 auto, 1 manual\n", unknown.strErr);

    Outcome described = sensorctl({"--module", "orvane", "describe", "wb-mode"});
    ASSERT_EQ(0, described.nExit) << described.strErr;
    EXPECT_TRUE(contains(described.strOut,
                         "kind     menu\nrole     wb-mode\n"
                         "takes    0 auto, 1 manual\nfactory  0 auto\n"
                         "value    1 manual\n"))
        << described.strOut;
    EXPECT_EQ(2, sensorctl({"--module", "orvane", "describe", "sunshine"}).nExit);

    // The list as one JSON document: each parameter once, with its value.
    Outcome json = sensorctl({"--module", "orvane", "list", "--json"});
    ASSERT_EQ(0, json.nExit) << json.strErr;
    EXPECT_EQ(0u, json.strOut.find("{\"module\":\"orvane\",\"moduleId\":61,\"parameters\":["));
    EXPECT_TRUE(
        contains(json.strOut,
                 "{\"id\":26,\"name\":\"wb-mode\",\"idType\":\"common\",\"kind\":\"menu\","
                 "\"role\":\"wb-mode\",\"unit\":\"\",\"checked\":true,\"entries\":[{\"code\":"
                 "0,\"name\":\"auto\"},{\"code\":1,\"name\":\"manual\"}],\"factory\":0,"
                 "\"value\":1}"))
        << json.strOut;
    EXPECT_EQ("\n]}\n", json.strOut.substr(json.strOut.size() - 4));
    Outcome table = sensorctl({"--module", "orvane", "list"});
    EXPECT_TRUE(contains(table.strOut, "   26  wb-mode                  1 manual       menu"))
        << table.strOut;
}
