// Parameter access: single and batch reads and writes, the read-back from the
// hardware, flush to the parameter files, and the two resets.
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "../platform/SensorParameterParser.h"
#include "ISensorController.h"

namespace {

// The lock sites name this file for the mutex's diagnostics.
const char* const kLockSource = "ISensorController.cpp";

const int kVersionId = SensorConfigFile::VERSION_ID;
const int kVersion2Id = SensorConfigFile::VERSION2_ID;

}  // namespace

int ISensorController::getParameter(int p_nId, int& p_nValue) {
    if (m_pSensorLastValueCache->getSensorValue(p_nId, p_nValue)) {
        return 1;
    }
    return m_pSensorCache->getSensorValue(p_nId, p_nValue);
}

int ISensorController::setParameter(int p_nId, int p_nValue) {
    if (p_nId == kVersionId || p_nId == kVersion2Id) {
        return 1;
    }
    // A failed write may have reached the hardware all the same (the module
    // took the value, its answer got lost): until a write of the id
    // succeeds, the cache does not say what the hardware holds.
    if (!isUnconfirmed(p_nId) && m_pSensorCache->isEqualToCache(p_nId, p_nValue)) {
        return 1;
    }
    if (setParameterToSensor(p_nId, p_nValue) != 1) {
        ErrorPrintf("setParameterToSensor (%d,%d) failed", p_nId, p_nValue);
        markUnconfirmed(p_nId);
        return 0;
    }
    confirm(p_nId);
    int stored = 1;
    switch (m_pIdManager->getIdType(p_nId)) {
        case ID_TYPE_COMMON:
        case ID_TYPE_ESPECIAL:
            stored = m_pSensorCache->setSensorValue(p_nId, p_nValue);
            break;
        case ID_TYPE_SET_ONLY:
            return 1;
        case ID_TYPE_KEEP_DEFAULT:
            if (m_pSensorCache->isIdExist(p_nId)) {
                return 1;
            }
            stored = m_pSensorCache->setSensorValue(p_nId, p_nValue);
            break;
        default:
            ErrorPrintf("id type is unknow");
            return 0;
    }
    if (!stored) {
        ErrorPrintf("setValue to cache failed");
        return 0;
    }
    return 1;
}

int ISensorController::partnerValue(int p_nPartnerId, int& p_nValue) {
    if (m_bBulkUpdate && m_pSensorLastValueCache->getSensorValue(p_nPartnerId, p_nValue)) {
        return 1;
    }
    return m_pSensorCache->getSensorValue(p_nPartnerId, p_nValue);
}

void ISensorController::markUnconfirmed(int p_nId) {
    std::lock_guard<std::mutex> guard(m_unconfirmedMutex);
    if (m_unconfirmedIds.insert(p_nId).second) {
        ++m_nUnconfirmed;
    }
}

// Nearly always none is unconfirmed: the count spares every write the lock.
bool ISensorController::isUnconfirmed(int p_nId) {
    if (m_nUnconfirmed == 0) {
        return false;
    }
    std::lock_guard<std::mutex> guard(m_unconfirmedMutex);
    return m_unconfirmedIds.count(p_nId) != 0;
}

void ISensorController::confirm(int p_nId) {
    if (m_nUnconfirmed == 0) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_unconfirmedMutex);
    if (m_unconfirmedIds.erase(p_nId) != 0) {
        --m_nUnconfirmed;
    }
}

int ISensorController::getParameters(const std::string& p_strIdList, std::string& p_strValues) {
    m_paramMutex.lock(kLockSource, __LINE__);
    int result = m_pSensorCache->getSensorValues(p_strIdList, p_strValues);
    m_paramMutex.unlock(kLockSource, __LINE__);
    return result;
}

int ISensorController::setParameters(const std::string& p_strValues) {
    OVMutexManager guard(m_paramMutex, kLockSource, __LINE__);
    return setParametersLocked(p_strValues);
}

int ISensorController::setParametersLocked(const std::string& p_strValues) {
    m_pSensorLastValueCache->clear();
    m_pSensorLastValueCache->setSensorValues(p_strValues);
    int result = 0;
    int id = 0;
    int value = 0;
    for (int more = m_pSensorLastValueCache->getFirstIdValue(id, value); more;
         more = m_pSensorLastValueCache->getNextIdValue(id, value)) {
        if (!setParameter(id, value)) {
            ErrorPrintf("setParameter (%d,%d) failed", id, value);
            result = id != 0 ? -id : FAILED_AT_ID_0;
            break;
        }
    }
    return result;
}

int ISensorController::getAllParameters(std::string& p_strValues) {
    if (!stopPTZ()) {
        ErrorPrintf("stop PTZ @getAllParameters failed");
        return 0;
    }
    std::string updated;
    if (!m_pSensorCache->getAllSensorValues(updated)) {
        ErrorPrintf("getAllSensorValues failed");
        return 0;
    }
    const std::string before = updated;
    if (!UpdateParameters(updated)) {
        ErrorPrintf("UpdateParameters() failed");
        return 0;
    }
    SensorCache read;
    if (!read.setSensorValues(updated)) {
        ErrorPrintf("setSensorValues failed");
        return 0;
    }
    SensorCache old;
    old.setSensorValues(before);
    // The update ran without the lock, and a scheme switch or another host
    // thread may have written meanwhile: only what the update read from the
    // module goes into the cache, never the rest of the older snapshot.
    bool changed = false;
    {
        OVMutexManager guard(m_paramMutex, kLockSource, __LINE__);
        int id = 0;
        int value = 0;
        for (int more = read.getFirstIdValue(id, value); more;
             more = read.getNextIdValue(id, value)) {
            if (!old.isEqualToCache(id, value)) {
                m_pSensorCache->setSensorValue(id, value);
                changed = true;
            }
        }
        m_pSensorCache->getAllSensorValues(p_strValues);
    }
    if (changed) {
        std::puts("save sensor parameter");
        flush();  // takes the lock itself
    }
    return 1;
}

int ISensorController::getAllParametersFromSensor(std::string& p_strValues) {
    std::set<int> lists[3];
    m_pIdManager->getCommonIdList(lists[0]);
    m_pIdManager->getEspecialIdList(lists[1]);
    m_pIdManager->getKeepDefaultValueList(lists[2]);
    SensorCache collected;
    for (const std::set<int>& ids : lists) {
        for (int id : ids) {
            int value = 0;
            if (!getParameterFromSensor(id, value)) {
                ErrorPrintf("getParameterFromSensor (%d) failed", id);
                return 0;
            }
            collected.setSensorValue(id, value);
        }
    }
    return collected.getAllSensorValues(p_strValues);
}

int ISensorController::flush() {
    OVMutexManager guard(m_paramMutex, kLockSource, __LINE__);
    OVMutexManager schemeGuard(m_schemeMutex, kLockSource, __LINE__);
    const int current = m_nCurrentScheme;  // the thread may switch meanwhile
    const bool schemeActive = current >= 0 &&
                              static_cast<size_t>(current) < m_vecParamScheme.size() &&
                              static_cast<size_t>(current) < m_vecSchemeFiles.size();
    if (schemeActive) {
        int window[5] = {0, 0, 0, 0, 0};
        for (int n = 0; n < 5; ++n) {
            m_pSensorCache->getSensorValue(500 + n, window[n]);
        }
        int start = window[1] * 100 + window[2] * 10;
        int end = window[3] * 100 + window[4] * 10;
        if (start > 2400) {
            return 505;
        }
        if (end > 2400) {
            return 506;
        }
        if (start >= end) {
            return 507;
        }
        ParamScheme& scheme = *m_vecParamScheme[static_cast<size_t>(current)];
        scheme.setEnableFlag(window[0]);
        scheme.setStartTime(start);
        scheme.setEndTime(end);
    }
    std::set<int> commonIds;
    std::set<int> especialIds;
    m_pIdManager->getCommonIdList(commonIds);
    m_pIdManager->getEspecialIdList(especialIds);
    if (!m_pFactoryFile->modifyParameters(cachedValues(especialIds, nullptr))) {
        return 508;
    }
    if (schemeActive) {
        SensorConfigFile& file = *m_vecSchemeFiles[static_cast<size_t>(current)];
        if (!file.saveParametersToFile(cachedValues(commonIds, &file) +
                                       cachedValues(especialIds, &file))) {
            return 508;
        }
    }
    if (!m_pEspecialFile->saveParametersToFile(cachedValues(especialIds, m_pEspecialFile.get()))) {
        return 508;
    }
    return 0;
}

std::string ISensorController::cachedValues(const std::set<int>& p_ids, SensorConfigFile* p_pFile) {
    std::string text;
    if (m_pSensorCache->getSensorValues(p_ids, text)) {
        return text;
    }
    // Some ids are not cached (a parameter set was applied only in part):
    // keep what the file holds for them rather than drop them from it.
    std::map<int, int> values;
    if (p_pFile != nullptr) {
        std::map<int, int> stored;
        p_pFile->readParametersFromFile(stored);
        for (const auto& pair : stored) {
            if (p_ids.count(pair.first) != 0) {
                values.insert(pair);
            }
        }
    }
    for (int id : p_ids) {
        int value = 0;
        if (m_pSensorCache->getSensorValue(id, value)) {
            values[id] = value;
        }
    }
    return SensorParameterParser::createSensorParameterString(values);
}

int ISensorController::resetParameters() {
    m_bBulkUpdate = true;
    if (!m_pFactoryFile->isExist()) {
        createSensorFile_Factory();
    }
    setParamSchemeModeToFile(0);
    setParamScheme(0);
    copySchemeFilesFromFactory();
    initSensorFilesHandler();
    resetSchemeFiles();
    loadSchemeParamToMemory();
    switchScheme(0);
    m_bBulkUpdate = false;
    std::puts("resetParameters success");
    return 1;
}

int ISensorController::resetToLastParameters() {
    m_bBulkUpdate = true;
    std::string values;
    if (!readParamByScheme(m_nCurrentScheme, values)) {
        ErrorPrintf("read user setting failed");
        m_bBulkUpdate = false;
        return 0;
    }
    m_paramMutex.lock(kLockSource, __LINE__);
    m_pSensorLastValueCache->clear();
    m_pSensorLastValueCache->setSensorValues(values);
    m_paramMutex.unlock(kLockSource, __LINE__);  // setParameters takes it again
    if (setParameters(values) != 0) {
        ErrorPrintf("setParameters @resetToLastParameters failed");
        m_bBulkUpdate = false;
        return 0;
    }
    if (flush() != 0) {
        ErrorPrintf("flush @resetToLastParameters false\n");
        m_bBulkUpdate = false;
        return 0;
    }
    m_bBulkUpdate = false;
    return 1;
}

void ISensorController::UpdateParametersIdValue(std::string& p_strValues, int p_nId, int p_nValue) {
    // The key is "(" and the id's digits; an entry of a longer id with the
    // same leading digits standing earlier is the one found.
    char key[10];
    std::snprintf(key, sizeof(key), "%c%d", '(', p_nId);
    std::string entry;
    SensorParameterParser::appendGroup(entry, p_nId, p_nValue);
    std::string::size_type start = p_strValues.find(key);
    if (start == std::string::npos) {
        p_strValues += entry;
        return;
    }
    std::string::size_type close = p_strValues.find(')', start);
    std::string::size_type length =
        close == std::string::npos ? std::string::npos : close - start + 1;
    p_strValues.replace(start, length, entry);
}

int ISensorController::stopPTZ() {
    if (!m_bIsUARTModule) {
        return 1;
    }
    if (m_pUART->write(m_nUARTIndex, "MENUON", 6) == 6) {
        return 1;
    }
    ErrorPrintf("stop PTZ @getAllParameters failed");
    return 0;
}

int ISensorController::getParameterFromSensor(int p_nId, int& p_nValue) {
    switch (p_nId) {
        case 500:
            return getEnableParam(p_nValue);
        case 501:
            return getParamStartTime_H(p_nValue);
        case 502:
            return getParamStartTime_M(p_nValue);
        case 503:
            return getParamEndTime_H(p_nValue);
        case 504:
            return getParamEndTime_M(p_nValue);
        default:
            return 0;
    }
}

int ISensorController::setParameterToSensor(int p_nId, int) {
    return p_nId >= 500 && p_nId <= 504 ? 1 : -1;
}

int ISensorController::setBaseSetting(int p_nSetting, int p_nValue) {
    switch (p_nSetting) {
        case BASE_DAYNIGHT_MODE:
            return setDayNightMode(p_nValue);
        case BASE_DTN_HOUR:
            return setDTNTime_H(p_nValue);
        case BASE_DTN_MINUTE:
            return setDTNTime_M(p_nValue);
        case BASE_NTD_HOUR:
            return setNTDTime_H(p_nValue);
        case BASE_NTD_MINUTE:
            return setNTDTime_M(p_nValue);
        case BASE_DN_SWITCH_DELAY:
            return setDNSwitchDelay(p_nValue);
        case BASE_TNF:
            return setTNF(p_nValue);
        case BASE_TNF_MODE:
            return setTNFMode(p_nValue);
        case BASE_NEAR_LIGHT:
            return setNearLight(p_nValue);
        case BASE_MIDDLE_LIGHT:
            return setMiddleLight(p_nValue);
        case BASE_FAR_LIGHT:
            return setFarLight(p_nValue);
        case BASE_POWER_MODE:
            return setPowerMode(p_nValue);
        default:
            return 0;
    }
}

int ISensorController::getBaseSetting(int p_nSetting, int& p_nValue) {
    switch (p_nSetting) {
        case BASE_DAYNIGHT_MODE:
            return getDayNightMode(p_nValue);
        case BASE_DTN_HOUR:
            return getDTNTime_H(p_nValue);
        case BASE_DTN_MINUTE:
            return getDTNTime_M(p_nValue);
        case BASE_NTD_HOUR:
            return getNTDTime_H(p_nValue);
        case BASE_NTD_MINUTE:
            return getNTDTime_M(p_nValue);
        case BASE_DN_SWITCH_DELAY:
            return getDNSwitchDelay(p_nValue);
        case BASE_TNF:
            return getTNF(p_nValue);
        case BASE_TNF_MODE:
            return getTNFMode(p_nValue);
        case BASE_NEAR_LIGHT:
            return getNearLight(p_nValue);
        case BASE_MIDDLE_LIGHT:
            return getMiddleLight(p_nValue);
        case BASE_FAR_LIGHT:
            return getFarLight(p_nValue);
        case BASE_POWER_MODE:
            return getPowerMode(p_nValue);
        default:
            return 0;
    }
}

const ParameterDescriptorList& ISensorController::schemeWindowDescriptions() {
    static constexpr ParameterDescriptor kWindow[] = {
        schemeWindowDescriptor(500, 1), schemeWindowDescriptor(501, 0),
        schemeWindowDescriptor(502, 0), schemeWindowDescriptor(503, 24),
        schemeWindowDescriptor(504, 0),
    };
    static const ParameterDescriptorList kList(kWindow);
    return kList;
}

int ISensorController::getParameterDescriptor(int p_nId, ParameterDescriptor& p_descriptor) const {
    // A controller may describe the window ids itself, where its reads of
    // them answer otherwise.
    if ((m_pDescriptions == nullptr || !m_pDescriptions->describe(p_nId, p_descriptor)) &&
        !schemeWindowDescriptions().describe(p_nId, p_descriptor)) {
        return 0;
    }
    p_descriptor.nIdType = m_pIdManager->getIdType(p_nId);
    return 1;
}

int ISensorController::getNextParameterDescriptor(int p_nAfter,
                                                  ParameterDescriptor& p_descriptor) const {
    ParameterDescriptor base;
    ParameterDescriptor own;
    bool hasBase = schemeWindowDescriptions().describeNext(p_nAfter, base) != 0;
    bool hasOwn = m_pDescriptions != nullptr && m_pDescriptions->describeNext(p_nAfter, own);
    if (!hasBase && !hasOwn) {
        return 0;
    }
    int next = hasOwn && (!hasBase || own.nId < base.nId) ? own.nId : base.nId;
    return getParameterDescriptor(next, p_descriptor);
}

namespace {

template <class Matches>
int findDescriptor(const ISensorController& p_controller, Matches p_matches,
                   ParameterDescriptor& p_descriptor) {
    ParameterDescriptor candidate;
    for (int after = INT_MIN; p_controller.getNextParameterDescriptor(after, candidate);
         after = candidate.nId) {
        if (p_matches(candidate)) {
            p_descriptor = candidate;
            return 1;
        }
    }
    return 0;
}

}  // namespace

int ISensorController::findParameterDescriptor(const char* p_szName,
                                               ParameterDescriptor& p_descriptor) const {
    return findDescriptor(
        *this,
        [p_szName](const ParameterDescriptor& p_candidate) {
            return std::strcmp(p_candidate.szName, p_szName) == 0;
        },
        p_descriptor);
}

int ISensorController::findParameterByRole(ParameterRole p_eRole,
                                           ParameterDescriptor& p_descriptor) const {
    return findDescriptor(
        *this,
        [p_eRole](const ParameterDescriptor& p_candidate) { return p_candidate.eRole == p_eRole; },
        p_descriptor);
}
