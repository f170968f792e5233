#include "ParameterDescriptor.h"

#include <cstdio>
#include <cstring>

bool ParameterDescriptor::takes(int p_nValue) const {
    if (!bChecked || eKind == ParameterKind::ACTION || eKind == ParameterKind::READ_ONLY) {
        return true;
    }
    if (entryName(p_nValue) != nullptr) {
        return true;
    }
    switch (eKind) {
        case ParameterKind::RANGE:
            // In long arithmetic: a range may span the whole int.
            return p_nValue >= nMin && p_nValue <= nMax &&
                   (nStep <= 1 || (static_cast<long long>(p_nValue) - nMin) % nStep == 0);
        case ParameterKind::ON_OFF:
            return p_nValue == 0 || p_nValue == 1;
        default:
            return false;
    }
}

const char* ParameterDescriptor::entryName(int p_nCode) const {
    for (int index = 0; index < nEntries; ++index) {
        if (pEntries[index].nCode == p_nCode) {
            return pEntries[index].szName;
        }
    }
    return nullptr;
}

int ParameterDescriptor::entryCode(const char* p_szName, int& p_nCode) const {
    for (int index = 0; index < nEntries; ++index) {
        if (std::strcmp(pEntries[index].szName, p_szName) == 0) {
            p_nCode = pEntries[index].nCode;
            return 1;
        }
    }
    if (eKind == ParameterKind::ON_OFF) {
        if (std::strcmp(p_szName, "off") == 0 || std::strcmp(p_szName, "on") == 0) {
            p_nCode = p_szName[1] == 'n' ? 1 : 0;
            return 1;
        }
    }
    return 0;
}

namespace {

// Appends to a terminated buffer, counting what did not fit.
class Appender {
public:
    Appender(char* p_pBuffer, size_t p_nSize) : m_pBuffer(p_pBuffer), m_nSize(p_nSize) {
        if (m_nSize > 0) {
            m_pBuffer[0] = '\0';
        }
    }
    template <class... Args>
    void add(const char* p_szFormat, Args... p_args) {
        size_t room = m_nLength < m_nSize ? m_nSize - m_nLength : 0;
        int written =
            std::snprintf(room > 0 ? m_pBuffer + m_nLength : nullptr, room, p_szFormat, p_args...);
        if (written > 0) {
            m_nLength += static_cast<size_t>(written);
        }
    }
    int length() const { return static_cast<int>(m_nLength); }

private:
    char* m_pBuffer;
    size_t m_nSize;
    size_t m_nLength = 0;
};

}  // namespace

int ParameterDescriptor::describeValues(char* p_pBuffer, size_t p_nSize) const {
    Appender out(p_pBuffer, p_nSize);
    switch (eKind) {
        case ParameterKind::ACTION:
            out.add("%s", "an action");
            return out.length();
        case ParameterKind::READ_ONLY:
            out.add("%s", "read only");
            return out.length();
        case ParameterKind::ON_OFF:
            out.add("%s", "0 off, 1 on");
            return out.length();
        case ParameterKind::RANGE:
            if (nMin == INT_MIN && nMax == INT_MAX) {
                out.add("%s", "any value");
            } else if (nStep > 1) {
                out.add("%d..%d step %d", nMin, nMax, nStep);
            } else {
                out.add("%d..%d", nMin, nMax);
            }
            break;
        default:
            break;
    }
    for (int index = 0; index < nEntries; ++index) {
        bool first = index == 0 && eKind == ParameterKind::MENU;
        out.add(first ? "%d %s" : ", %d %s", pEntries[index].nCode, pEntries[index].szName);
    }
    return out.length();
}

const char* parameterKindName(ParameterKind p_eKind) {
    static const char* const kNames[] = {"range", "menu", "on-off", "action", "read-only"};
    size_t index = static_cast<size_t>(p_eKind);
    return index < sizeof(kNames) / sizeof(kNames[0]) ? kNames[index] : "?";
}

const char* parameterUnitName(ParameterUnit p_eUnit) {
    static const char* const kNames[] = {"",  "%",     "1/s", "gain-step", "step",
                                         "h", "10min", "min", "s",         "raw"};
    size_t index = static_cast<size_t>(p_eUnit);
    return index < sizeof(kNames) / sizeof(kNames[0]) ? kNames[index] : "?";
}

const char* parameterRoleName(ParameterRole p_eRole) {
    static const char* const kNames[] = {
        "none",
        "brightness",
        "contrast",
        "saturation",
        "sharpness",
        "hue",
        "exposure-mode",
        "shutter",
        "min-shutter",
        "max-shutter",
        "gain",
        "max-gain",
        "iris-mode",
        "iris-level",
        "wb-mode",
        "red-gain",
        "blue-gain",
        "wdr-mode",
        "wdr-level",
        "backlight-compensation",
        "highlight-compensation",
        "day-night-mode",
        "dtn-threshold",
        "ntd-threshold",
        "day-night-delay",
        "ir-led-mode",
        "ir-led-level",
        "focus-mode",
        "focus-position",
        "zoom",
        "mirror-flip",
        "nr-2d",
        "nr-3d",
        "defog",
        "anti-flicker",
        "scheme-window",
    };
    size_t index = static_cast<size_t>(p_eRole);
    return index < sizeof(kNames) / sizeof(kNames[0]) ? kNames[index] : "?";
}

ParameterDescriptions::~ParameterDescriptions() = default;

const ParameterDescriptor* ParameterDescriptorList::find(int p_nId) const {
    for (size_t index = 0; index < m_nCount; ++index) {
        if (m_pDescriptors[index].nId == p_nId) {
            return &m_pDescriptors[index];
        }
    }
    return nullptr;
}

int ParameterDescriptorList::describe(int p_nId, ParameterDescriptor& p_descriptor) const {
    const ParameterDescriptor* found = find(p_nId);
    if (found == nullptr) {
        return 0;
    }
    p_descriptor = *found;
    return 1;
}

int ParameterDescriptorList::describeNext(int p_nAfter, ParameterDescriptor& p_descriptor) const {
    const ParameterDescriptor* best = nullptr;
    for (size_t index = 0; index < m_nCount; ++index) {
        const ParameterDescriptor& candidate = m_pDescriptors[index];
        if (candidate.nId > p_nAfter && (best == nullptr || candidate.nId < best->nId)) {
            best = &candidate;
        }
    }
    if (best == nullptr) {
        return 0;
    }
    p_descriptor = *best;
    return 1;
}
