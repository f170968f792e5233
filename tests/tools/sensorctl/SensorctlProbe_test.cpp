#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ProbeLines.h"
#include "SensorctlRun.h"
#include "sim/PtyBridge.h"

// sensorctl probe on pseudo-terminals, on the real clock: a probe of a line
// takes seconds, so the probes of one test run side by side.
namespace {

struct Probed {
    std::string strTerminal;
    pid_t nPid = -1;
    Outcome outcome;
};

// Starts sensorctl probe on the terminal, its output under p_strName in the
// root; wait() collects it.
void start(Probed& p_probe, const std::string& p_strDir, const std::string& p_strName,
           bool p_bJson) {
    std::vector<std::string> words = {"probe", "--uart", p_probe.strTerminal};
    if (p_bJson) {
        words.push_back("--json");
    }
    p_probe.nPid = spawnSensorctl(words, p_strDir + "/" + p_strName + ".out",
                                  p_strDir + "/" + p_strName + ".err");
}

void wait(Probed& p_probe, const std::string& p_strDir, const std::string& p_strName) {
    int status = 0;
    if (p_probe.nPid > 0 && waitpid(p_probe.nPid, &status, 0) == p_probe.nPid) {
        p_probe.outcome.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    p_probe.outcome.strOut = slurp(p_strDir + "/" + p_strName + ".out");
    p_probe.outcome.strErr = slurp(p_strDir + "/" + p_strName + ".err");
}

// The names in the probe's list of module ids that fit.
std::set<std::string> candidates(const std::string& p_strOut) {
    std::set<std::string> names;
    std::regex row("\n  [0-9]+ +([a-z0-9]+) ");
    for (std::sregex_iterator it(p_strOut.begin(), p_strOut.end(), row), end; it != end; ++it) {
        names.insert((*it)[1]);
    }
    return names;
}

}  // namespace

TEST_F(SensorctlTest, ProbeFindsEachSimulatedModuleAtTheLineItIsServedAt) {
    const std::set<std::string> visca = {"fcbev7310", "ch3310",     "cv7500",  "eh4300",
                                         "nosensor",  "cmd8100old", "cmd8100", "cmd8300"};
    const std::set<std::string> hexText = {"cmd7200", "hitachcompat", "hitach", "sc110n"};
    struct Served {
        const char* szKind;
        const char* szBaud;
        const char* szParity;
        const char* szFound;  // protocol and line
        std::set<std::string> names;
        const char* szNext;  // the first candidate's parameters
    } served[] = {
        {"visca", "38400", "odd", "VISCA answered on %s at 38400 8O1:", visca,
         "--module fcbev7310 --uart %s --params 'RS485=38400,8,1,0' status"},
        {"visca-ack", "9600", "none", "VISCA answered on %s at 9600 8N1:", visca, ""},
        {"cmd", "115200", "none", "VISCA answered on %s at 115200 8N1:", visca, ""},
        {"cmd7300",
         "19200",
         "none",
         "VISCA answered on %s at 19200 8N1:",
         {"cmd7300"},
         "--module cmd7300 --uart %s --params 'RS485=19200,8,0,0' status"},
        {"hextext", "4800", "none", "hex text answered on %s at 4800 8N1:", hexText, ""},
        {"hextext-compat", "9600", "odd", "hex text answered on %s at 9600 8O1:", hexText, ""},
        {"hextext-hitach", "57600", "none", "hex text answered on %s at 57600 8N1:", hexText, ""},
        {"hextext-sc110n", "2400", "none", "hex text answered on %s at 2400 8N1:", hexText, ""},
        {"effio",
         "19200",
         "odd",
         "Effio answered on %s at 19200 8O1:",
         {"effio"},
         "--module effio --uart %s --params 'RS232=19200,8,1,0' status"},
        {"it1",
         "9600",
         "none",
         "IT1 answered on %s at 9600 8N1:",
         {"it1", "it1zoom"},
         "--module it1 --uart %s --params 'RS232=9600,8,0,0' status"},
        {"itn", "57600", "none", "ITN answered on %s at 57600 8N1:", {"itn"}, ""},
        {"seawolf", "115200", "odd", "", {"seawolf"}, ""},  // asked for JSON
    };
    const std::string dir = m_root.dir();
    std::vector<Probed> probes(std::size(served));
    // A few at a time: a busy machine (or the emulator) delays a simulator's
    // answer past the turnaround a module is allowed.
    auto probeServed = [&](size_t p_nFirst, size_t p_nLast) {
        std::vector<pid_t> simulators;
        for (size_t index = p_nFirst; index < p_nLast; ++index) {
            const Served& s = served[index];
            std::string out = dir + "/" + s.szKind + ".sim";
            simulators.push_back(
                spawnSensorctl({"sim-module", s.szKind, "--baud", s.szBaud, "--parity", s.szParity,
                                "--seconds", kServeSeconds},
                               out, ""));
            probes[index] = Probed();
            probes[index].strTerminal = servedTerminal(out);
            if (!probes[index].strTerminal.empty()) {
                start(probes[index], dir, s.szKind, s.szFound[0] == '\0');
            }
        }
        for (size_t index = p_nFirst; index < p_nLast; ++index) {
            wait(probes[index], dir, served[index].szKind);
        }
        for (pid_t simulator : simulators) {
            kill(simulator, SIGTERM);
            waitpid(simulator, nullptr, 0);
        }
    };
    const size_t atOnce = 4;
    for (size_t first = 0; first < std::size(served); first += atOnce) {
        probeServed(first, std::min(first + atOnce, std::size(served)));
    }
    // A late answer on a loaded machine can still send a probe past the
    // module's line (a pseudo-terminal cannot tell even parity from none):
    // such a module is probed once more, alone.
    for (size_t index = 0; index < std::size(served); ++index) {
        char found[160];
        std::snprintf(found, sizeof(found), served[index].szFound,
                      probes[index].strTerminal.c_str());
        const Outcome& run = probes[index].outcome;
        if (run.nExit != 0 || run.strOut.find(found) != 0) {
            probeServed(index, index + 1);
        }
    }
    for (const Probed& probe : probes) {
        ASSERT_NE("", probe.strTerminal);
    }

    for (size_t index = 0; index + 1 < std::size(served); ++index) {
        const Served& s = served[index];
        const Outcome& run = probes[index].outcome;
        const char* terminal = probes[index].strTerminal.c_str();
        SCOPED_TRACE(s.szKind);
        ASSERT_EQ(0, run.nExit) << run.strErr;
        char expected[160];
        std::snprintf(expected, sizeof(expected), s.szFound, terminal);
        EXPECT_EQ(0u, run.strOut.find(expected)) << run.strOut;
        EXPECT_EQ(s.names, candidates(run.strOut)) << run.strOut;
        if (s.szNext[0] != '\0') {
            std::snprintf(expected, sizeof(expected), s.szNext, terminal);
            EXPECT_TRUE(contains(run.strOut, "\nnext: sensorctl " + std::string(expected)))
                << run.strOut;
        }
    }
    const Outcome& json = probes.back().outcome;
    EXPECT_EQ(0, json.nExit) << json.strErr;
    for (const char* part :
         {"{\"device\":\"", "\"result\":\"identified\",\"protocol\":\"Seawolf\"",
          "\"line\":\"115200 8O1\",\"baud\":115200,\"dataBits\":8,\"parity\":\"odd\"",
          "\"tx\":\"03 02 00 0F EB\",\"rx\":\"02 04 02 01 00 07 EF\"",
          "{\"id\":12,\"name\":\"seawolf\"", "\"parameters\":\"RS232=115200,8,1,0\"}]"}) {
        EXPECT_TRUE(contains(json.strOut, part)) << part << "\n" << json.strOut;
    }
    EXPECT_EQ(1, std::count(json.strOut.begin(), json.strOut.end(), '\n'));

    // A pseudo-terminal carries no even parity: a module served at it would
    // hear no one.
    Outcome even = sensorctl({"sim-module", "effio", "--parity", "even", "--seconds", "1"});
    EXPECT_EQ(2, even.nExit);
    EXPECT_TRUE(contains(even.strErr, "no or odd parity only")) << even.strErr;
}

TEST_F(SensorctlTest, ProbeOfASilentOrNoisyLineSaysNothingAnswered) {
    SimSerialPort silentLine;
    NoisyLine noisyLine(7);
    PtyBridge silent(silentLine);
    PtyBridge noisy(noisyLine);
    ASSERT_TRUE(silent.start() && noisy.start());
    const std::string dir = m_root.dir();
    Probed quiet;
    Probed noise;
    quiet.strTerminal = silent.slavePath();
    noise.strTerminal = noisy.slavePath();
    start(quiet, dir, "silent", false);
    start(noise, dir, "noise", true);
    wait(quiet, dir, "silent");
    wait(noise, dir, "noise");

    // Every protocol at every line setting, the same requests at each, then
    // one line on stderr. (Counted in bytes: on a busy machine the bridge
    // may read two requests at once.)
    // The bridge may still hold the last request: it is read when the line
    // has been quiet a while.
    std::string sent;
    for (int look = 0; look < 30; ++look) {
        std::string now;
        for (const std::string& write : silentLine.writes()) {
            now += write;
        }
        if (look > 0 && now == sent) {
            break;
        }
        sent = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(0u, sent.size() % 21) << sent.size();
    const std::string round = sent.substr(0, sent.size() / 21);
    EXPECT_LT(20u, round.size());
    std::string rounds;
    for (int line = 0; line < 21; ++line) {
        rounds += round;
    }
    EXPECT_EQ(rounds, sent);
    EXPECT_EQ(1, quiet.outcome.nExit);
    EXPECT_EQ("", quiet.outcome.strOut);
    EXPECT_TRUE(std::regex_match(
        quiet.outcome.strErr,
        std::regex("sensorctl: nothing answered on " + quiet.strTerminal +
                   ": no reply of VISCA, hex text, Effio, IT1, ITN or Seawolf at 21 line "
                   "settings in [0-9.]+ s\n")))
        << quiet.outcome.strErr;

    EXPECT_EQ(1, noise.outcome.nExit);
    EXPECT_TRUE(contains(noise.outcome.strOut, "\"result\":\"nothing\"")) << noise.outcome.strOut;
    EXPECT_TRUE(contains(noise.outcome.strErr,
                         "(from 9600 8N1 on, bytes came back that are no protocol's reply)\n"))
        << noise.outcome.strErr;
}
