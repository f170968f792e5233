#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMDCOMMANDSET_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMDCOMMANDSET_H

#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

#include "../../../config/SensorCache.h"
#include "../../../framework/ISensorController.h"
#include "../../../framework/ParameterTable.h"

// How a parameter's value becomes one command frame of a CMD module:
//   short: 81 01 04 cc pp FF           one parameter byte pp
//   long:  81 01 04 cc 00 00 0p 0q FF  a value below 256 as its two nibbles
// The value is checked first (outside: 0, nothing sent), then the condition
// on another parameter (not holding: 1, nothing sent), then mapped and sent.
struct CmdFrame {
    enum Shape { SHORT, LONG };
    enum { ALWAYS = -1, NO_INFRARED = -2 };

    // Values as a bit set (bit v for value v, v below 32).
    static constexpr unsigned anyOf(std::initializer_list<int> p_values) {
        unsigned mask = 0;
        for (int value : p_values) {
            mask |= 1u << value;
        }
        return mask;
    }
    static constexpr unsigned span(int p_nFirst, int p_nLast) {
        unsigned mask = 0;
        for (int value = p_nFirst; value <= p_nLast; ++value) {
            mask |= 1u << value;
        }
        return mask;
    }

    int nId;
    int nCode;
    Shape eShape;
    int nLow;
    int nHigh;
    // The values between low and high that are taken (bit v); 0 for all.
    unsigned nOnly;
    // The value sent for the value given; null sends it as given.
    int (*pfnMap)(int);
    // ALWAYS; NO_INFRARED (only without a lamp board); or the id whose
    // cached value must be one of nNeedsValues.
    int nNeedsId;
    unsigned nNeedsValues;
    // The refusal's text, with %d for the value; null: one naming the range.
    const char* szRefusal;

    static constexpr CmdFrame make(int p_nId, int p_nCode, Shape p_eShape, int p_nLow,
                                   int p_nHigh) {
        return {p_nId, p_nCode, p_eShape, p_nLow, p_nHigh, 0, nullptr, ALWAYS, 0, nullptr};
    }
    // Any value, sent as it is (its low byte).
    static constexpr CmdFrame unchecked(int p_nId, int p_nCode, Shape p_eShape) {
        return make(p_nId, p_nCode, p_eShape, INT_MIN, INT_MAX);
    }
    constexpr CmdFrame mapped(int (*p_pfnMap)(int)) const {
        CmdFrame frame = *this;
        frame.pfnMap = p_pfnMap;
        return frame;
    }
    constexpr CmdFrame only(unsigned p_nValues) const {
        CmdFrame frame = *this;
        frame.nOnly = p_nValues;
        return frame;
    }
    constexpr CmdFrame when(int p_nId, unsigned p_nValues) const {
        CmdFrame frame = *this;
        frame.nNeedsId = p_nId;
        frame.nNeedsValues = p_nValues;
        return frame;
    }
    constexpr CmdFrame withoutInfrared() const { return when(NO_INFRARED, 0); }
    constexpr CmdFrame refusing(const char* p_szText) const {
        CmdFrame frame = *this;
        frame.szRefusal = p_szText;
        return frame;
    }

    bool takes(int p_nValue) const;
    // "0..100", "0, 4 or 9", "0 or 5..31".
    std::string rangeText() const;
};

// A run of frame descriptions kept as static data.
struct CmdFrames {
    const CmdFrame* pBegin;
    const CmdFrame* pEnd;

    template <size_t N>
    CmdFrames(const CmdFrame (&p_frames)[N]) : pBegin(p_frames), pEnd(p_frames + N) {}
};

// The commands of the CMD camera modules. Parameters that map one value to
// one frame are described as data (CmdFrame); the setters here are the
// ones with more to them. Everything goes out through the controller's
// setParameterValue, so through its acknowledged transport.
class CmdCommandSet {
public:
    // p_frames: the module's frame descriptions, looked up in order (a
    // member's own before its family's). p_nGeneration and p_nIsInfrared
    // are the controller's fields, read at each command.
    CmdCommandSet(ISensorController& p_owner, SensorCache& p_cache, const int& p_nGeneration,
                  const int& p_nIsInfrared, std::initializer_list<CmdFrames> p_frames);

    // The id's described frame; 0 for an id without one.
    int applyFrame(int p_nId, int p_nValue);
    // Exposure mode (id 0): its frame, then the setting the new mode puts in
    // force: the cached shutter (id 7) in mode 1, the cached iris (id 5) in
    // mode 2.
    int setExposalMode(int p_nValue);
    // 0..3: the left-right (61) and up-down (66) flips; generation 4 modules
    // count the other way round.
    int setMirror(int p_nValue);

    int sendShort(int p_nCode, int p_nParameter);
    // 81 01 04 cc ll 00 0p 0q FF: the long shape with a lead byte ll.
    int sendLong(int p_nCode, int p_nValue, int p_nLead = 0);
    // Logs the refusal of a value (p_szText with %d) and gives 0.
    int refuse(const char* p_szText, int p_nValue);
    // True when the cache holds the id with one of the values (bit v).
    bool cachedIs(int p_nId, unsigned p_nValues);

private:
    const CmdFrame* frameOf(int p_nId) const;

    ISensorController& m_owner;
    SensorCache& m_cache;
    const int& m_nGeneration;
    const int& m_nIsInfrared;
    std::vector<CmdFrames> m_frames;
};

typedef ParameterRow<CmdCommandSet> CmdParameter;
typedef ParameterList<CmdCommandSet> CmdParameterList;

namespace CmdParameters {

// The row action of an id whose write is its described frame.
template <int Id>
int frame(ISensorController&, CmdCommandSet& p_commands, int p_nValue) {
    return p_commands.applyFrame(Id, p_nValue);
}

// Iris steps through the controller's own IrisUp/IrisDown; focus a step far
// or near (08 03/02) and the one-push focus trigger (18 01) as fixed frames.
int irisUp(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int irisDown(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int focusUp(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int focusDown(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int onePushTrigger(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int mirror(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
// The controller's own (virtual) focus mode.
int focusMode(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);

// Value mappings shared by the members.
int times14(int p_nValue);  // v x 14 / 100
int times15(int p_nValue);  // v x 15 / 100
int minusOne(int p_nValue);
// Exposure modes 0 auto, 1 shutter priority, 2 iris priority, 3 manual as
// the CMD7300 layout sends them (00, 0A, 0B, A0).
int exposureByte(int p_nValue);

}  // namespace CmdParameters

#endif
