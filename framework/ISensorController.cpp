// The controller base's object model: construction, destruction and the base
// behaviour of the simple virtual slots.
#include "ISensorController.h"

#include "../platform/internal/TextScan.h"

#include <cstdio>
#include <cstring>

#include "../platform/OVFile.h"

namespace {

const char* const kFactoryFilePath = "/mnt/mtd/code/config_file/sensor_Factory.cfg";
const char* const kEspecialFilePath = "/mnt/mtd/code/config_file/sensor_Especial.cfg";
const char* const kDebugMarkerPath = "/factory_setting/SensorControlDebug";
const int kDebugBufferSize = 100;

std::atomic<int> s_nDestroyedWithThreadsRunning{0};

}  // namespace

ISensorController::ISensorController(int p_nSensorType)
    : m_nSensorType(p_nSensorType),
      m_nUARTIndex(-1),
      m_bIsUARTModule(false),
      m_SensorStatus(1),
      m_nControllerState(1),
      m_nConfigVersion(0),
      m_nConfigVersion2(0),
      m_pIdManager(new IdManager()),
      m_pSensorLastValueCache(new SensorCache()),
      m_pSensorCache(new SensorCache()),
      m_nDayNightMode(0),
      m_nLastDayNightMode(-1),
      m_nDNSwitchDelay(5),
      m_dDelayStartTime(0.0),
      m_nLastJudgedStatus(-1),
      m_pDebugBuf(new char[kDebugBufferSize]()),
      m_bDNSwitchEnable(true),
      m_bInitFinished(false),
      m_nIsInfrared(0),
      m_bNewInfrared(false),
      m_nDNState(-1),
      m_nISPDNState(-1),
      m_nDNDefault(0),
      m_nTNF(1),
      m_nTNFMode(1),
      m_nTNFAppliedMode(-1),
      m_nTNFAppliedValue(-1),
      m_nTNFValue(0),
      m_nDNSetup(1),
      m_nInfraredSetup(1),
      m_nInfraredLevel(0),
      m_errorLog(new SensorLog()),
      m_initLog(new SensorLog()),
      m_nHDRMode(0),
      m_bDebugMode(0),
      m_pFactoryFile(new SensorConfigFile(kFactoryFilePath)),
      m_pEspecialFile(new SensorConfigFile(kEspecialFilePath)),
      m_pISPParam(new ISPParam()),
      m_nLastA0(-100),
      m_nLastTM(-100),
      m_nLastDC(-100),
      m_nLastEE(-100),
      m_pEE(new EE()),
      m_bRealTimeUpdate(false),
      m_nISPDelayTime(1),
      m_nDTNTime(6677),
      m_nNTDTime(8899),
      m_bBulkUpdate(false),
      m_nCurrentScheme(-2),
      m_nParamMode(1),
      m_bSchemeFlag(false) {
    // The scheme window belongs to every controller.
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 500, 504);
    // The files carry the versions from the start, so that a controller
    // that sets none of its own finds its files current at the next start
    // instead of losing them to the version check every time.
    setSensorConfigVersion(m_nConfigVersion);
    setSensorConfigVersion2(m_nConfigVersion2);
    {
        OVFile marker;
        if (marker.open(kDebugMarkerPath, OVFile::MODE_READ)) {
            m_bDebugMode = 1;
            std::puts(
                "*********In sensor debug mode (/factory_setting/SensorControlDebug)*********");
        }
    }
    m_DNChangeThread = addThread(bind_funcobj(this, &ISensorController::DNChangeThreadBody),
                                 "DayNightChangeThread");
}

ISensorController::~ISensorController() {
    bool running = false;
    for (const std::unique_ptr<GThread>& thread : m_threads) {
        running = running || thread->IsRunning();
    }
    if (running) {
        // Too late to be safe: the derived parts are gone. Stop them anyway,
        // so that at least nothing outlives the base.
        s_nDestroyedWithThreadsRunning++;
        std::fprintf(stderr,
                     "ISensorController(%d) destroyed with its threads running: stopThreads() "
                     "must come first\n",
                     m_nSensorType);
    }
    stopThreads();
    m_threads.clear();
    m_pFactoryFile.reset();
    m_pEspecialFile.reset();
    m_pDebugBuf.reset();
    m_pIdManager.reset();
    m_pISPParam.reset();
    m_pSensorLastValueCache.reset();
    m_pSensorCache.reset();
    m_pEE.reset();
    m_vecSchemeFiles.clear();
    m_vecParamScheme.clear();
}

void ISensorController::stopThreads() {
    {
        std::lock_guard<std::mutex> lock(m_threadsMutex);
        m_bThreadsStopped = true;
    }
    // The day/night thread first: its cycle may start a family's thread.
    for (const std::unique_ptr<GThread>& thread : m_threads) {
        thread->stop();
    }
}

int ISensorController::destroyedWithThreadsRunning() {
    return s_nDestroyedWithThreadsRunning.load();
}

GThread* ISensorController::addThread(const function<int>& p_body, const char* p_szName) {
    std::lock_guard<std::mutex> lock(m_threadsMutex);
    m_threads.emplace_back(new GThread(p_body, p_szName, GThread::emptyFun, GThread::emptyFun));
    return m_threads.back().get();
}

int ISensorController::startThread(GThread* p_pThread) {
    std::lock_guard<std::mutex> lock(m_threadsMutex);
    if (m_bThreadsStopped) {
        return 0;
    }
    return p_pThread->start();
}

int ISensorController::updateSensorVideoSystem(int, const VideoResolution&) {
    return 1;
}

int ISensorController::set2AParam(int) {
    return 0;
}

int ISensorController::getCameraVerInf(std::string&) {
    return 0;
}

int ISensorController::restoreAeMode() {
    return 0;
}

int ISensorController::setRunAutoIris() {
    return 0;
}

int ISensorController::IrisUp() {
    return 0;
}

int ISensorController::IrisDown() {
    return 0;
}

int ISensorController::FocusFar(int) {
    return 0;
}

int ISensorController::FocusNear(int) {
    return 0;
}

int ISensorController::ZoomIn(int) {
    return 0;
}

int ISensorController::ZoomOut(int) {
    return 0;
}

int ISensorController::getZoomValue(int&, int&) {
    return 0;
}

int ISensorController::setZoomValue(int) {
    return 0;
}

int ISensorController::setFocusValue(int) {
    return 0;
}

int ISensorController::getFocusValue(int&) {
    return 0;
}

int ISensorController::setFocusMode(int) {
    return 0;
}

int ISensorController::getFocusMode(int&) {
    return 0;
}

int ISensorController::StopZoomContrl() {
    return 0;
}

int ISensorController::StopFocusContrl() {
    return 0;
}

int ISensorController::StopIris() {
    return 0;
}

int ISensorController::setZoomAndFocusValue(int, int) {
    return 0;
}

int ISensorController::getCameraFocusMode(int&) {
    return 0;
}

int ISensorController::getStillImageValue(int&) {
    return 0;
}

int ISensorController::NotifySensorInitComplate() {
    return 1;
}

int ISensorController::UpdateParameters(std::string&) {
    return 1;
}

int ISensorController::getParameterValue(const char*, int, char*, int) {
    return 1;
}

int ISensorController::setParameterValue(const char*, int) {
    return 1;
}

int ISensorController::initFactorySetting() {
    return 1;
}

int ISensorController::getCurrentGain(int&) {
    return 0;
}

int GPIOTriple::parse(const std::string& p_strText) {
    int values[3] = {nGroup, nBit, nDayLevel};
    int count = scanCommaInts(p_strText, values, 3);
    nGroup = values[0];
    nBit = values[1];
    nDayLevel = values[2];
    return count;
}
