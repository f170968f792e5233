#include "DayRun.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "DaySimulation.h"
#include "Describe.h"
#include "Process.h"
#include "SimulatedHardware.h"
#include "platform/GThread.h"
#include "platform/OVDeviceTime.h"

namespace {

const int kDay = 24 * 3600;
// How the light curve of sceneBrightness turns: night and day change only
// inside these spans (seconds of the day), one switch each way at most.
struct Span {
    int nStart;
    int nEnd;
    int nState;  // the state the scene turns to: 1 day, 0 night
};
const Span kSceneSpans[] = {{5 * 3600 + 1800, 7 * 3600, 1},
                            {13 * 3600, 13 * 3600 + 360, 0},
                            {13 * 3600, 13 * 3600 + 360, 1},
                            {18 * 3600, 19 * 3600 + 1800, 0}};
// Switching by the clock: night from 18:30 to 06:30.
const Span kScheduleSpans[] = {{6 * 3600 + 1800, 6 * 3600 + 1800, 1},
                               {18 * 3600 + 1800, 18 * 3600 + 1800, 0}};
// Four schemes cover the day, each six hours.
const int kSchemeHours = 6;
// How late a switch may come after its span: the return-to-day delay and a
// few thread cycles, or a module's poll.
const int kSwitchLag = 30;
// How far a day's switch may stand from the same switch the day before.
const int kDriftSlack = 2;
// How late a scheme may come after its hour: the switch thread's cycle and
// the scheme's settings going out over the line (an Effio read-modify-write
// each), which the index changes after.
const int kSchemeLag = 3;
const size_t kViolationsKept = 8;
// The stand-in for days in the brief form: two hours from 17:50, with a
// scheme switch at 18:00 and the dusk.
const int kSanitizerSeconds = 2 * 3600;
const int kSanitizerStart = 17 * 3600 + 50 * 60;

// How a module is told to switch day and night.
enum Switching {
    SCENE,     // its automatic mode follows the light the controller reads
    MODULE,    // the module switches and reports it (automatic in the module)
    SCHEDULE,  // by the clock: the library judges nothing from a Sony block camera
    ITSELF     // the module switches; the controller has no mode to set
};

Switching switchingOf(const ModuleInfo& p_module) {
    std::string kind = p_module.szSerialSimulator;
    SafePointer<ISensorController> controller = unbootedController(p_module);
    if (dayNightModeId(*controller) == 0) {
        return ITSELF;
    }
    if (kind.compare(0, 5, "visca") == 0) {
        return SCHEDULE;
    }
    if (kind.compare(0, 3, "cmd") == 0) {
        return MODULE;
    }
    // A mode that follows the scene, or none to set: the module switches.
    return dayNightModeValue(*controller, 0) >= 0 ? SCENE : ITSELF;
}

struct DayFigures {
    int nSwitches = 0;
    int nSchemeSwitches = 0;
    int nMaxLag = 0;    // seconds from the end of a span to its switch, at most
    int nMaxDrift = 0;  // seconds between a switch and the day before's
    long nHeapGrowth = 0;
    int nThreadsFirst = 0;
    int nThreadsLast = 0;
    std::vector<std::string> violations;
    long nViolations = 0;
    double dRealSeconds = 0.0;
};

std::string clockText(int p_nSecond) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", p_nSecond / 3600, p_nSecond / 60 % 60,
                  p_nSecond % 60);
    return text;
}

int wallSecond() {
    OVDeviceTime now = OVDeviceTime::getCurrentTime();
    return now.hour * 3600 + now.minute * 60 + now.second;
}

class DaysRun {
public:
    // p_nSeconds of virtual time from p_nStart, a second of the day.
    DaysRun(const ModuleInfo& p_module, long p_nSeconds, int p_nStart, const std::string& p_strRoot)
        : m_module(p_module),
          m_nSeconds(p_nSeconds),
          m_nStart(p_nStart),
          m_eSwitching(switchingOf(p_module)) {
        m_strRoot = p_strRoot + "/days-" + p_module.szName;
    }

    DayFigures run();

private:
    void prepare();
    void write(int p_nId, int p_nValue);
    int idOf(const char* p_szName);
    // The switch seen at this second of the day, checked against its span.
    void checkSwitch(int p_nDay, int p_nSecond, int p_nState);
    void checkScheme(int p_nDay, int p_nSecond, int p_nScheme);
    // At midnight or the run's end: the spans of the day seen whole
    // (p_nFrom up to p_nTo) must each have had their switch.
    void endOfDay(int p_nDay, int p_nFrom, int p_nTo);
    void violation(int p_nDay, int p_nSecond, const std::string& p_strText);

    const Span* spans() const { return m_eSwitching == SCHEDULE ? kScheduleSpans : kSceneSpans; }

    const ModuleInfo& m_module;
    long m_nSeconds;
    int m_nStart;
    Switching m_eSwitching;
    std::string m_strRoot;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<SimulatedHardware> m_hardware;
    DayFigures m_figures;
    // The second of the day each span's switch came, today and yesterday.
    std::vector<int> m_today;
    std::vector<int> m_yesterday;
    long m_nHeapAfterFirstDay = -1;
};

DayFigures DaysRun::run() {
    auto start = std::chrono::steady_clock::now();
    std::error_code ignored;
    std::filesystem::remove_all(m_strRoot, ignored);
    HostOptions options;
    options.strRoot = m_strRoot;
    options.strModule = m_module.szName;
    // Ten minutes early, for the settings to be made and the threads to
    // settle before the run proper.
    options.strTime = clockText((m_nStart + kDay - 600) % kDay).substr(0, 5);
    m_host.reset(new Host(options));
    m_host->boot();
    m_hardware.reset(new SimulatedHardware(*m_host));
    prepare();
    ISensorController& controller = m_host->controller();
    VirtualClock& clock = *m_host->virtualClock();
    while (wallSecond() != m_nStart) {
        m_hardware->setScene(sceneBrightness(wallSecond()));
        clock.runFor(1.0, &GThread::runningCount);
    }
    int state = controller.getDNState();
    int scheme = -2;
    controller.getParamScheme(scheme);
    m_figures.nThreadsFirst = GThread::runningCount();
    const size_t count =
        m_eSwitching == SCHEDULE ? std::size(kScheduleSpans) : std::size(kSceneSpans);
    m_today.assign(count, -1);
    int day = 0;
    int dayFrom = m_nStart;
    for (long step = 0; step < m_nSeconds; ++step) {
        const int second = wallSecond();
        m_hardware->setScene(sceneBrightness(second));
        clock.runFor(1.0, &GThread::runningCount);
        const int now = wallSecond();
        if (now == 0) {
            endOfDay(day++, dayFrom, kDay);
            dayFrom = 0;
        }
        int newState = controller.getDNState();
        if (newState != state) {
            checkSwitch(day, now, newState);
            state = newState;
        }
        int newScheme = -2;
        controller.getParamScheme(newScheme);
        if (newScheme != scheme) {
            checkScheme(day, now, newScheme);
            scheme = newScheme;
        }
    }
    if (wallSecond() != 0) {
        endOfDay(day, dayFrom, wallSecond());
    }
    m_hardware.reset();
    m_host.reset();
    m_figures.dRealSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return m_figures;
}

int DaysRun::idOf(const char* p_szName) {
    try {
        return parameterId(m_host->controller(), p_szName);
    } catch (const CommandError&) {
        return 0;
    }
}

void DaysRun::write(int p_nId, int p_nValue) {
    if (p_nId > 0 && !m_host->controller().setParameter(p_nId, p_nValue)) {
        violation(0, wallSecond(),
                  "could not set (" + std::to_string(p_nId) + "," + std::to_string(p_nValue) + ")");
    }
}

// Every scheme gets a six-hour window and the same day/night settings, so
// that the day is covered and a scheme switch never changes how day and
// night are judged.
void DaysRun::prepare() {
    ISensorController& controller = m_host->controller();
    int schemes = 0;
    controller.getParamSchemeNum(schemes);
    controller.setParamMode(0);
    const int modeId = dayNightModeId(controller);
    const int mode = m_eSwitching == SCHEDULE ? 3 : m_eSwitching == MODULE ? 4 : 0;
    for (int scheme = 0; scheme < schemes; ++scheme) {
        controller.setParamScheme(scheme);
        bool used = scheme * kSchemeHours < 24;
        write(500, used ? 1 : 0);
        write(501, used ? scheme * kSchemeHours : 0);
        write(502, 0);
        write(503, used ? (scheme + 1) * kSchemeHours : 24);
        write(504, 0);
        if (m_eSwitching != ITSELF) {
            write(modeId, dayNightModeValue(controller, mode));
        }
        if (m_eSwitching == SCHEDULE) {
            write(idOf("dtn-hour"), 18);
            write(idOf("dtn-minute"), 3);
            write(idOf("ntd-hour"), 6);
            write(idOf("ntd-minute"), 3);
        }
        if (controller.flush() != 0) {
            violation(0, wallSecond(), "could not save scheme " + std::to_string(scheme));
        }
    }
    controller.setParamMode(1);
}

void DaysRun::checkSwitch(int p_nDay, int p_nSecond, int p_nState) {
    ++m_figures.nSwitches;
    for (size_t index = 0; index < m_today.size(); ++index) {
        const Span& span = spans()[index];
        if (span.nState != p_nState || m_today[index] >= 0 || p_nSecond < span.nStart ||
            p_nSecond > span.nEnd + kSwitchLag) {
            continue;
        }
        m_today[index] = p_nSecond;
        m_figures.nMaxLag = std::max(m_figures.nMaxLag, std::max(0, p_nSecond - span.nEnd));
        if (!m_yesterday.empty() && m_yesterday[index] >= 0) {
            int drift = std::abs(p_nSecond - m_yesterday[index]);
            m_figures.nMaxDrift = std::max(m_figures.nMaxDrift, drift);
            if (drift > kDriftSlack) {
                violation(p_nDay, p_nSecond,
                          "the switch came " + std::to_string(drift) + " s from the day before's");
            }
        }
        return;
    }
    violation(p_nDay, p_nSecond,
              std::string("switch to ") + (p_nState == 1 ? "day" : "night") +
                  " the scene and the clock do not call for");
}

void DaysRun::checkScheme(int p_nDay, int p_nSecond, int p_nScheme) {
    ++m_figures.nSchemeSwitches;
    int expected = p_nSecond / (kSchemeHours * 3600);
    int late = p_nSecond % (kSchemeHours * 3600);
    if (p_nScheme != expected || late > kSchemeLag) {
        violation(p_nDay, p_nSecond,
                  "scheme " + std::to_string(p_nScheme) + " applied, " + std::to_string(expected) +
                      " due at " + clockText(expected * kSchemeHours * 3600));
    }
}

void DaysRun::endOfDay(int p_nDay, int p_nFrom, int p_nTo) {
    for (size_t index = 0; index < m_today.size(); ++index) {
        const Span& span = spans()[index];
        bool seenWhole = span.nStart >= p_nFrom && span.nEnd + kSwitchLag < p_nTo;
        if (m_today[index] < 0 && seenWhole) {
            violation(p_nDay, p_nTo - 1, "no switch in span " + std::to_string(index));
        }
    }
    m_yesterday = m_today;
    m_today.assign(m_today.size(), -1);
    m_figures.nThreadsLast = GThread::runningCount();
    if (m_figures.nThreadsLast != m_figures.nThreadsFirst) {
        violation(p_nDay, p_nTo - 1,
                  std::to_string(m_figures.nThreadsLast) + " threads run, " +
                      std::to_string(m_figures.nThreadsFirst) + " at the start");
    }
    // The simulator's record of what it took is the harness's, not the
    // library's: it goes before the heap is looked at.
    m_hardware->figures();
    long heap = ProcessUse::now().nHeapBytes;
    if (p_nDay == 0) {
        m_nHeapAfterFirstDay = heap;
    } else if (heap >= 0) {
        m_figures.nHeapGrowth = heap - m_nHeapAfterFirstDay;
    }
}

void DaysRun::violation(int p_nDay, int p_nSecond, const std::string& p_strText) {
    ++m_figures.nViolations;
    if (m_figures.violations.size() < kViolationsKept) {
        m_figures.violations.push_back("day " + std::to_string(p_nDay + 1) + " " +
                                       clockText(p_nSecond) + ": " + p_strText);
    }
}

}  // namespace

void printDaysHeader() {
    std::fprintf(reportStream(), "%-13s %5s %-9s %9s %8s %8s %8s %8s %10s %9s %8s\n", "module",
                 "days", "switching", "switches", "schemes", "max lag", "drift", "threads",
                 "violations", "heap+ B", "real s");
    std::fflush(reportStream());
}

int runDays(const std::vector<ModuleInfo>& p_modules, int p_nDays, bool p_bBrief,
            const std::string& p_strRoot, bool p_bHeader) {
    // Under a sanitizer or an emulator a day would take an hour: a dusk and
    // a scheme switch stand for it.
    const bool scaled = p_bBrief;
    const long seconds = scaled ? kSanitizerSeconds : p_nDays * static_cast<long>(kDay);
    const int start = scaled ? kSanitizerStart : 0;
    FILE* out = reportStream();
    if (p_bHeader) {
        printDaysHeader();
    }
    static const char* const kSwitching[] = {"scene", "module", "schedule", "itself"};
    long violations = 0;
    for (const ModuleInfo& module : p_modules) {
        DayFigures figures = DaysRun(module, seconds, start, p_strRoot).run();
        std::fprintf(
            out, "%-13s %5.2f %-9s %9d %8d %7ds %7ds %4d/%-3d %10ld %9ld %8.1f\n", module.szName,
            seconds / static_cast<double>(kDay), kSwitching[switchingOf(module)], figures.nSwitches,
            figures.nSchemeSwitches, figures.nMaxLag, figures.nMaxDrift, figures.nThreadsFirst,
            figures.nThreadsLast, figures.nViolations, figures.nHeapGrowth, figures.dRealSeconds);
        for (const std::string& text : figures.violations) {
            std::fprintf(out, "  %s: %s\n", module.szName, text.c_str());
        }
        std::fflush(out);
        violations += figures.nViolations;
    }
    return violations == 0 ? 0 : 1;
}
