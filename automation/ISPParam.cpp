#include "ISPParam.h"

#include <cstdio>
#include <vector>

#include "../platform/XmlConfigure.h"

namespace {

const char* const kISPParamPath = "/hd1/program/config/ISPParam.xml";

}  // namespace

int ISPParamUnit::setName(const std::string& p_strName) {
    m_strName = p_strName;
    return 1;
}

int ISPParamUnit::getName(std::string& p_strName) const {
    p_strName = m_strName;
    return 1;
}

int ISPParamUnit::setMin(int p_nMin) {
    m_nMin = p_nMin;
    return 1;
}

int ISPParamUnit::getMin(int& p_nMin) const {
    p_nMin = m_nMin;
    return 1;
}

int ISPParamUnit::setMax(int p_nMax) {
    m_nMax = p_nMax;
    return 1;
}

int ISPParamUnit::getMax(int& p_nMax) const {
    p_nMax = m_nMax;
    return 1;
}

int ISPParamUnit::setParam(const std::string& p_strName, int p_nValue) {
    m_params[p_strName] = p_nValue;
    return 1;
}

int ISPParamUnit::getParam(const std::string& p_strName, int& p_nValue) const {
    auto found = m_params.find(p_strName);
    if (found == m_params.end()) {
        return 0;
    }
    p_nValue = found->second;
    return 1;
}

int ISPParam::setParam(const std::string& p_strUnit, const std::string& p_strRange, int p_nMin,
                       int p_nMax, const std::string& p_strName, int p_nValue) {
    std::list<ISPParamUnit>& ranges = m_units[p_strUnit];
    for (ISPParamUnit& range : ranges) {
        std::string name;
        range.getName(name);
        if (name == p_strRange) {
            return range.setParam(p_strName, p_nValue);
        }
    }
    ISPParamUnit range;
    range.setName(p_strRange);
    range.setMin(p_nMin);
    range.setMax(p_nMax);
    range.setParam(p_strName, p_nValue);
    ranges.push_back(range);
    return 1;
}

int ISPParam::getParam(const std::string& p_strUnit, const std::string& p_strName, int p_nInput,
                       int& p_nValue) const {
    auto unit = m_units.find(p_strUnit);
    if (unit == m_units.end()) {
        return 0;
    }
    for (const ISPParamUnit& range : unit->second) {
        int min = 0;
        int max = 0;
        range.getMin(min);
        range.getMax(max);
        if (min <= p_nInput && p_nInput < max) {
            return range.getParam(p_strName, p_nValue);
        }
    }
    return 0;
}

int ISPParam::setEnableFlag(const std::string& p_strUnit, bool p_bEnable) {
    m_enableFlags[p_strUnit] = p_bEnable;
    return 1;
}

int ISPParam::getEnableFlag(const std::string& p_strUnit, bool& p_bEnable) const {
    auto found = m_enableFlags.find(p_strUnit);
    if (found == m_enableFlags.end()) {
        return 0;
    }
    p_bEnable = found->second;
    return 1;
}

void ISPParam::clear() {
    m_units.clear();
    m_enableFlags.clear();
}

int ISPParamParse::parse() {
    XmlConfigureTool tool;
    if (!tool.open(kISPParamPath, 1, XmlConfigureTool::OPEN_READ)) {
        std::printf("open %s failed\n", "ISPParam.xml");
        return 0;
    }
    SafePointer<XmlConfigureNode> config;
    if (tool.getConfigNode("config", config)) {
        config->getProperty("realTimeUpdate", m_bRealTimeUpdate);
        config->getProperty("time", m_nDelayTime);
        std::vector<SafePointer<XmlConfigureNode> > units;
        config->getAllConfigNodeList(units);
        for (const auto& unit : units) {
            std::string unitName;
            unit->getNodeName(unitName);
            // A unit without "enable" takes part: listing it is the intent.
            bool enable = true;
            unit->getProperty("enable", enable);
            m_objISPParam.setEnableFlag(unitName, enable);
            std::vector<SafePointer<XmlConfigureNode> > ranges;
            unit->getAllConfigNodeList(ranges);
            for (const auto& range : ranges) {
                std::string rangeName;
                int min = 0;
                int max = 0;
                range->getNodeName(rangeName);
                range->getProperty("min", min);
                range->getProperty("max", max);
                std::vector<SafePointer<XmlConfigureItem> > items;
                range->getItemList(items);
                for (const auto& item : items) {
                    std::string name;
                    int value = 0;
                    item->getProperty("name", name);
                    item->getProperty("value", value);
                    if (!m_objISPParam.setParam(unitName, rangeName, min, max, name, value)) {
                        std::printf("m_objISPParam.setParam:%s,%s,%d,%d,%s,%d \n", unitName.c_str(),
                                    rangeName.c_str(), min, max, name.c_str(), value);
                    }
                }
            }
        }
    }
    tool.close();
    return 1;
}

int ISPParamParse::getISPParam(ISPParam& p_param) const {
    p_param = m_objISPParam;
    return 1;
}
