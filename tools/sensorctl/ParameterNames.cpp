#include "ParameterNames.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

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

template <size_t N>
const char* find(const Name (&p_names)[N], int p_nId) {
    for (const Name& name : p_names) {
        if (name.nId == p_nId) {
            return name.szName;
        }
    }
    return nullptr;
}

template <size_t N>
int find(const Name (&p_names)[N], const std::string& p_strName) {
    for (const Name& name : p_names) {
        if (p_strName == name.szName) {
            return name.nId;
        }
    }
    return 0;
}

const char* moduleName(const std::string& p_strModule, int p_nId) {
    if (p_strModule == "hi351x") {
        return find(kHi351xNames, p_nId);
    }
    return p_strModule == "orvane" ? find(kOrvaneNames, p_nId) : nullptr;
}

int moduleId(const std::string& p_strModule, const std::string& p_strName) {
    if (p_strModule == "hi351x") {
        return find(kHi351xNames, p_strName);
    }
    return p_strModule == "orvane" ? find(kOrvaneNames, p_strName) : 0;
}

}  // namespace

const char* parameterName(const std::string& p_strModule, int p_nId) {
    if (const char* name = find(kSchemeNames, p_nId)) {
        return name;
    }
    return moduleName(p_strModule, p_nId);
}

int parameterId(const std::string& p_strModule, const std::string& p_strText) {
    char* end = nullptr;
    errno = 0;
    long id = std::strtol(p_strText.c_str(), &end, 10);
    if (!p_strText.empty() && *end == '\0' && errno == 0 && id >= INT_MIN && id <= INT_MAX) {
        return static_cast<int>(id);
    }
    int found = find(kSchemeNames, p_strText);
    if (found == 0) {
        found = moduleId(p_strModule, p_strText);
    }
    if (found == 0) {
        throw CommandError(
            "unknown parameter '" + p_strText + "' (give an id, or a name from 'sensorctl list')",
            2);
    }
    return found;
}

int dayNightModeId(const std::string& p_strModule) {
    return p_strModule == "hi351x" ? 11 : p_strModule == "orvane" ? 10 : 0;
}
