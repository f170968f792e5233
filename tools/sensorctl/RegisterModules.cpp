#include "RegisterModules.h"

#include "controllers/serial/register/EffioSenseController.h"
#include "controllers/serial/register/IBaseIT1SenseController.h"
#include "controllers/serial/register/ITNSenseController.h"
#include "controllers/serial/register/SeawolfSenseController.h"
#include "sim/register/SimEffioModule.h"
#include "sim/register/SimIT1Module.h"
#include "sim/register/SimITNModule.h"
#include "sim/register/SimSeawolfModule.h"

namespace RegisterModules {

namespace {

template <class Controller>
Controller& controllerOf(Host& p_host) {
    auto* controller = dynamic_cast<Controller*>(&p_host.controller());
    if (controller == nullptr) {
        throw CommandError("module " + p_host.moduleName() + " has another controller");
    }
    return *controller;
}

// "12" or "unreadable", for values read back from the module.
std::string shown(int p_nRead, int p_nValue) {
    return p_nRead ? std::to_string(p_nValue) : std::string("unreadable");
}

std::string judgement(int p_nRead, int p_nState) {
    return p_nRead ? (p_nState == 1   ? "day"
                      : p_nState == 0 ? "night"
                                      : "out of range")
                   : "unreadable";
}

std::string pictureName(int p_nState) {
    return p_nState == 1 ? "colour (day)" : p_nState == 0 ? "black and white (night)" : "none yet";
}

}  // namespace

SimModule* createEffio(int) {
    return new SimEffioModule();
}

size_t effioReplyLength(const std::string& p_strReceived, const std::string& p_strSent) {
    size_t length = 3;
    if (p_strSent.size() == 6 && p_strSent[1] == 0x52) {
        int first = static_cast<unsigned char>(p_strSent[3]);
        int last = static_cast<unsigned char>(p_strSent[4]);
        length += last >= first ? static_cast<size_t>(last - first + 1) : 0;
    }
    return p_strReceived.size() >= length ? length : 0;
}

void effioStatus(Host& p_host, FILE* p_pOut) {
    EffioSenseController& effio = controllerOf<EffioSenseController>(p_host);
    int level = 0;
    int toNight = 0;
    int toDay = 0;
    int mirror = 0;
    int atr = 0;
    int read = effio.getAEHighValue(level);
    effio.getDayToNightTransition(toNight);
    effio.getNightToDayTransition(toDay);
    std::fprintf(p_pOut, "AE level         %s of 255 (night from %d, day at %d or below)\n",
                 shown(read, level).c_str(), toNight, toDay);
    read = effio.getMirror(mirror);
    std::fprintf(p_pOut, "mirror           %s\n", shown(read, mirror).c_str());
    read = effio.getATR(atr);
    std::fprintf(p_pOut, "ATR              %s\n", shown(read, atr).c_str());
}

void effioDayNight(Host& p_host, FILE* p_pOut) {
    EffioSenseController& effio = controllerOf<EffioSenseController>(p_host);
    int level = 0;
    int toNight = 0;
    int toDay = 0;
    effio.getDayToNightTransition(toNight);
    effio.getNightToDayTransition(toDay);
    if (!effio.getAEHighValue(level)) {
        std::fprintf(p_pOut, "AE level unreadable\n");
        return;
    }
    const char* decision = level >= toNight ? "night" : level <= toDay ? "day" : "no decision";
    std::fprintf(p_pOut, "AE level %d: %s (night from %d, day at %d or below); picture %s\n", level,
                 decision, toNight, toDay, pictureName(effio.getDNState()).c_str());
}

SimModule* createIT1(int) {
    return new SimIT1Module();
}

size_t countedReplyLength(const std::string& p_strReceived, const std::string&) {
    if (p_strReceived.empty()) {
        return 0;
    }
    size_t length = static_cast<unsigned char>(p_strReceived[0]);
    length = length == 0 ? 1 : length;
    return p_strReceived.size() >= length ? length : 0;
}

void it1Status(Host& p_host, FILE* p_pOut) {
    IBaseIT1SenseController& it1 = controllerOf<IBaseIT1SenseController>(p_host);
    int state = -1;
    int read = it1.getDayNightValue(state);
    std::fprintf(p_pOut, "module judges    %s\n",
                 read ? (state == 1   ? "day"
                         : state == 0 ? "night"
                                      : "out of range")
                      : "unreadable");
    int mirror = 0;
    read = it1.getMirror(mirror);
    std::fprintf(p_pOut, "mirror           %s (register 1500 = 0x%02X)\n",
                 shown(read, mirror).c_str(), it1.getCached1500());
    int setup = 0;
    it1.getDayNightSetup(setup);
    static const char* const kSetups[] = {"the thread decides", "colour", "black and white"};
    std::fprintf(p_pOut, "day/night setup  %d (%s)\n", setup,
                 setup >= 0 && setup <= 2 ? kSetups[setup] : "?");
}

void switchThreadDayNight(Host& p_host, FILE* p_pOut) {
    auto& controller = controllerOf<IDNSwitchSenseController>(p_host);
    std::fprintf(p_pOut, "switch thread %s, input %s",
                 controller.isSwitchThreadRunning() ? "running" : "stopped",
                 controller.getInfraredMode() == 0 ? "the module's judgement"
                 : controller.hasNewInfrared()     ? "the day/night level line"
                                                   : "the GPIO level line");
    if (controller.getInfraredMode() != 0) {
        std::fprintf(p_pOut, " (level %d)", controller.getLastLevel());
    }
    std::fprintf(p_pOut, "; picture %s\nlast decision: %s\n",
                 pictureName(controller.getDNState()).c_str(), controller.lastDecision());
}

SimModule* createITN(int) {
    return new SimITNModule();
}

void itnStatus(Host& p_host, FILE* p_pOut) {
    ITNSenseController& itn = controllerOf<ITNSenseController>(p_host);
    int state = -1;
    int read = itn.getDayNightValue(state);
    std::fprintf(p_pOut, "module judges    %s (exposure level %d)\n",
                 judgement(read, state).c_str(), itn.getExposureLevel());
    int mirror = 0;
    read = itn.getMirror(mirror);
    std::fprintf(p_pOut, "mirror           %s\n", shown(read, mirror).c_str());
}

SimModule* createSeawolf(int) {
    return new SimSeawolfModule();
}

size_t seawolfReplyLength(const std::string& p_strReceived, const std::string&) {
    if (p_strReceived.empty()) {
        return 0;
    }
    size_t length = 1;
    switch (static_cast<unsigned char>(p_strReceived[0])) {
        case 0x02:
            length = p_strReceived.size() < 2
                         ? 2
                         : 3 + static_cast<size_t>(static_cast<unsigned char>(p_strReceived[1]));
            break;
        case 0x04:
            length = 2;
            break;
        default:
            break;
    }
    return p_strReceived.size() >= length ? length : 0;
}

void seawolfStatus(Host& p_host, FILE* p_pOut) {
    SeawolfSenseController& seawolf = controllerOf<SeawolfSenseController>(p_host);
    std::string version;
    std::fprintf(p_pOut, "soft version     %s\n",
                 seawolf.getSensorSoftVersion(version) ? version.c_str() : "unreadable");
    int state = -1;
    int read = seawolf.getDayNightValue(state);
    std::fprintf(p_pOut, "module judges    %s\n", judgement(read, state).c_str());
    int flip = 0;
    read = seawolf.getFlip(flip);
    std::fprintf(p_pOut, "flip             %s\n", shown(read, flip).c_str());
}

void seawolfDayNight(Host& p_host, FILE* p_pOut) {
    SeawolfSenseController& seawolf = controllerOf<SeawolfSenseController>(p_host);
    int state = -1;
    int read = seawolf.getDayNightValue(state);
    std::fprintf(p_pOut, "module judges %s; picture %s\n", judgement(read, state).c_str(),
                 pictureName(seawolf.getDNState()).c_str());
}

}  // namespace RegisterModules
