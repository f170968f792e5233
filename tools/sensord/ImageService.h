#ifndef SENSORD_IMAGESERVICE_H
#define SENSORD_IMAGESERVICE_H

#include <deque>
#include <ios>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "EventStream.h"
#include "framework/ParameterDescriptor.h"

class Host;

// The camera's image settings as every client of sensord sees them: one
// controller, held for as long as the service runs, reached through the
// library's public API only. Each call is serialised on the controller (a
// serial module answers one exchange at a time); the descriptors are read
// once at start, as they never change for a controller.
class ImageService {
public:
    enum class Outcome {
        OK,
        UNKNOWN,      // no such parameter, scheme or operation on this module
        REFUSED,      // the descriptor does not take the value: nothing was sent
        FAILED,       // the module or a file failed; what was changed is put back
        UNAVAILABLE,  // the service is stopping
    };
    struct Result {
        Outcome eOutcome = Outcome::OK;
        int nId = 0;          // the parameter the outcome is about, if any
        std::string strText;  // a sentence a person can act on; empty for OK
        bool ok() const { return eOutcome == Outcome::OK; }
    };
    using Values = std::vector<std::pair<int, int> >;  // (id, value), in order given

    struct Status {
        int nModuleId = 0;
        std::string strModule;    // "hi351x"
        int nDayNightMode = 0;    // the library's mode: 0 auto, 1 day, 2 night, ...
        int nDayNightState = -1;  // 1 day, 0 night, -1 none yet
        bool bHasSceneLevel = false;
        int nSceneLevel = 0;           // the darkness the camera measures, where it has one
        int nScheme = -2;              // active scheme; -1 factory set, -2 none yet
        int nSchemeMode = 0;           // 0 manual, 1 automatic (by time window)
        bool bModuleAnswering = true;  // false once a write failed until one succeeds
    };
    struct Scheme {
        int nIndex = 0;
        bool bEnabled = false;
        int nStartHour = 0;
        int nStartMinute = 0;  // minutes, a multiple of 10
        int nEndHour = 0;
        int nEndMinute = 0;
        bool bActive = false;
    };
    struct FocusState {
        bool bHasLens = false;
        int nPosition = 0;
        bool bMoving = false;
    };

    // p_host is booted and outlives the service.
    explicit ImageService(Host& p_host);
    ~ImageService();
    ImageService(const ImageService&) = delete;
    ImageService& operator=(const ImageService&) = delete;

    // Every described parameter, in id order.
    const std::vector<ParameterDescriptor>& descriptors() const { return m_descriptors; }
    // Null when the module has no such parameter.
    const ParameterDescriptor* find(int p_nId) const;
    const ParameterDescriptor* findByName(const std::string& p_strName) const;
    // The lowest id with the role, or null.
    const ParameterDescriptor* findByRole(ParameterRole p_eRole) const;
    // "brightness takes 0..100 (%); 300 refused", empty when the value is taken.
    std::string refusal(int p_nId, int p_nValue) const;

    // The current value (the library's cache); false when the id has none
    // (an action, a set-only id).
    bool get(int p_nId, int& p_nValue);
    // Every described id that has a value, in id order.
    Values getAll();

    // All or nothing: every value is checked against its descriptor first
    // (REFUSED names the first refused, nothing is sent); then the batch
    // goes to the controller; a failure half way puts back what was already
    // changed (FAILED). With p_bPersist the values are saved before this
    // returns OK. Each change is published on the event stream with
    // p_strOrigin (the user's name).
    Result set(const Values& p_values, bool p_bPersist, const std::string& p_strOrigin);

    Status status();
    std::vector<Scheme> schemes();
    // Applies scheme p_nIndex and keeps it (scheme mode manual).
    Result applyScheme(int p_nIndex, const std::string& p_strOrigin);
    // Scheme mode 0 manual, 1 automatic by the windows.
    Result setSchemeMode(int p_nMode, const std::string& p_strOrigin);
    // Gives scheme p_window.nIndex its window (saved at once) without
    // applying the scheme; bActive is ignored.
    Result setSchemeWindow(const Scheme& p_window, const std::string& p_strOrigin);

    // The lens, on modules that have one (a FOCUS_MODE or FOCUS_POSITION role).
    FocusState focus();
    // Continuous move: p_nSpeed > 0 far, < 0 near (1..8 on the module's scale).
    Result focusMove(int p_nSpeed);
    // Absolute position in the FOCUS_POSITION descriptor's range.
    Result focusTo(int p_nPosition);
    Result focusStop();

    // Saves what is in memory (shutdown, ForcePersistence=false clients).
    Result save();
    // Refuses every further call with UNAVAILABLE and ends the event stream.
    void shutdown();

    // The last 24 hours as the settings page charts them: one sample a
    // minute (the scene level where the module has one, the day/night
    // state, the scheme) and every day/night and scheme switch. Times are
    // seconds on the camera's clock (virtual under --virtual-time) with
    // the wall time beside them.
    struct Sample {
        double dSeconds = 0;
        std::string strWall;  // "2026-12-07T18:30:00"
        bool bHasLevel = false;
        int nLevel = 0;
        int nState = -1;
        int nScheme = -2;
    };
    struct Switch {
        double dSeconds = 0;
        std::string strWall;
        std::string strType;  // "daynight" or "scheme"
        int nValue = 0;       // the state entered (1 day, 0 night) or the scheme
    };
    void history(std::vector<Sample>& p_samples, std::vector<Switch>& p_switches);
    // The camera's clock now, in the samples' seconds.
    double clockSeconds() const;

    EventStream& events() { return m_events; }
    // Follows what the controller's own threads change (day/night state and
    // mode, the scheme): called about four times a second by the service's
    // watcher; publishes what changed since the last call.
    void poll();

private:
    Result failure(Outcome p_eOutcome, int p_nId, const std::string& p_strText);
    Result saveLocked();
    // The value the controller holds for one id ("7").
    bool held(const std::string& p_strId, int& p_nValue);
    // The entries of p_before whose id holds another value now.
    Values changedSince(const Values& p_before);
    // Writes p_before back where it changed; says whether that worked or
    // what is left changed (saved and published, as it is what the module
    // holds).
    std::string putBack(const Values& p_before, const std::string& p_strOrigin);
    // What the error log says went wrong since the mark, as a reason.
    std::string why(std::streamoff p_nMark) const;
    void publishValues(const Values& p_values, const std::string& p_strOrigin);

    Host& m_host;
    std::vector<ParameterDescriptor> m_descriptors;
    std::mutex m_mutex;  // one call at a time on the controller
    bool m_bStopping = false;
    bool m_bModuleAnswering = true;
    bool m_bFocusMoving = false;
    EventStream m_events;
    void recordLocked(int p_nState, int p_nScheme, bool p_bStateChanged, bool p_bSchemeChanged);

    std::deque<Sample> m_samples;
    std::deque<Switch> m_switches;
    double m_dNextSample = 0;
    int m_nSeenState = -2;
    int m_nSeenMode = -100;
    int m_nSeenScheme = -100;
};

#endif
