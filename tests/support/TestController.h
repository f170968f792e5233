#ifndef SENSORCONTROL_TESTS_SUPPORT_TESTCONTROLLER_H
#define SENSORCONTROL_TESTS_SUPPORT_TESTCONTROLLER_H

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/ISensorController.h"
#include "support/ScratchRoot.h"

// A small concrete controller over a pretend sensor: ids 1-5 are common
// parameters held in `hardware` (0..100, defaults 10, 20, ...), 6 is set-only
// and 7 keep-default. Every hook the base calls can be scripted and is
// counted, and the protected state is open to the tests.
class TestController : public ISensorController {
public:
    explicit TestController(int p_nSensorType = 99);
    ~TestController() override;

    int getMirrorValue(int& p_nMirror) override;
    int setSensorVideoSystem(int p_nVideoSystem, const VideoResolution& p_resolution) override;
    int initController(int p_nModuleId, const ModuleConfigure& p_config) override;
    int getParameterFromSensor(int p_nId, int& p_nValue) override;
    int setParameterToSensor(int p_nId, int p_nValue) override;
    int getDNStatusFromSensor(int& p_nStatus) override;
    int set2AParam(int p_nStatus) override;
    int turnPictureToDay() override;
    int turnPictureToNight() override;
    int turnToAutoDayNightMode() override;
    int turnToManualDayNightMode() override;
    int enterAutoMode() override;
    int updateHDRMode(int p_nMode) override;
    int UpdateParameters(std::string& p_strValues) override;
    int getZoomValue(int& p_nZoom, int& p_nRatio) override;
    int setParameterValue(const char* p_pBytes, int p_nLength) override;
    int NotifySensorInitComplate() override;
    void doDependOnThread() override;

    // Scripted behaviour.
    std::map<int, int> hardware;
    std::set<int> failingIds;     // setParameterToSensor fails for these
    std::set<int> unreadableIds;  // getParameterFromSensor fails for these
    int initResult = 1;
    int sensorStatus = 1;  // answer of getDNStatusFromSensor
    int sensorStatusResult = 1;
    int pictureResult = 1;
    int zoomResult = 1;
    std::map<int, int> drift;  // UpdateParameters sets these values

    // What the base called.
    std::vector<std::string> calls;  // "day", "night", "auto", "manual", "enterAuto", "hdr:N"
    std::vector<int> judged;         // set2AParam arguments
    std::vector<std::pair<int, int> > applied;  // setParameterToSensor calls
    std::vector<std::string> frames;            // setParameterValue bytes
    int videoSystem = -1;
    int dependCalls = 0;
    // Held by every hook, since the background thread and the test's calls
    // reach the pretend sensor at the same time.
    std::recursive_mutex sensorMutex;

    // Access to the base's protected state.
    using ISensorController::m_bBulkUpdate;
    using ISensorController::m_bDebugMode;
    using ISensorController::m_bDNSwitchEnable;
    using ISensorController::m_bInitFinished;
    using ISensorController::m_bIsUARTModule;
    using ISensorController::m_bNewInfrared;
    using ISensorController::m_bRealTimeUpdate;
    using ISensorController::m_DNLevelGpio;
    using ISensorController::m_InfraredLightGpio;
    using ISensorController::m_IrCutGpio;
    using ISensorController::m_nControllerState;
    using ISensorController::m_nCurrentScheme;
    using ISensorController::m_nDayNightMode;
    using ISensorController::m_nDNDefault;
    using ISensorController::m_nDNState;
    using ISensorController::m_nDNSwitchDelay;
    using ISensorController::m_nDTNTime;
    using ISensorController::m_nHDRMode;
    using ISensorController::m_nIsInfrared;
    using ISensorController::m_nISPDelayTime;
    using ISensorController::m_nLastA0;
    using ISensorController::m_nLastDayNightMode;
    using ISensorController::m_nLastDC;
    using ISensorController::m_nLastEE;
    using ISensorController::m_nLastTM;
    using ISensorController::m_nNTDTime;
    using ISensorController::m_nParamMode;
    using ISensorController::m_nSensorType;
    using ISensorController::m_nTNF;
    using ISensorController::m_nTNFMode;
    using ISensorController::m_nTNFValue;
    using ISensorController::m_nUARTIndex;
    using ISensorController::m_pEE;
    using ISensorController::m_pISPParam;
    using ISensorController::m_pSensorCache;
    using ISensorController::m_pSensorLastValueCache;
    using ISensorController::m_SensorStatus;
    using ISensorController::m_vecParamScheme;
    using ISensorController::m_vecSchemeFiles;
};

// The board files a controller needs on its first start: the directories of
// the parameter files and logs, and sensorAbility.xml with the scheme count.
void layBoard(const ScratchRoot& p_root, int p_nSchemes);

#endif
