#include "SimulatedHardware.h"

#include "sim/SimLineModule.h"
#include "sim/cmd/SimCmdCamera.h"
#include "sim/hextext/SimHexTextModule.h"
#include "sim/register/SimCountedModule.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimSeawolfModule.h"
#include "sim/visca/SimViscaCamera.h"

namespace {

// The brightness below which a module that judges the scene itself calls it
// night.
const int kModuleNightBelow = 50;
// The exposure effort the Effio DSP reports at full dark.
const int kEffioDarkLevel = 1023;

}  // namespace

SimulatedHardware::SimulatedHardware(Host& p_host)
    : m_host(p_host), m_pLine(dynamic_cast<SimLineModule*>(p_host.simulator())) {
    if (m_pLine != nullptr) {
        m_pLine->setRestartSilence(m_dRestartSilence);
    }
}

void SimulatedHardware::setFaultRate(double p_dRate, unsigned int p_nSeed) {
    if (m_pLine != nullptr) {
        m_pLine->setFaultRate(p_dRate, p_nSeed);
    } else {
        m_host.board().isp().setFailureRate(p_dRate, p_nSeed);
    }
}

void SimulatedHardware::setAnswering(bool p_bAnswering) {
    if (m_pLine == nullptr) {
        m_host.board().isp().setFailureRate(p_bAnswering ? 0.0 : 1.0, 1);
        return;
    }
    std::vector<int> line = m_pLine->lineParameters();
    if (line.size() != 4) {
        return;
    }
    int baud = line[0];
    if (!p_bAnswering) {
        baud = baud == 9600 ? 19200 : 9600;
    }
    m_pLine->setModuleLine(baud, line[1], line[2], line[3]);
}

SimulatedHardware::Figures SimulatedHardware::figures() {
    Figures figures;
    // What the board's simulators recorded for tests would pile up too.
    m_host.gpio().clearWrites();
    m_host.board().pwm().clearHistory();
    if (m_pLine == nullptr) {
        SimIsp::Counts counts = m_host.board().isp().counts();
        m_host.board().isp().clearCalls();
        figures.nExchanges = counts.nCommands;
        figures.nFaults = counts.nFailures;
        figures.nRetries = counts.nRetries;
        return figures;
    }
    m_nFramesTaken += m_pLine->receivedCount();
    m_pLine->clearReceived();
    SimLineModule::LineCounts counts = m_pLine->lineCounts();
    figures.nExchanges = m_nFramesTaken;
    figures.nFaults = counts.nFaults;
    figures.nRetries = counts.nRetries;
    return figures;
}

std::map<std::string, std::string> SimulatedHardware::held() {
    if (m_pLine != nullptr) {
        return m_pLine->heldValues();
    }
    std::map<std::string, std::string> held;
    for (const auto& value : m_host.board().isp().values()) {
        held["isp" + std::to_string(value.first)] = std::to_string(value.second);
    }
    return held;
}

void SimulatedHardware::setScene(int p_nBrightness) {
    m_host.board().setBrightness(p_nBrightness);
    bool day = p_nBrightness >= kModuleNightBelow;
    if (auto* cmd = dynamic_cast<SimCmdCamera*>(m_pLine)) {
        cmd->setSceneDark(!day);
    } else if (auto* visca = dynamic_cast<SimViscaCamera*>(m_pLine)) {
        // A block camera's own switching moves its IR-cut filter.
        visca->setIrCutNight(!day);
    } else if (auto* hexText = dynamic_cast<SimHexTextModule*>(m_pLine)) {
        hexText->setDayNight(day);
    } else if (auto* counted = dynamic_cast<SimCountedModule*>(m_pLine)) {
        counted->setSceneDay(day);
    } else if (auto* seawolf = dynamic_cast<SimSeawolfModule*>(m_pLine)) {
        seawolf->setSceneDay(day);
    } else if (auto* effio = dynamic_cast<SimEffioModule*>(m_pLine)) {
        effio->setAELevel((100 - p_nBrightness) * kEffioDarkLevel / 100);
    }
}
