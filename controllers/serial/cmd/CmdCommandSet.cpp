#include "CmdCommandSet.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "../visca/Visca.h"

namespace {

const int kExposureMode = 0;
const int kIris = 5;
const int kShutter = 7;

// What a descriptor takes, as the refusals word it: runs of values joined
// by commas and a last "or" ("0..100", "0, 4 or 9", "0..5 or 8..9").
std::string takenText(const ParameterDescriptor& p_descriptor) {
    std::vector<std::pair<long long, long long> > runs;
    if (p_descriptor.eKind == ParameterKind::RANGE) {
        runs.emplace_back(p_descriptor.nMin, p_descriptor.nMax);
    } else if (p_descriptor.eKind == ParameterKind::ON_OFF) {
        runs.emplace_back(0, 1);
    }
    for (int index = 0; index < p_descriptor.nEntries; ++index) {
        runs.emplace_back(p_descriptor.pEntries[index].nCode, p_descriptor.pEntries[index].nCode);
    }
    std::sort(runs.begin(), runs.end());
    std::vector<std::pair<long long, long long> > merged;
    for (const auto& run : runs) {
        if (!merged.empty() && run.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, run.second);
        } else {
            merged.push_back(run);
        }
    }
    std::string text;
    for (size_t index = 0; index < merged.size(); ++index) {
        text += index == 0 ? "" : index + 1 == merged.size() ? " or " : ", ";
        text += std::to_string(merged[index].first);
        if (merged[index].second != merged[index].first) {
            text += ".." + std::to_string(merged[index].second);
        }
    }
    return text;
}

}  // namespace

CmdCommandSet::CmdCommandSet(ISensorController& p_owner, SensorCache& p_cache,
                             const int& p_nGeneration, const int& p_nIsInfrared,
                             std::initializer_list<CmdFrames> p_frames)
    : m_owner(p_owner),
      m_cache(p_cache),
      m_nGeneration(p_nGeneration),
      m_nIsInfrared(p_nIsInfrared),
      m_frames(p_frames) {}

const CmdFrame* CmdCommandSet::frameOf(int p_nId) const {
    for (const CmdFrames& frames : m_frames) {
        const CmdFrame* found = std::find_if(
            frames.pBegin, frames.pEnd, [&](const CmdFrame& frame) { return frame.nId == p_nId; });
        if (found != frames.pEnd) {
            return found;
        }
    }
    return nullptr;
}

int CmdCommandSet::sendShort(int p_nCode, int p_nParameter) {
    std::string frame = Visca::command(p_nCode, Visca::bytes({p_nParameter & 0xFF}));
    return m_owner.setParameterValue(frame.data(), static_cast<int>(frame.size()));
}

int CmdCommandSet::sendLong(int p_nCode, int p_nValue, int p_nLead) {
    std::string frame =
        Visca::command(p_nCode, Visca::bytes({p_nLead, 0}) + Visca::nibbles(p_nValue, 2));
    return m_owner.setParameterValue(frame.data(), static_cast<int>(frame.size()));
}

void CmdCommandSet::refused(const Row& p_row, int p_nValue) {
    if (m_pfnExplain != nullptr && m_pfnExplain(m_owner, p_row.nId, p_nValue)) {
        return;
    }
    m_owner.ErrorPrintf("value %d is out of range %s", p_nValue,
                        takenText(p_row.descriptor()).c_str());
}

bool CmdCommandSet::cachedIs(int p_nId, unsigned p_nValues) {
    int value = 0;
    return m_cache.getSensorValue(p_nId, value) != 0 && value >= 0 && value < 32 &&
           (p_nValues & (1u << value)) != 0;
}

int CmdCommandSet::applyFrame(int p_nId, int p_nValue) {
    const CmdFrame* frame = frameOf(p_nId);
    if (frame == nullptr) {
        return 0;
    }
    bool holds =
        frame->nNeedsId == CmdFrame::ALWAYS ||
        (frame->nNeedsId == CmdFrame::NO_INFRARED ? m_nIsInfrared == 0
                                                  : cachedIs(frame->nNeedsId, frame->nNeedsValues));
    if (!holds) {
        return 1;
    }
    int sent = frame->pfnMap != nullptr ? frame->pfnMap(p_nValue) : p_nValue;
    return frame->eShape == CmdFrame::SHORT ? sendShort(frame->nCode, sent)
                                            : sendLong(frame->nCode, sent);
}

int CmdCommandSet::applyCached(int p_nId, int p_nValue) {
    // The cache may hold what a parameter file brought, unchecked.
    const Row* row = m_pParameters != nullptr ? m_pParameters->find(p_nId) : nullptr;
    if (row != nullptr && !row->takes(p_nValue)) {
        if (row->szRange != nullptr) {
            m_owner.ErrorPrintf(row->szRange, p_nValue);
        } else {
            refused(*row, p_nValue);
        }
        return 0;
    }
    return applyFrame(p_nId, p_nValue);
}

int CmdCommandSet::setExposalMode(int p_nValue) {
    if (!applyFrame(kExposureMode, p_nValue)) {
        return 0;
    }
    // The setting the new mode puts in force follows it, so the mode is
    // cached first: the setting's condition reads it.
    m_cache.setSensorValue(kExposureMode, p_nValue);
    int value = 0;
    int follower = p_nValue == 1 ? kShutter : p_nValue == 2 ? kIris : -1;
    if (follower >= 0 && m_cache.getSensorValue(follower, value) && !applyCached(follower, value)) {
        m_owner.markUnconfirmed(follower);
    }
    return 1;
}

int CmdCommandSet::setMirror(int p_nValue) {
    // 02 on, 03 off; left-right (61), then up-down (66).
    static const int kFlips[4][2] = {{0x03, 0x03}, {0x02, 0x03}, {0x03, 0x02}, {0x02, 0x02}};
    static const int kFlipsGeneration4[4][2] = {
        {0x02, 0x02}, {0x03, 0x02}, {0x02, 0x03}, {0x03, 0x03}};
    const int* flips = m_nGeneration == 4 ? kFlipsGeneration4[p_nValue] : kFlips[p_nValue];
    return sendShort(0x61, flips[0]) && sendShort(0x66, flips[1]);
}

namespace CmdParameters {

const ParameterMenuEntry kSwitch[2] = {{2, "on"}, {3, "off"}};

int irisUp(ISensorController& p_owner, CmdCommandSet&, int) {
    return p_owner.IrisUp();
}

int irisDown(ISensorController& p_owner, CmdCommandSet&, int) {
    return p_owner.IrisDown();
}

int focusUp(ISensorController&, CmdCommandSet& p_commands, int) {
    return p_commands.sendShort(0x08, 0x03);
}

int focusDown(ISensorController&, CmdCommandSet& p_commands, int) {
    return p_commands.sendShort(0x08, 0x02);
}

int onePushTrigger(ISensorController&, CmdCommandSet& p_commands, int) {
    return p_commands.sendShort(0x18, 0x01);
}

int mirror(ISensorController&, CmdCommandSet& p_commands, int p_nValue) {
    return p_commands.setMirror(p_nValue);
}

int exposalMode(ISensorController&, CmdCommandSet& p_commands, int p_nValue) {
    return p_commands.setExposalMode(p_nValue);
}

int focusMode(ISensorController& p_owner, CmdCommandSet&, int p_nValue) {
    return p_owner.setFocusMode(p_nValue);
}

int times14(int p_nValue) {
    return p_nValue * 14 / 100;
}

int times15(int p_nValue) {
    return p_nValue * 15 / 100;
}

int minusOne(int p_nValue) {
    return p_nValue - 1;
}

int exposureByte(int p_nValue) {
    static const int kModes[] = {0x00, 0x0A, 0x0B, 0xA0};
    return kModes[p_nValue];
}

}  // namespace CmdParameters
