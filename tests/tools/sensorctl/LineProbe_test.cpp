#include "LineProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>

#include "ProbeLines.h"
#include "sim/cmd/SimCmdCamera.h"
#include "sim/hextext/SimHexTextModule.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "sim/register/SimITNModule.h"
#include "sim/register/SimSeawolfModule.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/ScratchRoot.h"

// The probe against the module simulators themselves as its port: each
// simulator hears only a port set to its own line, and answers at once.
namespace {

struct Module {
    const char* szKind;  // as sensorctl names the variant
    const char* szProtocol;
    std::function<SimLineModule*()> create;
    SerialLineSettings line;
};

SerialLineSettings line(int p_nBaud, int p_nParity) {
    SerialLineSettings settings;
    settings.nBaudRate = p_nBaud;
    settings.nParity = p_nParity;
    return settings;
}

SimLineModule* cmdCamera(int p_nStandard) {
    SimCmdCamera* camera = new SimCmdCamera();
    camera->setRegister(0x72, p_nStandard);
    return camera;
}

std::vector<Module> modules() {
    return {
        {"visca", "VISCA", [] { return new SimViscaCamera(); }, line(38400, 0)},
        {"cmd", "VISCA", [] { return cmdCamera(0x08); }, line(9600, 2)},
        {"cmd7300", "VISCA", [] { return cmdCamera(0x11); }, line(115200, 1)},
        {"hextext", "hex text", [] { return new SimHexTextModule(); }, line(2400, 2)},
        {"hextext-sc110n", "hex text",
         [] { return new SimHexTextModule(SimHexTextModule::SC110N, 0); }, line(57600, 0)},
        {"effio", "Effio", [] { return new SimEffioModule(); }, line(19200, 1)},
        {"it1", "IT1", [] { return new SimIT1Module(); }, line(4800, 2)},
        {"itn", "ITN", [] { return new SimITNModule(); }, line(9600, 0)},
        {"seawolf", "Seawolf", [] { return new SimSeawolfModule(); }, line(115200, 2)},
    };
}

std::vector<SerialLineSettings> everyLine() {
    return LineProbe::lines({line(9600, 0)});
}

ProbeResult probe(IUARTController& p_port) {
    return LineProbe(p_port, p_port.open("/dev/ttyAMA1")).run(everyLine(), 60.0);
}

std::unique_ptr<SimLineModule> serve(const Module& p_module) {
    std::unique_ptr<SimLineModule> module(p_module.create());
    EXPECT_TRUE(module->setModuleLine(p_module.line.nBaudRate, 8, 1, p_module.line.nParity));
    return module;
}

template <typename Item>
bool has(const std::vector<Item>& p_items, const Item& p_item) {
    return std::find(p_items.begin(), p_items.end(), p_item) != p_items.end();
}

// A port in front of a module that passes on what the host sends, and lets
// through only the first p_nAnswers replies (-1: none is heard at all).
class Filter : public IUARTController {
public:
    Filter(IUARTController& p_module, int p_nAnswers) : m_module(p_module), m_nLeft(p_nAnswers) {}
    int open(const std::string& p_strDevice) override { return m_module.open(p_strDevice); }
    void close(int p_nIndex) override { m_module.close(p_nIndex); }
    int setParameter(int p_nIndex, int p_nBaud, int p_nData, int p_nStop, int p_nParity) override {
        return m_module.setParameter(p_nIndex, p_nBaud, p_nData, p_nStop, p_nParity);
    }
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override {
        return m_module.write(p_nIndex, p_pBytes, p_nLength);
    }
    int read(int p_nIndex, char* p_pBuffer, int p_nMaxLength, int p_nWait) override {
        int count = m_module.read(p_nIndex, p_pBuffer, p_nMaxLength, p_nWait);
        if (m_nLeft <= 0) {
            return 0;
        }
        m_nLeft -= count > 0 ? 1 : 0;
        return count;
    }

private:
    IUARTController& m_module;
    int m_nLeft;
};

// A port in front of a module that begins each reply p_nDelayMs after the
// request that drew it, on a clock of its own that the port's read waits
// move (100 ms a step), as a real port's waits pass.
class LateLine : public IUARTController {
public:
    LateLine(IUARTController& p_module, int p_nDelayMs)
        : m_module(p_module), m_nDelayMs(p_nDelayMs) {}
    int open(const std::string& p_strDevice) override { return m_module.open(p_strDevice); }
    void close(int p_nIndex) override { m_module.close(p_nIndex); }
    int setParameter(int p_nIndex, int p_nBaud, int p_nData, int p_nStop, int p_nParity) override {
        return m_module.setParameter(p_nIndex, p_nBaud, p_nData, p_nStop, p_nParity);
    }
    int write(int p_nIndex, const char* p_pBytes, int p_nLength) override {
        int written = m_module.write(p_nIndex, p_pBytes, p_nLength);
        std::string reply;
        char bytes[64];
        for (int count; (count = m_module.read(p_nIndex, bytes, sizeof(bytes), 0)) > 0;) {
            reply.append(bytes, static_cast<size_t>(count));
        }
        if (!reply.empty()) {
            m_replies.push_back({m_nNowMs + m_nDelayMs, reply});
        }
        return written;
    }
    int read(int, char* p_pBuffer, int p_nMaxLength, int p_nWait) override {
        if (m_replies.empty() || m_replies.front().nDueMs > m_nNowMs + p_nWait * 100) {
            m_nNowMs += p_nWait * 100;
            return 0;
        }
        Reply& reply = m_replies.front();
        m_nNowMs = std::max(m_nNowMs, reply.nDueMs);
        size_t count = std::min(reply.strBytes.size(), static_cast<size_t>(p_nMaxLength));
        reply.strBytes.copy(p_pBuffer, count);
        reply.strBytes.erase(0, count);
        if (reply.strBytes.empty()) {
            m_replies.pop_front();
        }
        return static_cast<int>(count);
    }
    // The time the port's waits have taken.
    int elapsedMs() const { return m_nNowMs; }

private:
    struct Reply {
        int nDueMs;
        std::string strBytes;
    };
    IUARTController& m_module;
    int m_nDelayMs;
    int m_nNowMs = 0;
    std::deque<Reply> m_replies;
};

}  // namespace

TEST(LineProbe, EachModuleIsFoundAtItsOwnLineWithTheVariantsThatFit) {
    ScratchRoot root;
    for (const Module& entry : modules()) {
        SCOPED_TRACE(entry.szKind);
        std::unique_ptr<SimLineModule> module = serve(entry);
        ProbeResult result = probe(*module);
        ASSERT_EQ(ProbeResult::IDENTIFIED, result.eOutcome);
        EXPECT_EQ(entry.szProtocol, result.strProtocol);
        EXPECT_EQ(lineText(entry.line), lineText(result.line));
        EXPECT_TRUE(has(result.kinds, std::string(entry.szKind))) << result.strReading;
        // The request twice, then the second request, each answered once.
        ASSERT_EQ(3u, result.exchanges.size());
        EXPECT_EQ(result.exchanges[0].strSent, result.exchanges[1].strSent);
        EXPECT_EQ(result.exchanges[0].strReceived, result.exchanges[1].strReceived);
        EXPECT_NE(result.exchanges[0].strSent, result.exchanges[2].strSent);
        EXPECT_EQ(2u, std::count(result.strReading.begin(), result.strReading.end(), '='));
    }
}

// Every request of every protocol, at every line setting, reaches every
// module (whose replies go unheard, so the probe never stops): none changes
// anything in it.
TEST(LineProbe, NoRequestChangesAnyModule) {
    ScratchRoot root;
    for (const Module& entry : modules()) {
        SCOPED_TRACE(entry.szKind);
        std::unique_ptr<SimLineModule> module = serve(entry);
        std::string before = module->saveState();
        Filter deaf(*module, -1);
        ProbeResult result = probe(deaf);
        EXPECT_EQ(ProbeResult::SILENT, result.eOutcome);
        EXPECT_EQ(21, result.nLinesTried);
        EXPECT_EQ(before, module->saveState());
        EXPECT_FALSE(module->received().empty());
        if (auto* camera = dynamic_cast<SimViscaCamera*>(module.get())) {
            EXPECT_EQ(0, camera->restarts());
            EXPECT_EQ(-1, camera->irBoardMode());
            EXPECT_TRUE(camera->maskFrames().empty());
            for (const std::string& frame : camera->received()) {
                EXPECT_NE(0x01, frame.size() > 1 ? frame[1] : 0) << "a VISCA command";
            }
        }
    }
}

// Replies that come back damaged are asked again; whatever the damage, a
// module is never taken for one of another protocol. A module that drops
// the probe's first request (or answers it too late) may go unfound.
TEST(LineProbe, DamagedRepliesAreAskedAgainAndNeverTakenForAnotherProtocol) {
    ScratchRoot root;
    struct Faulty {
        const char* szKind;
        void (*inject)(SimLineModule& p_module, int p_nFault);
        int nFaults;
        std::vector<int> unheard;  // faults that hide the reply
    };
    auto registers = [](SimLineModule& p_module, int p_nFault) {
        static_cast<SimRegisterModule&>(p_module).injectFault(
            static_cast<SimRegisterModule::Fault>(p_nFault), 2);
    };
    std::vector<Faulty> cases = {
        {"visca",
         [](SimLineModule& p_module, int p_nFault) {
             static_cast<SimViscaCamera&>(p_module).injectFault(
                 static_cast<SimViscaCamera::Fault>(p_nFault), 2);
         },
         8,
         {SimViscaCamera::FAULT_SILENT, SimViscaCamera::FAULT_LATE}},
        {"hextext",
         [](SimLineModule& p_module, int p_nFault) {
             static_cast<SimHexTextModule&>(p_module).injectFault(
                 static_cast<SimHexTextModule::Fault>(p_nFault), 2);
         },
         5,
         {SimHexTextModule::FAULT_SILENT, SimHexTextModule::FAULT_LATE}},
    };
    for (const char* kind : {"effio", "it1", "itn", "seawolf"}) {
        cases.push_back({kind, registers, 6, {SimRegisterModule::FAULT_SILENT}});
    }
    const std::vector<Module> all = modules();
    for (const Faulty& c : cases) {
        const Module& entry = *std::find_if(all.begin(), all.end(), [&](const Module& p_module) {
            return std::string(p_module.szKind) == c.szKind;
        });
        for (int fault = 0; fault < c.nFaults; ++fault) {
            SCOPED_TRACE(std::string(c.szKind) + " fault " + std::to_string(fault));
            std::unique_ptr<SimLineModule> module = serve(entry);
            c.inject(*module, fault);
            ProbeResult result = probe(*module);
            if (!has(c.unheard, fault)) {
                EXPECT_EQ(ProbeResult::IDENTIFIED, result.eOutcome) << result.strProtocol;
            }
            if (result.eOutcome != ProbeResult::SILENT) {
                EXPECT_EQ(entry.szProtocol, result.strProtocol);
                EXPECT_EQ(lineText(entry.line), lineText(result.line));
            }
        }
    }
}

TEST(LineProbe, AModuleThatAnswersOnlyOnceIsReportedUnreliable) {
    ScratchRoot root;
    SimEffioModule effio;
    Filter once(effio, 1);
    ProbeResult result = probe(once);
    EXPECT_EQ(ProbeResult::UNRELIABLE, result.eOutcome);
    EXPECT_EQ("Effio", result.strProtocol);
    // The answered request, then three tries of it again and three of the
    // second request, all unanswered.
    ASSERT_EQ(7u, result.exchanges.size());
    EXPECT_EQ("\x06\x52\x06\x49\x49\xF0", result.exchanges[0].strSent);
    EXPECT_EQ("\x06\x52\x06\x49\x49\xF0", result.exchanges[3].strSent);
    EXPECT_EQ("\x06\x52\x05\x01\x01\x5F", result.exchanges[6].strSent);
    EXPECT_TRUE(result.exchanges[6].strReceived.empty());
    EXPECT_EQ("mirror (register 06:49) = 20", result.strReading);
}

TEST(LineProbe, ASilentNoisyOrEchoingLineIsNoModule) {
    ScratchRoot root;
    SimSerialPort silent;
    ProbeResult nothing = probe(silent);
    EXPECT_EQ(ProbeResult::SILENT, nothing.eOutcome);
    EXPECT_EQ(21, nothing.nLinesTried);
    EXPECT_EQ(21 * 6, nothing.nRequests);  // one try a protocol where nothing comes back
    EXPECT_EQ("", nothing.strNoiseAt);
    EXPECT_EQ(21u * 6, silent.writes().size());

    // Hex text answers a read with its own text when the value is 00: a line
    // that gives back what it is sent must not pass for one.
    EchoLine echo;
    ProbeResult echoed = probe(echo);
    EXPECT_EQ(ProbeResult::SILENT, echoed.eOutcome) << echoed.strProtocol;
    EXPECT_EQ("9600 8N1", echoed.strNoiseAt);
    SimHexTextModule night;
    night.setDayNight(false);
    ProbeResult module = probe(night);
    EXPECT_EQ(ProbeResult::IDENTIFIED, module.eOutcome);
    EXPECT_EQ(":RFFE700", module.exchanges[0].strReceived);

    // A reply of noise may decode now and then, but never twice alike.
    for (unsigned int draw = 1; draw <= 200; ++draw) {
        NoisyLine noisy(draw);
        ProbeResult noise = probe(noisy);
        EXPECT_EQ(ProbeResult::SILENT, noise.eOutcome) << draw << " " << noise.strProtocol;
        EXPECT_EQ("9600 8N1", noise.strNoiseAt);
    }

    // No more lines are begun once the time is up.
    EXPECT_EQ(0, LineProbe(silent, 0).run(everyLine(), 0.0).nLinesTried);

    // Waiting longer for a slow module costs a silent line one listen at
    // each line setting, not a second try of every request.
    SimSerialPort quiet;
    LateLine timed(quiet, 0);
    EXPECT_EQ(ProbeResult::SILENT, probe(timed).eOutcome);
    EXPECT_GT(25000, timed.elapsedMs());  // the README says about 22 s
}

TEST(LineProbe, TheUsualLinesComeFirst) {
    std::vector<SerialLineSettings> lines = LineProbe::lines({line(19200, 0), line(9600, 0)});
    std::vector<std::string> texts;
    for (const SerialLineSettings& settings : lines) {
        texts.push_back(lineText(settings));
    }
    ASSERT_EQ(21u, texts.size());
    EXPECT_EQ((std::vector<std::string>{"19200 8N1", "9600 8N1", "38400 8N1", "115200 8N1",
                                        "57600 8N1", "4800 8N1", "2400 8N1", "19200 8E1"}),
              std::vector<std::string>(texts.begin(), texts.begin() + 8));
    EXPECT_EQ("2400 8O1", texts.back());
    EXPECT_EQ("9600,8,2,0", lineParameters(lines[8]));
}

// A busy module begins its replies after the probe's first wait: its request
// draws silence and its reply comes while the next protocol is asked. The
// line setting is questioned again with the longer wait, and the module is
// found there as if it had answered at once, with the same readings.
TEST(LineProbe, AModuleThatAnswersLateIsFoundWithTheLongerWait) {
    ScratchRoot root;
    for (const Module& entry : modules()) {
        std::unique_ptr<SimLineModule> prompt = serve(entry);
        const ProbeResult expected = probe(*prompt);
        const int baud = entry.line.nBaudRate;
        for (int delay : {LineProbe::firstWaitMs(baud) + 50, LineProbe::slowWaitMs(baud) - 50}) {
            SCOPED_TRACE(std::string(entry.szKind) + " answering after " + std::to_string(delay) +
                         " ms");
            std::unique_ptr<SimLineModule> module = serve(entry);
            LateLine late(*module, delay);
            ProbeResult result = probe(late);
            ASSERT_EQ(ProbeResult::IDENTIFIED, result.eOutcome) << result.strProtocol;
            EXPECT_EQ(entry.szProtocol, result.strProtocol);
            EXPECT_EQ(lineText(entry.line), lineText(result.line));
            EXPECT_EQ(expected.strReading, result.strReading);
            EXPECT_EQ(expected.kinds, result.kinds);
            EXPECT_EQ(expected.nLinesTried, result.nLinesTried);
        }
    }
}
