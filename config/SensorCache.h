#ifndef SENSORCONTROL_CONFIG_SENSORCACHE_H
#define SENSORCONTROL_CONFIG_SENSORCACHE_H
/// @file
/// SensorCache, the thread-safe cache of parameter values.

#include <map>
#include <set>
#include <string>

#include "../platform/Export.h"
#include "../platform/OVMutex.h"

/// A thread-safe map from parameter id to value, with a cursor for walking it
/// in id order and conversion to and from parameter text.
class SC_EXPORT SensorCache {
public:
    SensorCache();
    ~SensorCache();
    SensorCache(const SensorCache&) = delete;
    SensorCache& operator=(const SensorCache&) = delete;

    /// 1 and the value when cached; 0 and the value untouched otherwise.
    int getSensorValue(int p_nId, int& p_nValue);
    /// Caches the value; 1.
    int setSensorValue(int p_nId, int p_nValue);
    /// Non-zero when the id is cached.
    int isIdExist(int p_nId);
    /// 1 only when the id is cached with exactly this value.
    int isEqualToCache(int p_nId, int p_nValue);

    /// The walk: the first entry, then one entry on each call; 0 at the end.
    /// The walk as a whole is not locked; clear() ends it.
    int getFirstIdValue(int& p_nId, int& p_nValue);
    /// The next entry of the walk; 0 at the end.
    int getNextIdValue(int& p_nId, int& p_nValue);

    /// Empties the cache.
    void clear();

    /// The whole cache as parameter text; 1.
    int getAllSensorValues(std::string& p_strText);
    /// Adds the pairs of a parameter text; 0 (with a console message) when the
    /// text is malformed, the pairs before the fault then being added.
    int setSensorValues(const std::string& p_strText);
    /// The values of the ids as parameter text: 1, or 0 with the text untouched
    /// when one of the ids is not cached. Each lookup locks on its own.
    int getSensorValues(const std::set<int>& p_ids, std::string& p_strText);
    /// The same for an id-list text "1,2,500"; 0 too when the list is malformed.
    int getSensorValues(const std::string& p_strIdList, std::string& p_strText);

    /// The number of cached ids.
    std::size_t size();

private:
    OVMutex m_mutex;
    std::map<int, int> m_values;
    std::map<int, int>::iterator m_cursor;
};

#endif
