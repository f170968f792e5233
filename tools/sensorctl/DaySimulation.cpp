#include "DaySimulation.h"

#include "Signals.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

#include "controllers/builtin/Hi351xSenseController.h"
#include "platform/OVDeviceTime.h"

namespace {

const int kDay = 24 * 3600;
const int kPlotStep = 60;  // seconds between plotted samples

int at(int p_nHour, int p_nMinute) {
    return p_nHour * 3600 + p_nMinute * 60;
}

// The second of the day on the device clock.
int wallSecond() {
    OVDeviceTime now = OVDeviceTime::getCurrentTime();
    return now.hour * 3600 + now.minute * 60 + now.second;
}

// A smooth ramp from `from` to `to` over [start, end).
double ramp(int p_nSecond, int p_nStart, int p_nEnd, double p_dFrom, double p_dTo) {
    double phase = static_cast<double>(p_nSecond - p_nStart) / (p_nEnd - p_nStart);
    double eased = 0.5 - 0.5 * std::cos(phase * M_PI);
    return p_dFrom + (p_dTo - p_dFrom) * eased;
}

// The host's tuning thread: the library leaves running the tuning step to
// its host. A step that ends at once (a gain it cannot read) still waits a
// second, so the thread never spins.
class TuningThread {
public:
    explicit TuningThread(ISensorController& p_controller)
        : m_controller(p_controller),
          m_thread(bind_funcobj(this, &TuningThread::body), "ISPTuning", GThread::emptyFun,
                   GThread::emptyFun) {
        m_thread.start();
    }
    ~TuningThread() { m_thread.stop(); }

private:
    int body() {
        double before = OVDeviceTime::getSeconds();
        m_controller.ISPParamBody();
        if (OVDeviceTime::getSeconds() == before) {
            OrvaneTime(1, 0).wait();
        }
        return 0;
    }

    ISensorController& m_controller;
    GThread m_thread;
};

struct Sample {
    int nSecond;
    int nBrightness;
    int nLevel;
    int nDTN;
    int nNTD;
    int nState;
    int nLedPower;
};

std::string clockText(int p_nSecond) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02d:%02d:%02d", p_nSecond / 3600, p_nSecond / 60 % 60,
                  p_nSecond % 60);
    return text;
}

void writePlot(const std::string& p_strPath, const std::vector<Sample>& p_samples,
               const std::vector<std::pair<int, int> >& p_schemes) {
    const double width = 960;
    const double height = 420;
    const double left = 56;
    const double right = 16;
    const double top = 40;
    const double bottom = 44;
    const double low = -40;
    const double high = 110;
    auto x = [&](int p_nSecond) { return left + (width - left - right) * p_nSecond / kDay; };
    auto y = [&](double p_dValue) {
        return top + (height - top - bottom) * (high - p_dValue) / (high - low);
    };
    std::ofstream svg(p_strPath);
    if (!svg) {
        throw CommandError("cannot write " + p_strPath);
    }
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << left << "\" y=\"20\" font-size=\"15\">A simulated day: light, "
        << "thresholds and day/night state</text>\n";
    // Night as grey bands.
    for (size_t index = 0; index < p_samples.size(); ++index) {
        if (p_samples[index].nState != 0) {
            continue;
        }
        int end = index + 1 < p_samples.size() ? p_samples[index + 1].nSecond : kDay;
        svg << "<rect x=\"" << x(p_samples[index].nSecond) << "\" y=\"" << top << "\" width=\""
            << x(end) - x(p_samples[index].nSecond) + 0.5 << "\" height=\"" << height - top - bottom
            << "\" fill=\"#dde3ee\"/>\n";
    }
    // Axes, hours and levels.
    for (int hour = 0; hour <= 24; hour += 2) {
        double px = x(hour * 3600);
        svg << "<line x1=\"" << px << "\" y1=\"" << top << "\" x2=\"" << px << "\" y2=\""
            << height - bottom << "\" stroke=\"#eee\"/>\n"
            << "<text x=\"" << px << "\" y=\"" << height - bottom + 16
            << "\" text-anchor=\"middle\">" << hour << ":00</text>\n";
    }
    for (int level = -40; level <= 100; level += 20) {
        svg << "<text x=\"" << left - 6 << "\" y=\"" << y(level) + 4 << "\" text-anchor=\"end\">"
            << level << "</text>\n";
    }
    auto polyline = [&](const char* p_szColour, const char* p_szDash, auto p_value) {
        svg << "<polyline fill=\"none\" stroke=\"" << p_szColour << "\" stroke-width=\"1.6\""
            << (p_szDash[0] != '\0' ? std::string(" stroke-dasharray=\"") + p_szDash + "\"" : "")
            << " points=\"";
        for (const Sample& sample : p_samples) {
            svg << x(sample.nSecond) << "," << y(p_value(sample)) << " ";
        }
        svg << "\"/>\n";
    };
    polyline("#e0a000", "", [](const Sample& p_sample) { return p_sample.nBrightness; });
    polyline("#2060c0", "", [](const Sample& p_sample) { return p_sample.nLevel; });
    polyline("#c03030", "6,4", [](const Sample& p_sample) { return p_sample.nDTN; });
    polyline("#30a050", "6,4", [](const Sample& p_sample) { return p_sample.nNTD; });
    for (const auto& scheme : p_schemes) {
        svg << "<text x=\"" << x(scheme.first) << "\" y=\"" << top - 4
            << "\" font-size=\"10\" fill=\"#555\">s" << scheme.second << "</text>\n";
    }
    const char* legend[][2] = {{"#e0a000", "scene brightness"},
                               {"#2060c0", "light level the camera measures (darkness)"},
                               {"#c03030", "day-to-night threshold"},
                               {"#30a050", "night-to-day threshold (IR-compensated)"},
                               {"#dde3ee", "night"}};
    double lx = left;
    for (int item = 0; item < 5; ++item) {
        svg << "<rect x=\"" << lx << "\" y=\"" << height - 16 << "\" width=\"12\" height=\"8\" "
            << "fill=\"" << legend[item][0] << "\"/><text x=\"" << lx + 16 << "\" y=\""
            << height - 8 << "\" font-size=\"10\">" << legend[item][1] << "</text>\n";
        lx += 30 + 5.4 * std::strlen(legend[item][1]);
    }
    svg << "</svg>\n";
}

}  // namespace

int cameraLevel(Host& p_host, bool p_bInfrared) {
    if (!p_bInfrared) {
        return 100 - p_host.board().brightness();
    }
    return static_cast<int>(std::trunc(98.0 - 0.32 * p_host.board().adcRaw()));
}

bool hasInfrared(const Host& p_host) {
    return p_host.detail().find("isInfrared=0") == std::string::npos &&
           p_host.detail().find("isInfrared") != std::string::npos;
}

int sceneBrightness(int p_nSecondOfDay) {
    int t = ((p_nSecondOfDay % kDay) + kDay) % kDay;
    double light;
    if (t < at(5, 30)) {
        light = 2;  // moonlight
    } else if (t < at(7, 0)) {
        light = ramp(t, at(5, 30), at(7, 0), 2, 100);
    } else if (t >= at(13, 0) && t < at(13, 6)) {
        // A passing cloud: dark for a few minutes, with soft edges.
        if (t < at(13, 1)) {
            light = ramp(t, at(13, 0), at(13, 1), 100, 12);
        } else if (t < at(13, 5)) {
            light = 12;
        } else {
            light = ramp(t, at(13, 5), at(13, 6), 12, 100);
        }
    } else if (t < at(18, 0)) {
        light = 100;
    } else if (t < at(19, 30)) {
        light = ramp(t, at(18, 0), at(19, 30), 100, 2);
    } else {
        light = 2;
    }
    return static_cast<int>(std::lround(light));
}

void simulateDay(Host& p_host, const std::string& p_strPlotPath) {
    VirtualClock* clock = p_host.virtualClock();
    if (clock == nullptr) {
        throw CommandError("simulate-day needs the virtual clock");
    }
    ISensorController& controller = p_host.controller();
    Hi351xSenseController* hi351x = dynamic_cast<Hi351xSenseController*>(&controller);
    bool infrared = hasInfrared(p_host);
    FILE* out = Host::out();
    std::fprintf(out,
                 "simulating 24 hours on the virtual clock, one thread cycle per second:\n"
                 "night until 05:30, dawn until 07:00, a passing cloud at 13:00, dusk "
                 "18:00-19:30\n\n");

    int lastState = controller.getDNState();
    int lastScheme = -2;
    controller.getParamScheme(lastScheme);
    int tuned[4];
    controller.getISPTuningState(tuned[0], tuned[1], tuned[2], tuned[3]);
    int lastCompensation = hi351x != nullptr ? hi351x->getIrCompensation() : 0;
    int toNight = 0;
    int toDay = 0;
    int schemeSwitches = 0;
    int nightSeconds = 0;
    std::vector<Sample> samples;
    std::vector<std::pair<int, int> > schemes;

    TuningThread tuning(controller);
    std::fprintf(out, "%s  start: %s, scheme %d\n", clockText(wallSecond()).c_str(),
                 lastState == 0 ? "night" : "day", lastScheme);
    for (int step = 0; step < kDay; ++step) {
        if (step % 60 == 0 && DeferredSignals::pending() != 0) {
            std::fprintf(out, "interrupted at %s\n", clockText(wallSecond()).c_str());
            break;
        }
        const int second = wallSecond();
        p_host.board().setBrightness(sceneBrightness(second));
        // The controller's threads and the tuning thread run through the second.
        clock->runFor(1.0, p_host.backgroundThreads());
        const std::string when = clockText(wallSecond());

        int level = cameraLevel(p_host, infrared);
        int state = controller.getDNState();
        nightSeconds += state == 0 ? 1 : 0;
        if (state != lastState) {
            (state == 0 ? toNight : toDay) += 1;
            std::string measured =
                hi351x != nullptr ? ", measured level " + std::to_string(level) : "";
            std::fprintf(out, "%s  %s  (scene light %d%s)\n", when.c_str(),
                         state == 0 ? "day -> night" : "night -> day", p_host.board().brightness(),
                         measured.c_str());
            lastState = state;
        }
        if (hi351x != nullptr && hi351x->getIrCompensation() != lastCompensation) {
            lastCompensation = hi351x->getIrCompensation();
            if (lastCompensation != 0) {
                std::fprintf(out, "%s  IR compensation measured: the LEDs change the level by %d\n",
                             when.c_str(), lastCompensation);
            }
        }
        int scheme = -2;
        controller.getParamScheme(scheme);
        if (scheme != lastScheme) {
            ++schemeSwitches;
            schemes.emplace_back(second, scheme);
            std::fprintf(out, "%s  scheme %d applied\n", when.c_str(), scheme);
            lastScheme = scheme;
        }
        int now[4];
        controller.getISPTuningState(now[0], now[1], now[2], now[3]);
        if (!std::equal(now, now + 4, tuned)) {
            std::fprintf(out, "%s  tuning: EE %d, DC %d\n", when.c_str(), now[0], now[1]);
            std::copy(now, now + 4, tuned);
        }
        if (step % kPlotStep == 0) {
            int dtn = hi351x != nullptr ? hi351x->getDTNThreshold() : 0;
            int ntd =
                hi351x != nullptr ? hi351x->getNTDThreshold() + hi351x->getIrCompensation() : 0;
            samples.push_back(Sample{second, p_host.board().brightness(), level, dtn, ntd, state,
                                     p_host.board().ledPower()});
        }
    }
    std::fprintf(out,
                 "\n%d switch(es) to night, %d back to day, %d scheme switch(es); night for "
                 "%dh%02d\n",
                 toNight, toDay, schemeSwitches, nightSeconds / 3600, nightSeconds / 60 % 60);
    if (!p_strPlotPath.empty()) {
        writePlot(p_strPlotPath, samples, schemes);
        std::fprintf(out, "plot written to %s\n", p_strPlotPath.c_str());
    }
}
