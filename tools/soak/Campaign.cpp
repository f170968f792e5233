#include "Campaign.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "Describe.h"
#include "Process.h"
#include "SimulatedHardware.h"
#include "platform/GThread.h"
#include "platform/OVDeviceTime.h"
#include "platform/SensorParameterParser.h"

namespace {

const size_t kViolationsKept = 12;
// Virtual seconds for the threads to finish what the faults left them
// doing and for a return to day: a day/night change caught half way, with
// its waits and a retried module command, took more than 8.
const double kSettleSeconds = 30.0;
// A run ends a round after this many operations per exchange due, should
// the module's writes reach it less than expected.
const long kOperationsPerExchange = 3;

typedef std::map<int, int> Values;

// What a simulator keeps that no parameter file decides, or that it cannot
// tell apart: left out when the module after a fresh init is compared with
// the module after the reset. A module is named, or the start of its
// simulator kind.
struct Unexpressed {
    const char* szWho;
    const char* szKey;
    const char* szWhy;
};
const Unexpressed kUnexpressed[] = {
    {"visca", "c3E",
     "exposure compensation on/off: set by the compensation (17) and by the brightness id "
     "of the members that have one"},
    {"visca", "c4E", "the exposure compensation value, likewise"},
    {"visca", "c4D", "the bright level: set by bright (13) and by the FCB's brightness"},
    {"visca", "c14",
     "highlight compensation on/off, level and mask share command 14; the camera keeps the "
     "one sent last, so what it shows depends on which was written last"},
    {"cv7500", "c37", "its own setting and the family's share command 37"},
    {"cmd8300", "c21", "the two day/night sensitivities share command 21: the simulator keeps one"},
    {"cmd8300", "c53", "automatic and manual noise reduction share command 53"},
    {"cmd8300", "c4A",
     "the shutter is sent only in the exposure modes that use it, and not when such a mode "
     "comes: the module keeps the shutter it had"},
    {"cmd8300", "c4B", "the iris, likewise"},
    {"cmd8300", "c4C", "the gain, likewise"},
    {"cmd8300", "c4D", "the bright level, likewise"},
    {"cmd8300", "c43", "the red gain, sent only in manual white balance, likewise"},
    {"cmd8300", "c44", "the blue gain, likewise"},
    {"hextext-hitach", "FECE",
     "backlight is skipped while WDR is on and not sent when WDR goes off: the module keeps "
     "the backlight it had"},
    {"hextext-hitach", "FF4C", "WDR, likewise skipped while backlight is on or in camera mode 4"},
    {"hextext-hitach", "FD46",
     "maximum gain is skipped in camera modes 2 and 3 and not sent when the mode changes"},
    {"hextext-hitach", "FA20", "maximum gain, likewise (its register follows the picture mode)"},
    {"hextext-hitach", "FF6D", "maximum gain, likewise"},
    {"hextext-hitach", "FCC9", "the fixed shutter is sent only in camera mode 4"},
    {"hextext-sc110n", "FECE", "as for the Hitachi module, whose settings it shares"},
    {"hextext-sc110n", "FF4C", "as for the Hitachi module"},
    {"hextext-sc110n", "FD46", "as for the Hitachi module"},
    {"hextext-sc110n", "FA20", "as for the Hitachi module"},
    {"hextext-sc110n", "FF6D", "as for the Hitachi module"},
    {"hextext-sc110n", "FCC9", "as for the Hitachi module"},
    {"hextext-compat", "FA20", "maximum gain is skipped in camera modes 2 and 3"},
    {"it1", "r1411",
     "the night-to-day threshold counts only while the module switches itself; in a manual "
     "picture a fresh init holds it at 0, a mode change leaves it"},
    {"it1", "r1412", "the day-to-night threshold, likewise"},
};

bool unexpressed(const ModuleInfo& p_module, const std::string& p_strKey) {
    std::string kind = p_module.szSerialSimulator;
    for (const Unexpressed& entry : kUnexpressed) {
        std::string who = entry.szWho;
        if (p_strKey == entry.szKey &&
            (who == p_module.szName || kind.compare(0, who.size(), who) == 0)) {
            return true;
        }
    }
    return false;
}

Values parseValues(const std::string& p_strText) {
    Values values;
    SensorParameterParser::parseSensorParameter(p_strText, values);
    return values;
}

// One module's campaign: its root, the host booted on it, the random
// operations and the checks.
class CampaignRun {
public:
    CampaignRun(const ModuleInfo& p_module, const CampaignOptions& p_options)
        : m_module(p_module),
          m_options(p_options),
          m_random(p_options.nSeed * 7919u + static_cast<unsigned int>(p_module.nModuleId)) {
        m_figures.strModule = p_module.szName;
        m_strRoot = p_options.strRoot + "/" + p_module.szName;
    }

    CampaignFigures run();

private:
    enum Operation { WRITE, BATCH, WINDOW, FLUSH, SCHEME, MODE, DAYNIGHT, PASS, RESET, READ_ALL };

    // The host: booted at the given time of day; gone with its controller.
    bool boot();
    void shutDown();
    ISensorController& controller() { return m_host->controller(); }

    void round(int p_nRound);
    Operation pickOperation();
    void operate(Operation p_operation);
    void write(int p_nId, int p_nValue);
    void batch(const Values& p_values);
    void flush();
    void switchScheme();

    // After the faults: the reset, then what the module holds.
    void verifyAfterReset();
    const char* enterBootState();
    // After the next boot: the module as a fresh init leaves it.
    void verifyAfterBoot();
    void checkCacheMatchesFile(const char* p_szWhen);
    void checkProcess();

    int randomId();
    int randomValue(int p_nId);
    int randomIn(int p_nLow, int p_nHigh) {
        return std::uniform_int_distribution<int>(p_nLow, p_nHigh)(m_random);
    }
    bool cached(int p_nId, int& p_nValue);
    // Every id's cached value; ids not cached are absent.
    Values cacheSnapshot();
    // Lets the background threads finish what they are doing, so that what
    // the checks read is not changing under them.
    void settle() { m_host->virtualClock()->settle(&GThread::runningCount); }

    Values fileValues(int p_nScheme);
    int currentScheme();
    int idType(int p_nId) { return controller().getIdManager()->getIdType(p_nId); }
    long exchanges();
    void violation(const std::string& p_strText);
    std::string lastLogLines();
    void countFailure(long p_nExchangesBefore);
    void trace(const std::string& p_strOperation, int p_nResult);

    const ModuleInfo& m_module;
    const CampaignOptions& m_options;
    std::mt19937 m_random;
    CampaignFigures m_figures;
    std::string m_strRoot;
    std::string m_strTime = "12:00";
    std::unique_ptr<Host> m_host;
    std::unique_ptr<SimulatedHardware> m_hardware;
    SimulatedHardware::Figures m_atBoot;  // of the host booted now
    double m_dBootSeconds = 0.0;
    std::vector<int> m_ids;
    std::set<int> m_storedIds;  // common and especial: what flush writes
    std::map<int, std::vector<int> > m_goodValues;
    // What the module holds that actions (set-only ids: a one-push focus, a
    // lens step, a point-light mode) change: no file decides it, so the
    // comparison after a fresh init leaves it out.
    std::set<std::string> m_actionKeys;
    std::vector<int> m_storedIdList;  // the ids a batch draws from
    int m_nDayNightId = 0;
    int m_nSchemeCount = 0;
    // What the module held after the last reset, and its scheme and mode.
    std::map<std::string, std::string> m_heldAfterReset;
    int m_nSchemeAfterReset = -2;
    ProcessUse m_firstShutDown;
    // The process's threads before the first boot: the main one, and a
    // sanitizer's own where one runs.
    int m_nThreadsBefore = ProcessUse::now().nThreads;
    std::vector<long> m_heapAfterShutDown;
};

CampaignFigures CampaignRun::run() {
    auto start = std::chrono::steady_clock::now();
    std::error_code ignored;
    std::filesystem::remove_all(m_strRoot, ignored);
    m_nDayNightId = dayNightModeId(*unbootedController(m_module));
    for (int round = 0; round < m_options.nRounds; ++round) {
        if (!boot()) {
            break;
        }
        if (round > 0) {
            verifyAfterBoot();
        }
        this->round(round);
        verifyAfterReset();
        shutDown();
    }
    if (boot()) {
        verifyAfterBoot();
        shutDown();
    }
    if (m_heapAfterShutDown.size() >= 2 && m_heapAfterShutDown.front() >= 0) {
        m_figures.nHeapGrowth = m_heapAfterShutDown.back() - m_heapAfterShutDown[1];
    }
    m_figures.dRealSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return m_figures;
}

bool CampaignRun::boot() {
    HostOptions options;
    options.strRoot = m_strRoot;
    options.strModule = m_module.szName;
    options.strTime = m_strTime;
    try {
        m_host.reset(new Host(options));
        m_host->boot();
    } catch (const CommandError& error) {
        violation(std::string("boot failed: ") + error.what());
        m_host.reset();
        return false;
    }
    m_hardware.reset(new SimulatedHardware(*m_host));
    m_atBoot = m_hardware->figures();  // the boot's own are not the campaign's
    m_dBootSeconds = m_host->virtualClock()->monotonicSeconds();
    IdManager& ids = *controller().getIdManager();
    std::set<int> lists[4];
    ids.getCommonIdList(lists[0]);
    ids.getEspecialIdList(lists[1]);
    ids.getKeepDefaultValueList(lists[2]);
    ids.getSetOnlyIdList(lists[3]);
    m_storedIds = lists[0];
    m_storedIds.insert(lists[1].begin(), lists[1].end());
    m_storedIdList.assign(m_storedIds.begin(), m_storedIds.end());
    m_ids.clear();
    for (const std::set<int>& list : lists) {
        m_ids.insert(m_ids.end(), list.begin(), list.end());
    }
    for (int id : m_ids) {
        int value = 0;
        if (cached(id, value)) {
            m_goodValues[id].push_back(value);
        }
    }
    controller().getParamSchemeNum(m_nSchemeCount);
    return true;
}

void CampaignRun::shutDown() {
    SimulatedHardware::Figures last = m_hardware->figures();
    m_figures.nExchanges += static_cast<long>(last.nExchanges - m_atBoot.nExchanges);
    m_figures.nFaults += static_cast<long>(last.nFaults - m_atBoot.nFaults);
    m_figures.nRetries += static_cast<long>(last.nRetries - m_atBoot.nRetries);
    OVDeviceTime now = OVDeviceTime::getCurrentTime();
    char time[8];
    std::snprintf(time, sizeof(time), "%02d:%02d", now.hour % 24, now.minute % 60);
    m_strTime = time;
    m_figures.dVirtualHours +=
        (m_host->virtualClock()->monotonicSeconds() - m_dBootSeconds) / 3600.0;
    m_hardware.reset();
    m_host.reset();
    checkProcess();
}

long CampaignRun::exchanges() {
    return static_cast<long>(m_hardware->figures().nExchanges);
}

void CampaignRun::violation(const std::string& p_strText) {
    ++m_figures.nViolations;
    if (m_figures.violations.size() < kViolationsKept) {
        m_figures.violations.push_back(p_strText);
    }
    if (m_options.bVerbose) {
        std::fprintf(reportStream(), "%s: %s\n", m_module.szName, p_strText.c_str());
        std::fprintf(reportStream(), "%s", lastLogLines().c_str());
    }
}

// The controller's error log's last lines, for a violation's context.
std::string CampaignRun::lastLogLines() {
    std::ifstream log(m_strRoot + "/mnt/mtd/log/SensorError.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    std::string text;
    for (size_t index = lines.size() > 8 ? lines.size() - 8 : 0; index < lines.size(); ++index) {
        text += "    | " + lines[index] + "\n";
    }
    return text;
}

void CampaignRun::trace(const std::string& p_strOperation, int p_nResult) {
    if (m_options.bTrace) {
        std::fprintf(reportStream(), "%s %.3f %s -> %d\n", m_module.szName,
                     m_host->virtualClock()->monotonicSeconds() - m_dBootSeconds,
                     p_strOperation.c_str(), p_nResult);
    }
}

void CampaignRun::countFailure(long p_nExchangesBefore) {
    (exchanges() > p_nExchangesBefore ? m_figures.nFailures : m_figures.nRefusals) += 1;
}

bool CampaignRun::cached(int p_nId, int& p_nValue) {
    std::string text;
    if (!controller().getParameters(std::to_string(p_nId), text)) {
        return false;
    }
    Values values = parseValues(text);
    auto found = values.find(p_nId);
    if (found == values.end()) {
        return false;
    }
    p_nValue = found->second;
    return true;
}

Values CampaignRun::cacheSnapshot() {
    std::string list;
    for (int id : m_ids) {
        list += (list.empty() ? "" : ",") + std::to_string(id);
    }
    std::string text;
    if (controller().getParameters(list, text)) {
        return parseValues(text);
    }
    Values values;
    for (int id : m_ids) {
        int value = 0;
        if (cached(id, value)) {
            values[id] = value;
        }
    }
    return values;
}

Values CampaignRun::fileValues(int p_nScheme) {
    std::string text;
    controller().readParamByScheme(p_nScheme, text);
    return parseValues(text);
}

int CampaignRun::currentScheme() {
    int scheme = -2;
    controller().getParamScheme(scheme);
    return scheme;
}

void CampaignRun::round(int p_nRound) {
    m_hardware->setFaultRate(m_options.dFaultRate,
                             m_options.nSeed * 104729u + static_cast<unsigned int>(p_nRound));
    const long target = exchanges() + m_options.nExchanges / m_options.nRounds;
    const long budget = m_options.nExchanges / m_options.nRounds * kOperationsPerExchange;
    for (long done = 0; done < budget && exchanges() < target; ++done) {
        operate(pickOperation());
        ++m_figures.nOperations;
    }
    m_hardware->setFaultRate(0.0, 0);
    m_host->pass(m_hardware->restartSilence() + kSettleSeconds);
}

CampaignRun::Operation CampaignRun::pickOperation() {
    // Out of 100: mostly single writes, then flushes, with the rest spread.
    static const std::pair<Operation, int> kWeights[] = {
        {WRITE, 48}, {BATCH, 8},    {WINDOW, 3}, {FLUSH, 12}, {SCHEME, 5},
        {MODE, 2},   {DAYNIGHT, 6}, {PASS, 10},  {RESET, 3},  {READ_ALL, 3}};
    int pick = randomIn(0, 99);
    for (const auto& weight : kWeights) {
        if (pick < weight.second) {
            return weight.first;
        }
        pick -= weight.second;
    }
    return WRITE;
}

void CampaignRun::operate(Operation p_operation) {
    settle();
    long before = exchanges();
    switch (p_operation) {
        case WRITE: {
            int id = randomId();
            write(id, randomValue(id));
            break;
        }
        case BATCH: {
            Values values;
            for (int count = randomIn(2, 5); count > 0; --count) {
                int id = m_storedIdList[static_cast<size_t>(
                    randomIn(0, static_cast<int>(m_storedIdList.size()) - 1))];
                values[id] = randomValue(id);
            }
            batch(values);
            break;
        }
        case WINDOW: {
            // Mostly a window that a flush takes; now and then one it refuses.
            int start = randomIn(0, 23);
            int end = randomIn(start + 1, 24);
            bool valid = randomIn(0, 9) > 0;
            batch(Values{{500, randomIn(0, 1)},
                         {501, valid ? start : randomIn(0, 30)},
                         {502, randomIn(0, 5)},
                         {503, valid ? end : randomIn(0, 30)},
                         {504, valid && end == 24 ? 0 : randomIn(0, 5)}});
            flush();
            break;
        }
        case FLUSH:
            flush();
            break;
        case SCHEME:
            switchScheme();
            break;
        case MODE: {
            int mode = randomIn(0, 1);
            int result = controller().setParamMode(mode);
            trace("mode " + std::to_string(mode), result);
            if (!result) {
                countFailure(before);
            }
            break;
        }
        case DAYNIGHT:
            if (m_nDayNightId > 0) {
                int value = dayNightModeValue(controller(), randomIn(0, 4));
                write(m_nDayNightId, value >= 0 ? value : randomIn(0, 5));
            }
            break;
        case PASS: {
            double seconds = randomIn(2, 30) / 10.0;
            m_host->pass(seconds);
            trace("pass " + std::to_string(seconds), 1);
            break;
        }
        case RESET: {
            int result = controller().resetToLastParameters();
            trace("reset", result);
            if (!result) {
                countFailure(before);
            }
            break;
        }
        case READ_ALL: {
            std::string values;
            int result = controller().getAllParameters(values);
            trace("read all", result);
            if (!result) {
                countFailure(before);
            }
            break;
        }
    }
}

int CampaignRun::randomId() {
    return m_ids[static_cast<size_t>(randomIn(0, static_cast<int>(m_ids.size()) - 1))];
}

int CampaignRun::randomValue(int p_nId) {
    const std::vector<int>& good = m_goodValues[p_nId];
    int pick = randomIn(0, 99);
    if (pick < 40 && !good.empty()) {
        return good[static_cast<size_t>(randomIn(0, static_cast<int>(good.size()) - 1))];
    }
    if (pick < 70) {
        return randomIn(0, 10);
    }
    if (pick < 85) {
        return randomIn(0, 255);
    }
    return pick < 95 ? randomIn(-100, -1) : randomIn(1000, 100000);
}

void CampaignRun::write(int p_nId, int p_nValue) {
    const int scheme = currentScheme();
    const Values before = cacheSnapshot();
    const Values fileBefore = fileValues(scheme);
    const bool action = idType(p_nId) == ID_TYPE_SET_ONLY;
    const std::map<std::string, std::string> heldBefore =
        action ? m_hardware->held() : std::map<std::string, std::string>();
    const long exchangesBefore = exchanges();
    const int result = controller().setParameter(p_nId, p_nValue);
    trace("write (" + std::to_string(p_nId) + "," + std::to_string(p_nValue) + ")", result);
    if (result != 1) {
        countFailure(exchangesBefore);
    }
    settle();
    if (currentScheme() != scheme) {
        return;  // the thread switched schemes meanwhile: a new set
    }
    const Values after = cacheSnapshot();
    const std::string what = "(" + std::to_string(p_nId) + "," + std::to_string(p_nValue) + ")";
    if (result != 1) {
        if (after != before) {
            violation("the failed write " + what + " changed the cache");
        }
        if (fileValues(scheme) != fileBefore) {
            violation("the failed write " + what + " changed scheme " + std::to_string(scheme) +
                      "'s file");
        }
        return;
    }
    std::vector<int>& good = m_goodValues[p_nId];
    if (std::find(good.begin(), good.end(), p_nValue) == good.end()) {
        good.push_back(p_nValue);
    }
    if (action) {
        for (const auto& entry : m_hardware->held()) {
            auto old = heldBefore.find(entry.first);
            if (old == heldBefore.end() || old->second != entry.second) {
                m_actionKeys.insert(entry.first);
            }
        }
    }
    const int type = idType(p_nId);
    auto old = before.find(p_nId);
    auto now = after.find(p_nId);
    const bool had = old != before.end();
    const bool stored = (type == ID_TYPE_COMMON || type == ID_TYPE_ESPECIAL) ||
                        (type == ID_TYPE_KEEP_DEFAULT && !had);
    if (stored && (now == after.end() || now->second != p_nValue)) {
        violation("the write " + what + " succeeded but the cache holds " +
                  (now == after.end() ? "nothing" : std::to_string(now->second)));
    } else if (!stored && (now != after.end()) != had) {
        violation("the write " + what + " of an id that keeps its value changed the cache");
    }
}

void CampaignRun::batch(const Values& p_values) {
    const int scheme = currentScheme();
    const Values before = cacheSnapshot();
    const std::string text = SensorParameterParser::createSensorParameterString(p_values);
    const long exchangesBefore = exchanges();
    const int result = controller().setParameters(text);
    trace("batch " + text, result);
    if (result != 0) {
        countFailure(exchangesBefore);
    }
    settle();
    if (currentScheme() != scheme) {
        return;
    }
    const Values after = cacheSnapshot();
    // The batch applies in ascending ids and stops at the first failure. A
    // setter may set another id's cached value too (a percentage and the
    // step it stands for), so only what no later entry touched is checked:
    // the last entry applied holds its value, and when the first entry
    // failed, nothing changed.
    const int failed = result == 0 ? -1 : ISensorController::failedId(result);
    int last = -1;
    for (const auto& entry : p_values) {
        if (failed < 0 || entry.first < failed) {
            last = entry.first;
        }
    }
    if (last >= 0 && idType(last) != ID_TYPE_KEEP_DEFAULT) {
        auto now = after.find(last);
        if (now == after.end() || now->second != p_values.at(last)) {
            violation("the batch " + text + " reported (" + std::to_string(last) +
                      ") applied but the cache holds " +
                      (now == after.end() ? "nothing" : std::to_string(now->second)));
        }
    }
    if (last < 0 && after != before) {
        violation("the batch " + text + " failed at its first id but changed the cache");
    }
}

void CampaignRun::flush() {
    const int scheme = currentScheme();
    const long exchangesBefore = exchanges();
    const int result = controller().flush();
    trace("flush", result);
    if (result >= 505 && result <= 507) {
        ++m_figures.nRefusals;  // a window the scheme cannot have
        return;
    }
    if (result != 0) {
        countFailure(exchangesBefore);
        violation("flush could not write a parameter file (" + std::to_string(result) + ")");
        return;
    }
    settle();
    if (scheme >= 0 && currentScheme() == scheme) {
        checkCacheMatchesFile("after a flush");
    }
}

void CampaignRun::switchScheme() {
    const long exchangesBefore = exchanges();
    const int scheme = randomIn(-1, m_nSchemeCount - 1);
    int mode = 1;
    controller().getParamMode(mode);
    const int result = controller().setParamScheme(scheme);
    trace("scheme " + std::to_string(scheme), result);
    if (!result) {
        countFailure(exchangesBefore);
        return;
    }
    if (mode == 0 && currentScheme() != scheme) {
        violation("scheme " + std::to_string(scheme) + " reported applied, but scheme " +
                  std::to_string(currentScheme()) + " is current");
    }
}

void CampaignRun::checkCacheMatchesFile(const char* p_szWhen) {
    const int scheme = currentScheme();
    Values file = fileValues(scheme);
    for (int id : m_storedIds) {
        int value = 0;
        if (!cached(id, value)) {
            continue;
        }
        auto found = file.find(id);
        if (found == file.end() || found->second != value) {
            violation(
                std::string(p_szWhen) + ", the cache holds (" + std::to_string(id) + "," +
                std::to_string(value) + ") but scheme " + std::to_string(scheme) + "'s file " +
                (found == file.end() ? "lacks it" : "holds " + std::to_string(found->second)));
        }
    }
}

// A state the next boot reaches as well, whatever the clock says then:
// scheme 0 in automatic mode with a window of the whole day (the lowest
// scheme wins), and manual day, since a scene between the thresholds leaves
// the picture where its history put it. It is built in manual mode: in
// automatic mode the thread may leave scheme 0 for the one the clock picks
// before scheme 0 has its window, and the window and the day would go to
// that one. Null, or what failed.
const char* CampaignRun::enterBootState() {
    const Values window{{500, 1}, {501, 0}, {502, 0}, {503, 24}, {504, 0}};
    const int day = dayNightModeValue(controller(), 1);
    if (controller().setParamMode(0) != 1) {
        return "the scheme mode could not be set to manual";
    }
    settle();  // a switch the thread had begun is over
    if (controller().setParamScheme(0) != 1) {
        return "scheme 0 could not be applied";
    }
    if (controller().setParameters(SensorParameterParser::createSensorParameterString(window)) !=
        0) {
        return "scheme 0 could not be given the whole day";
    }
    // Day is written over night: a switch that failed half way may have left
    // the module's picture at night while the thread believes it is day, and
    // only a changed mode makes the thread enter the day again in full.
    const int night = dayNightModeValue(controller(), 2);
    if (m_nDayNightId > 0 && day >= 0 &&
        ((night >= 0 && !controller().setParameter(m_nDayNightId, night)) ||
         !controller().setParameter(m_nDayNightId, day))) {
        return "the day/night mode could not be set to day";
    }
    if (controller().flush() != 0 || controller().setParamMode(1) != 1 ||
        controller().resetToLastParameters() != 1) {
        return "scheme 0 could not be saved and applied again";
    }
    return nullptr;
}

void CampaignRun::verifyAfterReset() {
    if (controller().resetToLastParameters() != 1) {
        violation("resetToLastParameters failed with the faults stopped");
    }
    if (const char* failed = enterBootState()) {
        violation(std::string(failed) + " with the faults stopped");
    }
    m_host->pass(kSettleSeconds);
    checkCacheMatchesFile("after the reset");
    m_nSchemeAfterReset = currentScheme();
    if (m_nSchemeAfterReset != 0) {
        violation("after the reset scheme " + std::to_string(m_nSchemeAfterReset) +
                  " runs, not scheme 0 with its window of the whole day");
    }
    m_heldAfterReset = m_hardware->held();
}

void CampaignRun::verifyAfterBoot() {
    m_host->pass(kSettleSeconds);
    if (currentScheme() != m_nSchemeAfterReset) {
        violation("a fresh init applies scheme " + std::to_string(currentScheme()) +
                  ", the controller before it ran scheme " + std::to_string(m_nSchemeAfterReset));
    }
    for (const auto& entry : m_hardware->held()) {
        if (unexpressed(m_module, entry.first) || m_actionKeys.count(entry.first) != 0) {
            continue;
        }
        auto before = m_heldAfterReset.find(entry.first);
        if (before == m_heldAfterReset.end() || before->second != entry.second) {
            violation("after a fresh init the module holds " + entry.first + "=" + entry.second +
                      ", after the reset " +
                      (before == m_heldAfterReset.end() ? "nothing" : before->second));
        }
    }
}

void CampaignRun::checkProcess() {
    ProcessUse use = ProcessUse::now();
    // A joined thread's task may linger a moment (under qemu-user it does):
    // only one still there after a second counts as left running.
    for (int check = 0; check < 100 && use.nThreads > m_nThreadsBefore; ++check) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        use = ProcessUse::now();
    }
    if (use.nGThreads != 0 || use.nThreads > m_nThreadsBefore) {
        violation(std::to_string(use.nThreads - m_nThreadsBefore) + " thread(s) left running (" +
                  std::to_string(use.nGThreads) + " of the library's)");
    }
    if (m_heapAfterShutDown.empty()) {
        m_firstShutDown = use;
    } else if (use.nDescriptors > m_firstShutDown.nDescriptors) {
        violation(std::to_string(use.nDescriptors - m_firstShutDown.nDescriptors) +
                  " file descriptor(s) leaked");
    }
    m_heapAfterShutDown.push_back(use.nHeapBytes);
}

}  // namespace

CampaignFigures runCampaign(const ModuleInfo& p_module, const CampaignOptions& p_options) {
    return CampaignRun(p_module, p_options).run();
}

void printCampaignHeader() {
    std::fprintf(reportStream(), "%-13s %10s %8s %8s %9s %8s %8s %10s %9s %8s %9s\n", "module",
                 "exchanges", "faults", "retries", "ops", "failures", "refused", "violations",
                 "heap+ B", "real s", "virtual h");
    std::fflush(reportStream());
}

void printCampaignRow(const CampaignFigures& p_figures) {
    FILE* out = reportStream();
    std::fprintf(out, "%-13s %10ld %8ld %8ld %9ld %8ld %8ld %10ld %9ld %8.1f %9.1f\n",
                 p_figures.strModule.c_str(), p_figures.nExchanges, p_figures.nFaults,
                 p_figures.nRetries, p_figures.nOperations, p_figures.nFailures,
                 p_figures.nRefusals, p_figures.nViolations, p_figures.nHeapGrowth,
                 p_figures.dRealSeconds, p_figures.dVirtualHours);
    for (const std::string& text : p_figures.violations) {
        std::fprintf(out, "  %s: %s\n", p_figures.strModule.c_str(), text.c_str());
    }
    if (p_figures.nViolations > static_cast<long>(p_figures.violations.size())) {
        std::fprintf(out, "  %s: ... %ld more\n", p_figures.strModule.c_str(),
                     p_figures.nViolations - static_cast<long>(p_figures.violations.size()));
    }
    std::fflush(out);
}
