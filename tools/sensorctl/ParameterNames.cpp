#include "ParameterNames.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>

#include "Host.h"

namespace {

struct Name {
    int nId;
    const char* szName;
};

// Every controller has the scheme window.
const Name kSchemeNames[] = {
    {500, "scheme-enable"},   {501, "scheme-start-hour"}, {502, "scheme-start-minute"},
    {503, "scheme-end-hour"}, {504, "scheme-end-minute"},
};

const Name kHi351xNames[] = {
    {1, "brightness"},         {2, "saturation"},
    {3, "contrast"},           {4, "sharpness"},
    {5, "shutter-mode"},       {6, "max-shutter"},
    {7, "fix-shutter"},        {8, "gain-mode"},
    {9, "max-gain"},           {10, "fix-gain"},
    {11, "daynight-mode"},     {12, "dtn-threshold"},
    {13, "ntd-threshold"},     {14, "iris-mode"},
    {15, "iris-speed"},        {16, "room-mode"},
    {17, "wdr-mode"},          {18, "wdr-contrast"},
    {19, "photometry"},        {20, "mirror"},
    {21, "be-away"},           {22, "nr2d-mode"},
    {23, "nr2d-max-contrast"}, {24, "nr2d-fix-contrast"},
    {25, "nr3d-mode"},         {26, "nr3d-max-contrast"},
    {27, "nr3d-fix-contrast"}, {28, "dtn-hour"},
    {29, "dtn-minute"},        {30, "ntd-hour"},
    {31, "ntd-minute"},        {32, "ir-dtn-threshold"},
    {33, "ir-ntd-threshold"},  {34, "daynight-delay"},
    {35, "smart-ir-mode"},     {36, "ir-manual-value"},
    {37, "hlc-mode"},          {38, "hlc-contrast"},
    {39, "blc-mode"},          {40, "antifog-mode"},
    {41, "antifog-value"},     {42, "bhlc-mode"},
    {43, "picture-action-1"},  {44, "picture-action-2"},
    {45, "picture-action-3"},  {46, "picture-action-4"},
    {47, "picture-value"},
};

const Name kOrvaneNames[] = {
    {1, "brightness"},       {2, "saturation"},       {3, "contrast"},
    {4, "gain-mode"},        {5, "max-gain"},         {6, "fixed-gain"},
    {7, "shutter-mode"},     {8, "max-shutter-time"}, {9, "fixed-shutter-time"},
    {10, "daynight-mode"},   {11, "dtn-transition"},  {12, "ntd-transition"},
    {13, "sharpness"},       {15, "night-color"},     {16, "iris-speed"},
    {18, "auto-iris"},       {23, "power-frequency"}, {24, "highlight-hold"},
    {25, "photometry-area"}, {26, "wb-mode"},         {27, "wb-manual"},
    {28, "red-gain"},        {29, "blue-gain"},       {30, "mirror"},
    {32, "hdr-mode"},        {33, "hdr-run-mode"},    {34, "nr-mode"},
    {35, "nr-manual"},       {36, "nr-auto"},         {37, "tnf"},
    {39, "door-mode"},       {57, "daynight-delay"},  {58, "dtn-hour"},
    {59, "dtn-minute"},      {60, "ntd-hour"},        {61, "ntd-minute"},
    {62, "tnf-mode"},
};

// The ids the Sony VISCA members share, as the FCB-EV7310 numbers them.
const Name kViscaNames[] = {
    {1, "sharpness"},
    {2, "low-light-chroma"},
    {3, "gamma"},
    {4, "noise-reduction"},
    {5, "hr"},
    {6, "mirror"},
    {7, "threshold"},
    {8, "still-image"},
    {10, "exposure-mode"},
    {11, "shutter"},
    {12, "iris"},
    {13, "bright"},
    {14, "gain"},
    {15, "gain-limit"},
    {16, "auto-slow-shutter"},
    {17, "exposure-comp"},
    {18, "ae-response"},
    {19, "spot-ae"},
    {20, "spot-x"},
    {21, "spot-y"},
    {22, "backlight"},
    {23, "wb-mode"},
    {24, "r-gain"},
    {25, "b-gain"},
    {26, "daynight-mode"},
    {27, "ir-correction"},
    {28, "wd-mode"},
    {29, "digital-zoom"},
    {30, "focus-mode"},
    {32, "focus-auto-mode"},
    {33, "af-sensitivity"},
    {34, "focus-near-limit"},
    {37, "one-push"},
    {38, "display"},
    {39, "sens"},
    {40, "b-intensity"},
    {41, "w-intensity"},
    {44, "short-exposure"},
    {45, "lens-movement"},
    {46, "lens-interval"},
    {47, "saturation"},
    {48, "hue"},
    {49, "high-sensitivity"},
    {50, "bright-remote"},
    {51, "tnf-mode"},
    {52, "iris-up"},
    {53, "iris-down"},
    {54, "focus-up"},
    {55, "focus-down"},
    {56, "brightness"},
    {57, "near-light"},
    {58, "middle-light"},
    {59, "far-light"},
    {60, "dtn-hour"},
    {61, "dtn-minute"},
    {62, "ntd-hour"},
    {63, "ntd-minute"},
    {64, "power-mode"},
};

// What each member numbers differently; a null name is an id it lacks.
const Name kFCBEV7310Names[] = {
    {65, "defog"},
    {66, "hlc-level"},
    {67, "hlc-mask-level"},
    {68, "hlc"},
};

const Name kCH3310Names[] = {
    {52, "brightness"}, {53, nullptr},      {54, nullptr},
    {55, nullptr},      {56, "power-mode"}, {64, nullptr},
};

const Name kCV7500Names[] = {
    {22, nullptr},
    {38, nullptr},
    {39, "compens-level"},
    {40, "bright-compens"},
    {41, nullptr},
    {44, "bright-level"},
    {51, nullptr},
    {56, "stabilizer"},
    {57, "defog"},
    {58, "brightness"},
    {59, "near-light"},
    {60, "middle-light"},
    {61, "far-light"},
    {62, "ntd-hour"},
    {63, "ntd-minute"},
    {64, "dtn-hour"},
    {65, "dtn-minute"},
    {66, "power-mode"},
    {67, "point-light-open"},
    {68, "point-light-close"},
};

// The CMD7300 layout, which the CMD8100 modules share.
const Name kCmdNames[] = {
    {0, "exposure-mode"},   {1, "brightness"},  {2, "sharpness"},        {3, "saturation"},
    {4, "mirror"},          {5, "iris"},        {6, "photometry"},       {7, "shutter"},
    {9, "wdr-mode"},        {10, "defog"},      {11, "noise-reduction"}, {12, "daynight-mode"},
    {13, "threshold"},      {14, "max-gain"},   {15, "focus-mode"},      {16, "focus-near-limit"},
    {17, "af-sensitivity"}, {18, "tnf-mode"},   {19, "wb-mode"},         {20, "shutdown-limit"},
    {52, "iris-up"},        {53, "iris-down"},  {54, "focus-up"},        {55, "focus-down"},
    {56, "power-mode"},     {57, "near-light"}, {58, "middle-light"},    {59, "far-light"},
    {60, "dtn-hour"},       {61, "dtn-minute"}, {62, "ntd-hour"},        {63, "ntd-minute"},
    {64, "one-push"},
};

const Name kCmdOldNames[] = {
    {20, nullptr},
};

const Name kCmd8100Names[] = {
    {18, nullptr},         {65, "mask-region"}, {66, "mask-set"},       {67, "mask-show"},
    {68, "mask-hide"},     {69, "mask-clear"},  {70, "mask-clear-all"}, {71, "mask-wider"},
    {72, "mask-narrower"}, {73, "mask-taller"}, {74, "mask-shorter"},
};

const Name kCmd8300Names[] = {
    {1, "saturation"},
    {2, "contrast"},
    {3, "sharpness"},
    {4, "gamma"},
    {5, "noise-reduction-mode"},
    {6, "nr-mode"},
    {7, "defog"},
    {8, "mirror"},
    {9, "still-image"},
    {10, "exposure-mode"},
    {11, "shutter"},
    {12, "iris"},
    {13, "bright"},
    {14, "gain"},
    {15, "max-gain"},
    {16, "auto-slow-shutter"},
    {17, "backlight"},
    {18, "wb-mode"},
    {19, "red-gain"},
    {20, "blue-gain"},
    {21, "infrared"},
    {22, "daynight-mode"},
    {23, "wdr-mode"},
    {24, "highlight-hold"},
    {25, "brightness"},
    {26, "digital-zoom"},
    {27, "focus-mode"},
    {28, "one-push"},
    {29, "af-sensitivity"},
    {30, "focus-near-limit"},
    {31, "ntd-sensitivity"},
    {32, "dtn-sensitivity"},
    {57, "near-light"},
    {58, "middle-light"},
    {59, "far-light"},
    {60, "dtn-hour"},
    {61, "dtn-minute"},
    {62, "ntd-hour"},
    {63, "ntd-minute"},
    {64, "power-mode"},
    {65, "auto-nr"},
    {66, "manual-nr"},
};

// The CMD7300 layout's day/night values: 1 day, 2 night, 3 schedule, 0 the
// module's own switching; switching by the light level is not theirs.
const int kCmdDayNightValues[] = {-1, 1, 2, 3, 0};

// The VISCA members take their own day/night values: 1 the module's
// automatic, 3 day, 4 night, 5 schedule; switching by the light level is
// not theirs.
const int kViscaDayNightValues[] = {-1, 3, 4, 5, 1};

// The hex-text modules.
const Name kCMD7200Names[] = {
    {1, "brightness"},   {2, "sharpness"},     {3, "mirror"},     {4, "daynight-mode"},
    {5, "shutter-mode"}, {6, "fixed-shutter"}, {7, "focus-mode"}, {8, "focus-limit"},
    {9, "wb-mode"},      {10, "tnf-mode"},
};

// The Hitachi image settings, which the SC110N_C numbers alike.
const Name kHitachNames[] = {
    {1, "brightness"},
    {2, "sharpness"},
    {3, "saturation"},
    {4, "night-color"},
    {6, "camera-mode"},
    {7, "max-gain"},
    {8, "wdr"},
    {9, "daynight-sensitivity"},
    {10, "fixed-shutter"},
    {11, "backlight"},
    {12, "mirror"},
    {13, "focus-distance"},
    {14, "focus-mode"},
    {15, "picture-mode"},
    {16, "hori-sharpness"},
    {17, "tnf-mode"},
};

const Name kSC110NNames[] = {
    {17, "nr-mode"},    {18, "manual-nr"},     {19, "mask-region"}, {20, "mask-set"},
    {22, "mask-show"},  {23, "mask-hide"},     {24, "mask-clear"},  {25, "mask-clear-all"},
    {26, "mask-wider"}, {27, "mask-narrower"}, {28, "mask-taller"}, {29, "mask-shorter"},
};

const Name kCompatNames[] = {
    {1, "brightness"},           {2, "vert-sharpness"}, {3, "saturation"},
    {4, "night-color"},          {6, "camera-mode"},    {7, "max-gain"},
    {9, "daynight-sensitivity"}, {10, "fixed-shutter"}, {12, "mirror"},
    {13, "focus-distance"},      {14, "focus-mode"},    {16, "hori-sharpness"},
    {17, "auto-iris"},           {18, "iris-voltage"},  {19, "wb-mode"},
    {20, "adjust-lens"},         {21, "tnf-mode"},      {54, "focus-up"},
    {55, "focus-down"},
};

// The Effio DSP board.
const Name kEffioNames[] = {
    {1, "brightness"},
    {2, "sharpness"},
    {3, "mirror"},
    {4, "exposure"},
    {5, "wb"},
    {6, "r-gain"},
    {7, "b-gain"},
    {8, "daynight-mode"},
    {9, "dtn-level"},
    {10, "ntd-level"},
    {12, "exposure-mode"},
    {13, "shutter"},
    {14, "nr2-film-mode"},
    {15, "backlight"},
    {16, "backlight-level"},
    {17, "atr"},
    {18, "agc-mode"},
    {19, "max-agc"},
    {21, "tnf-mode"},
    {57, "daynight-delay"},
    {58, "dtn-hour"},
    {59, "dtn-minute"},
    {60, "ntd-hour"},
    {61, "ntd-minute"},
};

// The IT1 family; the zoom member renumbers 22 and adds the lens.
const Name kIT1Names[] = {
    {1, "brightness"},     {2, "sharpness"},    {3, "mirror"},
    {4, "daynight-setup"}, {5, "dtn-level"},    {6, "ntd-level"},
    {7, "video-out"},      {8, "min-shutter"},  {9, "max-agc"},
    {10, "iris-mode"},     {11, "max-shutter"}, {12, "gamma"},
    {13, "chroma"},        {14, "wb"},          {15, "night-color"},
    {16, "iris-voltage"},  {17, "iris-speed"},  {18, "fixed-shutter"},
    {19, "shutter-mode"},  {22, "infrared"},
};

const Name kIT1ZoomNames[] = {
    {20, "auto-focus"},
    {21, "focus-mode"},
    {22, "adjust-lens"},
};

// The ITN camera module.
const Name kITNNames[] = {
    {1, "wdr"},
    {2, "brightness"},
    {3, "sharpness"},
    {4, "chroma"},
    {5, "mirror"},
    {6, "shutter-mode"},
    {7, "fixed-shutter"},
    {8, "max-shutter"},
    {9, "min-shutter"},
    {10, "daynight-mode"},
    {11, "max-gain"},
    {12, "dtn-level"},
    {13, "ntd-level"},
    {14, "night-color"},
    {15, "wb"},
    {16, "auto-iris"},
    {17, "iris-voltage"},
    {18, "iris-speed"},
    {19, "ae-level"},
    {20, "anti-flicker"},
    {21, "scene-preset"},
    {22, "surrounding"},
    {23, "spot-x"},
    {24, "spot-y"},
    {25, "noise-reduction"},
    {26, "gamma"},
};

// The Seawolf camera module.
const Name kSeawolfNames[] = {
    {1, "resolution"},
    {2, "sharpness"},
    {3, "saturation"},
    {4, "gamma"},
    {5, "noise-reduction"},
    {6, "brightness"},
    {7, "flip"},
    {8, "anti-flicker"},
    {9, "blc"},
    {10, "shutter-limit"},
    {11, "exposure-preference"},
    {12, "exposure-area"},
    {13, "wb"},
    {14, "daynight-mode"},
    {16, "dtn-level"},
    {17, "ntd-level"},
    {18, "max-gain"},
    {19, "gain-boost"},
    {20, "wdr"},
    {22, "show-frame"},
    {23, "hide-frame"},
    {24, "move-up"},
    {25, "move-down"},
    {26, "move-left"},
    {27, "move-right"},
    {28, "move-stop"},
    {29, "lens-type"},
    {30, "tnf-mode"},
    {57, "daynight-delay"},
    {58, "dtn-hour"},
    {59, "dtn-minute"},
    {60, "ntd-hour"},
    {61, "ntd-minute"},
};

// The modules with a day/night thread of their own (IT1 family, ITN): 0 the
// thread decides, 1 colour, 2 black and white.
const int kIT1DayNightValues[] = {0, 1, 2, -1, -1};

// Each module's names (its own looked up before the shared ones), the id of
// its day/night mode and the values that id takes for the base's modes 0..4
// (null: the same numbers).
struct ModuleNames {
    const char* szModule;
    const Name* pOwn;
    size_t nOwn;
    const Name* pShared;
    size_t nShared;
    int nDayNightModeId;
    const int* pDayNightValues;

    // Null for an id without a name.
    const char* nameOf(int p_nId) const;
    int idOf(const std::string& p_strName) const;
};

template <size_t N>
ModuleNames entry(const char* p_szModule, const Name (&p_names)[N], int p_nDayNightModeId) {
    return ModuleNames{p_szModule, p_names, N, nullptr, 0, p_nDayNightModeId, nullptr};
}

ModuleNames viscaMember(const char* p_szModule, const Name* p_pOwn, size_t p_nOwn) {
    return ModuleNames{p_szModule,
                       p_pOwn,
                       p_nOwn,
                       kViscaNames,
                       sizeof(kViscaNames) / sizeof(kViscaNames[0]),
                       26,
                       kViscaDayNightValues};
}

template <size_t N>
ModuleNames viscaEntry(const char* p_szModule, const Name (&p_own)[N]) {
    return viscaMember(p_szModule, p_own, N);
}

ModuleNames cmdMember(const char* p_szModule, const Name* p_pOwn, size_t p_nOwn) {
    return ModuleNames{
        p_szModule,        p_pOwn, p_nOwn, kCmdNames, sizeof(kCmdNames) / sizeof(kCmdNames[0]), 12,
        kCmdDayNightValues};
}

template <size_t N>
ModuleNames cmdEntry(const char* p_szModule, const Name (&p_own)[N]) {
    return cmdMember(p_szModule, p_own, N);
}

// The CMD8300 has a layout of its own and the VISCA members' day/night values.
ModuleNames cmd8300Entry() {
    const size_t count = sizeof(kCmd8300Names) / sizeof(kCmd8300Names[0]);
    return ModuleNames{"cmd8300", kCmd8300Names, count, nullptr, 0, 22, kViscaDayNightValues};
}

// The hex-text modules switch day and night themselves, so none has a
// day/night mode id. A module built on the Hitachi settings adds its own
// ids to theirs.
template <size_t N>
ModuleNames hitachMember(const char* p_szModule, const Name (&p_own)[N]) {
    ModuleNames names = entry(p_szModule, p_own, 0);
    names.pShared = kHitachNames;
    names.nShared = sizeof(kHitachNames) / sizeof(kHitachNames[0]);
    return names;
}

ModuleNames it1Member(const char* p_szModule, const Name* p_pOwn, size_t p_nOwn) {
    return ModuleNames{p_szModule,        p_pOwn, p_nOwn, kIT1Names, std::size(kIT1Names), 4,
                       kIT1DayNightValues};
}

template <size_t N>
ModuleNames it1Entry(const char* p_szModule, const Name (&p_own)[N]) {
    return it1Member(p_szModule, p_own, N);
}

template <size_t N>
ModuleNames switchEntry(const char* p_szModule, const Name (&p_names)[N], int p_nDayNightModeId) {
    return ModuleNames{p_szModule, p_names, N, nullptr, 0, p_nDayNightModeId, kIT1DayNightValues};
}

const ModuleNames* namesOf(const std::string& p_strModule) {
    static const ModuleNames s_modules[] = {
        entry("hi351x", kHi351xNames, 11),        entry("orvane", kOrvaneNames, 10),
        viscaEntry("fcbev7310", kFCBEV7310Names), viscaEntry("ch3310", kCH3310Names),
        viscaEntry("cv7500", kCV7500Names),       viscaMember("eh4300", nullptr, 0),
        cmdMember("cmd7300", nullptr, 0),         cmdEntry("cmd8100old", kCmdOldNames),
        cmdEntry("cmd8100", kCmd8100Names),       cmd8300Entry(),
        entry("cmd7200", kCMD7200Names, 0),       entry("hitachcompat", kCompatNames, 0),
        entry("hitach", kHitachNames, 0),         hitachMember("sc110n", kSC110NNames),
        entry("effio", kEffioNames, 8),           it1Member("it1", nullptr, 0),
        it1Entry("it1zoom", kIT1ZoomNames),       switchEntry("itn", kITNNames, 10),
        entry("seawolf", kSeawolfNames, 14),
    };
    for (const ModuleNames& module : s_modules) {
        if (p_strModule == module.szModule) {
            return &module;
        }
    }
    return nullptr;
}

const Name* findById(const Name* p_pNames, size_t p_nCount, int p_nId) {
    for (size_t index = 0; index < p_nCount; ++index) {
        if (p_pNames[index].nId == p_nId) {
            return &p_pNames[index];
        }
    }
    return nullptr;
}

const Name* findByName(const Name* p_pNames, size_t p_nCount, const std::string& p_strName) {
    for (size_t index = 0; index < p_nCount; ++index) {
        if (p_pNames[index].szName != nullptr && p_strName == p_pNames[index].szName) {
            return &p_pNames[index];
        }
    }
    return nullptr;
}

const char* ModuleNames::nameOf(int p_nId) const {
    const Name* name = findById(pOwn, nOwn, p_nId);
    if (name == nullptr) {
        name = findById(pShared, nShared, p_nId);
    }
    return name != nullptr ? name->szName : nullptr;
}

int ModuleNames::idOf(const std::string& p_strName) const {
    if (const Name* name = findByName(pOwn, nOwn, p_strName)) {
        return name->nId;
    }
    // A shared name counts only where the module does not renumber its id.
    const Name* name = findByName(pShared, nShared, p_strName);
    return name != nullptr && findById(pOwn, nOwn, name->nId) == nullptr ? name->nId : 0;
}

const size_t kSchemeCount = sizeof(kSchemeNames) / sizeof(kSchemeNames[0]);

}  // namespace

const char* parameterName(const std::string& p_strModule, int p_nId) {
    if (const Name* name = findById(kSchemeNames, kSchemeCount, p_nId)) {
        return name->szName;
    }
    const ModuleNames* module = namesOf(p_strModule);
    return module != nullptr ? module->nameOf(p_nId) : nullptr;
}

int parameterId(const std::string& p_strModule, const std::string& p_strText) {
    char* end = nullptr;
    errno = 0;
    long id = std::strtol(p_strText.c_str(), &end, 10);
    if (!p_strText.empty() && *end == '\0' && errno == 0 && id >= INT_MIN && id <= INT_MAX) {
        return static_cast<int>(id);
    }
    const Name* scheme = findByName(kSchemeNames, kSchemeCount, p_strText);
    int found = scheme != nullptr ? scheme->nId : 0;
    const ModuleNames* module = namesOf(p_strModule);
    if (found == 0 && module != nullptr) {
        found = module->idOf(p_strText);
    }
    if (found == 0) {
        throw CommandError(
            "unknown parameter '" + p_strText + "' (give an id, or a name from 'sensorctl list')",
            2);
    }
    return found;
}

int dayNightModeId(const std::string& p_strModule) {
    const ModuleNames* module = namesOf(p_strModule);
    return module != nullptr ? module->nDayNightModeId : 0;
}

int dayNightModeValue(const std::string& p_strModule, int p_nMode) {
    const ModuleNames* module = namesOf(p_strModule);
    if (p_nMode < 0 || p_nMode > 4) {
        return -1;
    }
    return module != nullptr && module->pDayNightValues != nullptr
               ? module->pDayNightValues[p_nMode]
               : p_nMode;
}
