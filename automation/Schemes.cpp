// Parameter schemes of the controller base: the scheme windows, automatic
// selection by the clock, manual selection, and the scheme state file
// "sensor.xml".
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "../framework/ISensorController.h"
#include "../platform/OVFile.h"
#include "../platform/XmlConfigure.h"

namespace {

const char* const kSchemeStatePath = "/mnt/mtd/code/config_file/sensor.xml";
const char* const kSchemeCountPath = "/hd1/moduleConfig/sensorAbility.xml";
// More schemes than this is a broken sensorAbility.xml, not a camera: each
// scheme costs a parameter file on flash.
const int kMaxSchemeCount = 64;

std::string decimal(int p_nValue) {
    char text[16] = {0};
    std::snprintf(text, sizeof(text), "%d", p_nValue);
    return text;
}

// Opens the scheme state file in the mode and finds its first "paramScheme"
// item of that name. False when the file is missing, cannot be opened (said
// on the console) or has no such item.
bool openSchemeItem(XmlConfigureTool& p_tool, int p_nMode, const std::string& p_strName,
                    SafePointer<XmlConfigureItem>& p_item) {
    if (!OVFile::isExist(kSchemeStatePath)) {
        return false;
    }
    if (!p_tool.open(kSchemeStatePath, 1, p_nMode)) {
        std::printf("open %s failed\n", kSchemeStatePath);
        return false;
    }
    SafePointer<XmlConfigureNode> node;
    std::vector<SafePointer<XmlConfigureItem> > items;
    if (p_tool.getConfigNode("paramScheme", node)) {
        node->getItemList(items);
    }
    for (const auto& item : items) {
        std::string name;
        if (item->getProperty("name", name) && name == p_strName) {
            p_item = item;
            return true;
        }
    }
    return false;
}

}  // namespace

int ISensorController::loadSchemeParamToMemory() {
    OVMutexManager guard(m_schemeMutex);
    m_vecParamScheme.clear();
    for (const auto& file : m_vecSchemeFiles) {
        int window[5] = {0, 0, 0, 0, 0};
        for (int n = 0; n < 5; ++n) {
            file->readParameterById(500 + n, window[n]);
        }
        std::unique_ptr<ParamScheme> scheme(new ParamScheme());
        scheme->setEnableFlag(window[0]);
        scheme->setStartTime(window[1] * 100 + window[2] * 10);
        scheme->setEndTime(window[3] * 100 + window[4] * 10);
        m_vecParamScheme.push_back(std::move(scheme));
    }
    return 1;
}

int ISensorController::readParamByScheme(int p_nScheme, std::string& p_strValues) {
    if (p_nScheme == -1) {
        return m_pFactoryFile->readParametersFromFile(p_strValues);
    }
    OVMutexManager guard(m_schemeMutex);
    if (p_nScheme < 0 || static_cast<size_t>(p_nScheme) >= m_vecSchemeFiles.size()) {
        return 0;
    }
    return m_vecSchemeFiles[static_cast<size_t>(p_nScheme)]->readParametersFromFile(p_strValues);
}

int ISensorController::readCurrentParam(int& p_nScheme, std::string& p_strValues) {
    OVDeviceTime time = OVDeviceTime::getCurrentTime();
    int now = time.hour * 100 + time.minute;
    int selected = -1;
    {
        OVMutexManager guard(m_schemeMutex);
        for (size_t index = 0; index < m_vecParamScheme.size(); ++index) {
            int enable = 0;
            int start = 0;
            int end = 0;
            m_vecParamScheme[index]->getEnableFlag(enable);
            m_vecParamScheme[index]->getStartTime(start);
            m_vecParamScheme[index]->getEndTime(end);
            if (enable != 0 && start <= now && now < end) {
                selected = static_cast<int>(index);
                break;
            }
        }
    }
    p_nScheme = selected;
    readParamByScheme(selected, p_strValues);
    return 1;
}

int ISensorController::switchScheme(int p_nScheme) {
    std::string values;
    if (!readParamByScheme(p_nScheme, values)) {
        return 0;
    }
    int result = 0;
    {
        // The index and the values change together for a flush.
        OVMutexManager guard(m_paramMutex);
        m_nCurrentScheme = p_nScheme;
        std::printf("switch param(p_Scheme=%d):\n %s\n", p_nScheme, values.c_str());
        bool bulkBefore = m_bBulkUpdate;
        m_bBulkUpdate = true;
        result = setParametersLocked(values);
        m_bBulkUpdate = bulkBefore;
    }
    if (result != 0) {
        // The index stays, so the automatic selection does not retry the same
        // scheme every second.
        ErrorPrintf("m_pSensorLastValueCache->setSensorValues() @switchParam failed\n");
        return 0;
    }
    setParamSchemeToFile(p_nScheme);
    return 1;
}

int ISensorController::setParamScheme(int p_nScheme) {
    std::printf("#########ISensorController::setParamScheme %d\n", p_nScheme);
    flush();
    if (p_nScheme == m_nCurrentScheme) {
        return 1;
    }
    return switchScheme(p_nScheme);
}

int ISensorController::getParamScheme(int& p_nScheme) {
    p_nScheme = m_nCurrentScheme;
    return 1;
}

int ISensorController::setParamMode(int p_nMode) {
    std::printf("ISensorController::setParamMode:%d\n", p_nMode);
    if (!setParamSchemeModeToFile(p_nMode)) {
        ErrorPrintf("setParamSchemeModeToFile @setParamMode failed");
        return 0;
    }
    m_nParamMode = p_nMode;
    return 1;
}

int ISensorController::getParamMode(int& p_nMode) {
    p_nMode = m_nParamMode;
    std::printf("ISensorController::getParamMode:%d\n", p_nMode);
    return 1;
}

int ISensorController::paramSchemeSwitchBody() {
    printDebugMessage();
    if (m_nParamMode == 0 || m_bBulkUpdate) {
        return 0;
    }
    int scheme = -2;
    std::string values;
    if (!readCurrentParam(scheme, values)) {
        std::puts("readCurrentParam failed");
        return -1;
    }
    if (scheme != m_nCurrentScheme) {
        ErrorPrintf("Auto switch  Scheme to:%d", scheme);
        if (!switchScheme(scheme)) {
            ErrorPrintf("Auto switch  Scheme error \n");
        }
    }
    return 0;
}

int ISensorController::setSchemeWindow(int p_nScheme, bool p_bEnabled, int p_nStart, int p_nEnd) {
    auto isTime = [](int p_nTime) {
        return p_nTime >= 0 && p_nTime <= 2400 && p_nTime % 100 < 60 && p_nTime % 10 == 0;
    };
    if (!isTime(p_nStart)) {
        return 505;
    }
    if (!isTime(p_nEnd)) {
        return 506;
    }
    if (p_nStart >= p_nEnd) {
        return 507;
    }
    const int window[5] = {p_bEnabled ? 1 : 0, p_nStart / 100, p_nStart % 100 / 10, p_nEnd / 100,
                           p_nEnd % 100 / 10};
    // In flush's order, so that the thread's switch and a flush see the
    // window either before or after, never half.
    OVMutexManager guard(m_paramMutex);
    OVMutexManager schemeGuard(m_schemeMutex);
    if (p_nScheme < 0 || static_cast<size_t>(p_nScheme) >= m_vecSchemeFiles.size() ||
        static_cast<size_t>(p_nScheme) >= m_vecParamScheme.size()) {
        return 509;
    }
    SensorConfigFile& file = *m_vecSchemeFiles[static_cast<size_t>(p_nScheme)];
    std::map<int, int> stored;
    if (!file.readParametersFromFile(stored)) {
        return 508;
    }
    for (int n = 0; n < 5; ++n) {
        stored[500 + n] = window[n];
    }
    if (!file.saveParametersToFile(stored)) {
        return 508;
    }
    ParamScheme& scheme = *m_vecParamScheme[static_cast<size_t>(p_nScheme)];
    scheme.setEnableFlag(window[0]);
    scheme.setStartTime(p_nStart);
    scheme.setEndTime(p_nEnd);
    if (p_nScheme == m_nCurrentScheme) {
        for (int n = 0; n < 5; ++n) {
            m_pSensorCache->setSensorValue(500 + n, window[n]);
            if (m_pSensorLastValueCache->isIdExist(500 + n)) {
                m_pSensorLastValueCache->setSensorValue(500 + n, window[n]);
            }
        }
    }
    return 0;
}

int ISensorController::getParamSchemeNum(int& p_nCount) {
    XmlConfigureTool tool;
    if (!tool.open(kSchemeCountPath, 1, XmlConfigureTool::OPEN_READ)) {
        std::printf("open %s failed\n", "sensorAbility.xml");
        return 0;
    }
    std::vector<SafePointer<XmlConfigureNode> > nodes;
    std::vector<SafePointer<XmlConfigureItem> > items;
    tool.getAllConfigNodeList(nodes);
    int count = 0;
    if (nodes.empty() || !nodes[0]->getItemList(items) || items.empty() ||
        !items[0]->getProperty("value", count) || count < 0 || count > kMaxSchemeCount) {
        std::printf("no scheme count in %s\n", "sensorAbility.xml");
        return 0;
    }
    p_nCount = count;
    std::printf("p_nSchemeNum=%d\n", p_nCount);
    return 1;
}

int ISensorController::getValueFromParamSchemeNode(const std::string& p_strName,
                                                   std::string& p_strValue) {
    XmlConfigureTool tool;
    SafePointer<XmlConfigureItem> item;
    if (!openSchemeItem(tool, XmlConfigureTool::OPEN_READ, p_strName, item)) {
        return 0;
    }
    int result = item->getProperty("value", p_strValue);
    tool.close();
    return result;
}

int ISensorController::setValueToParamSchemeNode(const std::string& p_strName,
                                                 const std::string& p_strValue) {
    XmlConfigureTool tool;
    SafePointer<XmlConfigureItem> item;
    if (!openSchemeItem(tool, XmlConfigureTool::OPEN_UPDATE, p_strName, item) ||
        !item->setProperty("value", p_strValue)) {
        return 0;  // ending the use without close() writes nothing
    }
    return tool.close();
}

int ISensorController::setParamSchemeToFile(int p_nScheme) {
    return setValueToParamSchemeNode("SchemeIndex", decimal(p_nScheme));
}

int ISensorController::getParamSchemeFromFile(int& p_nScheme) {
    std::string value;
    if (!getValueFromParamSchemeNode("SchemeIndex", value)) {
        return 0;
    }
    p_nScheme = static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
    return 1;
}

int ISensorController::setParamSchemeModeToFile(int p_nMode) {
    return setValueToParamSchemeNode("SchemeMode", decimal(p_nMode));
}

int ISensorController::getParamSchemeModeFromFile(int& p_nMode) {
    std::string value;
    if (!getValueFromParamSchemeNode("SchemeMode", value)) {
        return 0;
    }
    p_nMode = static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
    return 1;
}

int ISensorController::getEnableParam(int& p_nValue) {
    p_nValue = 1;
    return 1;
}

int ISensorController::getParamStartTime_H(int& p_nValue) {
    p_nValue = 0;
    return 1;
}

int ISensorController::getParamStartTime_M(int& p_nValue) {
    p_nValue = 0;
    return 1;
}

int ISensorController::getParamEndTime_H(int& p_nValue) {
    p_nValue = 24;
    return 1;
}

int ISensorController::getParamEndTime_M(int& p_nValue) {
    p_nValue = 0;
    return 1;
}
