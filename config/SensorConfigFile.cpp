#include "SensorConfigFile.h"

#include <cstdio>
#include <vector>

#include "../platform/OVFile.h"
#include "../platform/SensorParameterParser.h"

namespace {

// A parameter file is a few kilobytes; anything this large is not one, and
// reading it whole could exhaust a small board's memory.
const uint64_t kMaxParameterFileBytes = 4u * 1024u * 1024u;

}  // namespace

SensorConfigFile::SensorConfigFile(const std::string& p_strPath)
    : m_nVersion(VERSION_UNSET), m_nVersion2(VERSION_UNSET), m_strPath(p_strPath) {}

SensorConfigFile::~SensorConfigFile() = default;

int SensorConfigFile::isExist() const {
    return OVFile::isExist(m_strPath.c_str());
}

int SensorConfigFile::readParametersFromFile(std::string& p_strText) {
    OVMutexManager guard(m_mutex);
    OVFile file;
    if (!file.open(m_strPath.c_str(), OVFile::MODE_READ)) {
        return 0;
    }
    uint64_t length = file.getLength();
    if (length > kMaxParameterFileBytes) {
        std::printf("________read file(%s) failed\n", m_strPath.c_str());
        return 0;
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    unsigned int count = file.read(buffer.data(), static_cast<unsigned int>(length));
    if (count != length) {
        std::printf("________read file(%s) failed\n", m_strPath.c_str());
        return 0;
    }
    p_strText.assign(buffer.data());
    return 1;
}

int SensorConfigFile::readParametersFromFile(std::map<int, int>& p_values) {
    std::string text;
    if (!readParametersFromFile(text)) {
        return 0;
    }
    return SensorParameterParser::parseSensorParameter(text, p_values) ? 1 : 0;
}

int SensorConfigFile::saveParametersToFile(const std::string& p_strText) {
    OVMutexManager guard(m_mutex);
    std::map<int, int> values;
    if (!SensorParameterParser::parseSensorParameter(p_strText, values)) {
        return 0;
    }
    OVFile file;
    if (!file.open(m_strPath.c_str(), OVFile::MODE_REPLACE)) {
        std::printf("________open file(%s) failed\n", m_strPath.c_str());
        return 0;
    }
    std::string content;
    if (values.count(VERSION_ID) != 0 || values.count(VERSION2_ID) != 0) {
        if (values.count(VERSION_ID) != 0) {
            values[VERSION_ID] = m_nVersion;
        }
        if (values.count(VERSION2_ID) != 0) {
            values[VERSION2_ID] = m_nVersion2;
        }
        content = SensorParameterParser::createSensorParameterString(values);
    } else {
        content = p_strText;
        if (m_nVersion != VERSION_UNSET) {
            SensorParameterParser::appendGroup(content, VERSION_ID, m_nVersion);
        }
        if (m_nVersion2 != VERSION_UNSET) {
            SensorParameterParser::appendGroup(content, VERSION2_ID, m_nVersion2);
        }
    }
    // The commit (close) is where the bytes reach the flash, so its failure
    // is a failed write too.
    if (file.write(content.data(), static_cast<unsigned int>(content.size())) == -1 ||
        !file.close()) {
        std::printf("________write file (%s) failed\n", m_strPath.c_str());
        return 0;
    }
    return 1;
}

int SensorConfigFile::saveParametersToFile(const std::map<int, int>& p_values) {
    return saveParametersToFile(SensorParameterParser::createSensorParameterString(p_values));
}

int SensorConfigFile::isStoredVersionEqual(int p_nVersionId, int p_nExpected) {
    std::map<int, int> values;
    if (!readParametersFromFile(values)) {
        return 0;
    }
    auto found = values.find(p_nVersionId);
    if (found == values.end()) {
        return 0;
    }
    return found->second == VERSION_ANY || found->second == p_nExpected ? 1 : 0;
}

int SensorConfigFile::isVersionEqual(int p_nExpected) {
    return isStoredVersionEqual(VERSION_ID, p_nExpected);
}

int SensorConfigFile::isVersion2Equal(int p_nExpected) {
    return isStoredVersionEqual(VERSION2_ID, p_nExpected);
}

int SensorConfigFile::readParameterById(int p_nId, int& p_nValue) {
    std::map<int, int> values;
    if (!readParametersFromFile(values)) {
        return 0;
    }
    auto found = values.find(p_nId);
    if (found == values.end()) {
        return 0;
    }
    p_nValue = found->second;
    return 1;
}

int SensorConfigFile::modifyParameter(int p_nId, int p_nValue) {
    std::map<int, int> values;
    if (!readParametersFromFile(values)) {
        return 0;
    }
    auto found = values.find(p_nId);
    if (found != values.end()) {
        found->second = p_nValue;
    }
    return saveParametersToFile(values);
}

int SensorConfigFile::modifyParameters(const std::map<int, int>& p_values) {
    std::map<int, int> stored;
    if (!readParametersFromFile(stored)) {
        return 0;
    }
    for (const auto& change : p_values) {
        if (change.first == VERSION_ID || change.first == VERSION2_ID) {
            continue;
        }
        auto found = stored.find(change.first);
        if (found != stored.end()) {
            found->second = change.second;
        }
    }
    return saveParametersToFile(stored);
}

int SensorConfigFile::modifyParameters(const std::string& p_strText) {
    std::map<int, int> values;
    if (!SensorParameterParser::parseSensorParameter(p_strText, values)) {
        return 0;
    }
    return modifyParameters(values);
}

int SensorConfigFile::modifyIdUnEqualParameters(const std::map<int, int>& p_values) {
    std::map<int, int> stored;
    if (!readParametersFromFile(stored)) {
        return 0;
    }
    std::map<int, int> reconciled;
    for (const auto& wanted : p_values) {
        if (wanted.first == VERSION_ID || wanted.first == VERSION2_ID) {
            continue;
        }
        auto found = stored.find(wanted.first);
        reconciled[wanted.first] = found != stored.end() ? found->second : wanted.second;
    }
    return saveParametersToFile(reconciled);
}

int SensorConfigFile::modifyIdUnEqualParameters(const std::string& p_strText) {
    std::map<int, int> values;
    if (!SensorParameterParser::parseSensorParameter(p_strText, values)) {
        return 0;
    }
    return modifyIdUnEqualParameters(values);
}
