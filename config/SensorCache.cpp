#include "SensorCache.h"

#include <cstdio>

#include "../platform/SensorParameterParser.h"

SensorCache::SensorCache() : m_cursor(m_values.end()) {}

SensorCache::~SensorCache() {
    clear();
}

int SensorCache::getSensorValue(int p_nId, int& p_nValue) {
    OVMutexManager guard(m_mutex);
    auto found = m_values.find(p_nId);
    if (found == m_values.end()) {
        return 0;
    }
    p_nValue = found->second;
    return 1;
}

int SensorCache::setSensorValue(int p_nId, int p_nValue) {
    OVMutexManager guard(m_mutex);
    m_values[p_nId] = p_nValue;
    return 1;
}

int SensorCache::isIdExist(int p_nId) {
    OVMutexManager guard(m_mutex);
    return m_values.count(p_nId) != 0 ? 1 : 0;
}

int SensorCache::isEqualToCache(int p_nId, int p_nValue) {
    OVMutexManager guard(m_mutex);
    auto found = m_values.find(p_nId);
    return found != m_values.end() && found->second == p_nValue ? 1 : 0;
}

int SensorCache::getFirstIdValue(int& p_nId, int& p_nValue) {
    OVMutexManager guard(m_mutex);
    if (m_values.empty()) {
        return 0;
    }
    m_cursor = m_values.begin();
    p_nId = m_cursor->first;
    p_nValue = m_cursor->second;
    return 1;
}

int SensorCache::getNextIdValue(int& p_nId, int& p_nValue) {
    OVMutexManager guard(m_mutex);
    if (m_cursor == m_values.end()) {
        return 0;
    }
    ++m_cursor;
    if (m_cursor == m_values.end()) {
        return 0;
    }
    p_nId = m_cursor->first;
    p_nValue = m_cursor->second;
    return 1;
}

void SensorCache::clear() {
    OVMutexManager guard(m_mutex);
    m_values.clear();
    m_cursor = m_values.end();
}

int SensorCache::getAllSensorValues(std::string& p_strText) {
    OVMutexManager guard(m_mutex);
    p_strText = SensorParameterParser::createSensorParameterString(m_values);
    return 1;
}

int SensorCache::setSensorValues(const std::string& p_strText) {
    OVMutexManager guard(m_mutex);
    if (!SensorParameterParser::parseSensorParameter(p_strText, m_values)) {
        std::puts("parseSensorParameter failed");
        return 0;
    }
    return 1;
}

int SensorCache::getSensorValues(const std::set<int>& p_ids, std::string& p_strText) {
    if (p_ids.empty()) {
        p_strText.clear();
        return 1;
    }
    std::map<int, int> values;
    for (int id : p_ids) {
        int value = 0;
        if (!getSensorValue(id, value)) {
            return 0;
        }
        values[id] = value;
    }
    p_strText = SensorParameterParser::createSensorParameterString(values);
    return 1;
}

int SensorCache::getSensorValues(const std::string& p_strIdList, std::string& p_strText) {
    std::set<int> ids;
    if (!SensorParameterParser::parseParameterIdList(p_strIdList, ids)) {
        std::printf("________SensorParameterParser::parseParameterIdList(%s) failed\n",
                    p_strIdList.c_str());
        return 0;
    }
    return getSensorValues(ids, p_strText);
}

std::size_t SensorCache::size() {
    OVMutexManager guard(m_mutex);
    return m_values.size();
}
