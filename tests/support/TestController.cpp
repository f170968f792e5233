#include "support/TestController.h"

TestController::TestController(int p_nSensorType) : ISensorController(p_nSensorType) {
    m_pIdManager->addParameterId(ID_TYPE_COMMON, 1, 5);
    m_pIdManager->addParameterId(ID_TYPE_SET_ONLY, 6, 6);
    m_pIdManager->addParameterId(ID_TYPE_KEEP_DEFAULT, 7, 7);
    for (int id = 1; id <= 7; ++id) {
        hardware[id] = id * 10;
    }
    setSensorConfigVersion(3);
    setSensorConfigVersion2(1);
}

TestController::~TestController() {
    stopThreads();
}

int TestController::getMirrorValue(int& p_nMirror) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    p_nMirror = hardware[1];
    return 1;
}

int TestController::setSensorVideoSystem(int p_nVideoSystem, const VideoResolution&) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    videoSystem = p_nVideoSystem;
    return 1;
}

int TestController::initController(int, const ModuleConfigure&) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    return initResult;
}

int TestController::getParameterFromSensor(int p_nId, int& p_nValue) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    if (unreadableIds.count(p_nId) != 0) {
        return 0;
    }
    if (p_nId >= 1 && p_nId <= 7) {
        p_nValue = hardware[p_nId];
        return 1;
    }
    return ISensorController::getParameterFromSensor(p_nId, p_nValue);
}

int TestController::setParameterToSensor(int p_nId, int p_nValue) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    int base = ISensorController::setParameterToSensor(p_nId, p_nValue);
    if (base != -1) {
        return base;
    }
    applied.emplace_back(p_nId, p_nValue);
    if (failingIds.count(p_nId) != 0 || p_nValue < 0 || p_nValue > 100) {
        return 0;
    }
    hardware[p_nId] = p_nValue;
    return 1;
}

int TestController::getDNStatusFromSensor(int& p_nStatus) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    if (sensorStatusResult) {
        p_nStatus = sensorStatus;
    }
    return sensorStatusResult;
}

int TestController::set2AParam(int p_nStatus) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    judged.push_back(p_nStatus);
    return 0;
}

int TestController::turnPictureToDay() {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    calls.push_back("day");
    return pictureResult;
}

int TestController::turnPictureToNight() {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    calls.push_back("night");
    return pictureResult;
}

int TestController::turnToAutoDayNightMode() {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    calls.push_back("auto");
    return 1;
}

int TestController::turnToManualDayNightMode() {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    calls.push_back("manual");
    return 1;
}

int TestController::enterAutoMode() {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    calls.push_back("enterAuto");
    return 1;
}

int TestController::updateHDRMode(int p_nMode) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    calls.push_back("hdr:" + std::to_string(p_nMode));
    return 1;
}

int TestController::UpdateParameters(std::string& p_strValues) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    for (const auto& pair : drift) {
        UpdateParametersIdValue(p_strValues, pair.first, pair.second);
    }
    return 1;
}

int TestController::getZoomValue(int& p_nZoom, int& p_nRatio) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    p_nZoom = 0;
    p_nRatio = 1;
    return zoomResult;
}

int TestController::setParameterValue(const char* p_pBytes, int p_nLength) {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    frames.emplace_back(p_pBytes, static_cast<size_t>(p_nLength));
    return 1;
}

int TestController::NotifySensorInitComplate() {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    calls.push_back("notify");
    return 1;
}

void TestController::doDependOnThread() {
    std::lock_guard<std::recursive_mutex> guard(sensorMutex);
    ++dependCalls;
}

void layBoard(const ScratchRoot& p_root, int p_nSchemes) {
    p_root.makeDir("/mnt/mtd/code/config_file");
    p_root.makeDir("/mnt/mtd/log");
    p_root.writeFile("/hd1/moduleConfig/sensorAbility.xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<sensorAbility>\n"
                     "    <paramScheme>\n        <item name=\"SchemeNum\" value=\"" +
                         std::to_string(p_nSchemes) +
                         "\" />\n    </paramScheme>\n</sensorAbility>\n");
}
