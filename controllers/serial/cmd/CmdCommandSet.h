#ifndef SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMDCOMMANDSET_H
#define SENSORCONTROL_CONTROLLERS_SERIAL_CMD_CMDCOMMANDSET_H

#include <initializer_list>
#include <vector>

#include "../../../config/SensorCache.h"
#include "../../../framework/ISensorController.h"
#include "../../../framework/ParameterTable.h"

/// How a parameter's value becomes one command frame of a CMD module:
///   short: 81 01 04 cc pp FF           one parameter byte pp
///   long:  81 01 04 cc 00 00 0p 0q FF  a value below 256 as its two nibbles
/// The values an id takes are its row's: the table refuses the others before
/// the frame is built. The frame adds a condition on another parameter (not
/// holding: 1, nothing sent) and how the value is mapped and sent.
struct CmdFrame {
    /// The frame's shape: a short or a long parameter.
    enum Shape { SHORT, LONG };
    enum { ALWAYS = -1, NO_INFRARED = -2 };

    /// Values as a bit set (bit v for value v, v below 32).
    static constexpr unsigned anyOf(std::initializer_list<int> p_values) {
        unsigned mask = 0;
        for (int value : p_values) {
            mask |= 1u << value;
        }
        return mask;
    }

    /// The parameter id.
    int nId;
    /// The command code.
    int nCode;
    /// The frame's shape.
    Shape eShape;
    /// The value sent for the value given; null sends it as given.
    int (*pfnMap)(int);
    /// ALWAYS; NO_INFRARED (only without a lamp board); or the id whose
    /// cached value must be one of nNeedsValues.
    int nNeedsId;
    /// The values of nNeedsId the frame is sent for (a bit per value).
    unsigned nNeedsValues;

    /// A frame of an id, its code and shape.
    static constexpr CmdFrame make(int p_nId, int p_nCode, Shape p_eShape) {
        return {p_nId, p_nCode, p_eShape, nullptr, ALWAYS, 0};
    }
    /// The same frame with its value mapped first.
    constexpr CmdFrame mapped(int (*p_pfnMap)(int)) const {
        CmdFrame frame = *this;
        frame.pfnMap = p_pfnMap;
        return frame;
    }
    /// The same frame, sent only while the cached id holds one of the values.
    constexpr CmdFrame when(int p_nId, unsigned p_nValues) const {
        CmdFrame frame = *this;
        frame.nNeedsId = p_nId;
        frame.nNeedsValues = p_nValues;
        return frame;
    }
    /// The same frame, sent only without an IR lamp board.
    constexpr CmdFrame withoutInfrared() const { return when(NO_INFRARED, 0); }
};

/// A run of frame descriptions kept as static data.
struct CmdFrames {
    /// The first frame.
    const CmdFrame* pBegin;
    /// Past the last frame.
    const CmdFrame* pEnd;

    template <size_t N>
    /// The frames of a static array.
    CmdFrames(const CmdFrame (&p_frames)[N]) : pBegin(p_frames), pEnd(p_frames + N) {}
};

/// The commands of the CMD camera modules. Parameters that map one value to
/// one frame are described as data (CmdFrame); the setters here are the
/// ones with more to them. Everything goes out through the controller's
/// setParameterValue, so through its acknowledged transport.
class CmdCommandSet {
public:
    /// A row of the CMD parameter tables.
    typedef ParameterRow<CmdCommandSet> Row;
    /// A member's own words for a value its table refused: true when it
    /// logged them, false to leave the refusal to the command set.
    typedef bool (*Explanation)(ISensorController& p_owner, int p_nId, int p_nValue);

    /// p_frames: the module's frame descriptions, looked up in order (a
    /// member's own before its family's). p_nGeneration and p_nIsInfrared
    /// are the controller's fields, read at each command.
    CmdCommandSet(ISensorController& p_owner, SensorCache& p_cache, const int& p_nGeneration,
                  const int& p_nIsInfrared, std::initializer_list<CmdFrames> p_frames);

    /// The controller's parameter table: what each id takes, also when a
    /// setting is sent on behalf of another (a mode bringing its shutter).
    void describedBy(const ParameterTable<CmdCommandSet>* p_pParameters) {
        m_pParameters = p_pParameters;
    }
    /// The hook that explains a refused value in the log.
    void explainRefusalsBy(Explanation p_pfnExplain) { m_pfnExplain = p_pfnExplain; }
    /// The table's refusal log for rows without a text of their own: the
    /// member's explanation, or "value %d is out of range" with what the row
    /// takes ("0..100", "0, 4 or 9", "0..5 or 8..9").
    void refused(const Row& p_row, int p_nValue);

    /// The id's described frame; 0 for an id without one.
    int applyFrame(int p_nId, int p_nValue);
    /// Exposure mode (id 0): its frame, then the setting the new mode puts in
    /// force: the cached shutter (id 7) in mode 1, the cached iris (id 5) in
    /// mode 2.
    int setExposalMode(int p_nValue);
    /// The left-right (61) and up-down (66) flips of a kMirror value;
    /// generation 4 modules count the other way round.
    int setMirror(int p_nValue);

    /// Sends a command with a one-byte parameter.
    int sendShort(int p_nCode, int p_nParameter);
    /// 81 01 04 cc ll 00 0p 0q FF: the long shape with a lead byte ll.
    int sendLong(int p_nCode, int p_nValue, int p_nLead = 0);
    /// True when the cache holds the id with one of the values (bit v).
    bool cachedIs(int p_nId, unsigned p_nValues);

private:
    const CmdFrame* frameOf(int p_nId) const;
    /// A cached value sent on behalf of another id: refused as the table
    /// would refuse it, without the failure text (nobody asked to write it).
    int applyCached(int p_nId, int p_nValue);

    ISensorController& m_owner;
    SensorCache& m_cache;
    const int& m_nGeneration;
    const int& m_nIsInfrared;
    std::vector<CmdFrames> m_frames;
    const ParameterTable<CmdCommandSet>* m_pParameters = nullptr;
    Explanation m_pfnExplain = nullptr;
};

typedef CmdCommandSet::Row CmdParameter;
typedef ParameterList<CmdCommandSet> CmdParameterList;

namespace CmdParameters {

/// The row action of an id whose write is its described frame.
template <int Id>
int frame(ISensorController&, CmdCommandSet& p_commands, int p_nValue) {
    return p_commands.applyFrame(Id, p_nValue);
}

/// Iris steps through the controller's own IrisUp/IrisDown; focus a step far
/// or near (08 03/02) and the one-push focus trigger (18 01) as fixed frames.
int irisUp(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int irisDown(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int focusUp(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int focusDown(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int onePushTrigger(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int mirror(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
int exposalMode(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);
/// The controller's own (virtual) focus mode.
int focusMode(ISensorController& p_owner, CmdCommandSet& p_commands, int p_nValue);

/// The modules' own switch, as the value and as the byte sent: 02 on, 03 off.
extern const ParameterMenuEntry kSwitch[2];

/// Value mappings shared by the members.
int times14(int p_nValue);  // v x 14 / 100
int times15(int p_nValue);  // v x 15 / 100
int minusOne(int p_nValue);
/// Exposure modes 0 auto, 1 shutter priority, 2 iris priority, 3 manual as
/// the CMD7300 layout sends them (00, 0A, 0B, A0).
int exposureByte(int p_nValue);

}  // namespace CmdParameters

#endif
