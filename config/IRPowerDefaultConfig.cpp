#include "IRPowerDefaultConfig.h"

#include <vector>

#include "../platform/DiskManager.h"

IRPowerDefaultConfig::IRPowerDefaultConfig() : m_nVersion(1), m_bVersionKnown(false) {}

IRPowerDefaultConfig::~IRPowerDefaultConfig() {
    m_bVersionKnown = false;
}

SafePointer<XmlConfigureNode> IRPowerDefaultConfig::versionNode(int p_nTag, int p_nVersion) {
    SafePointer<XmlConfigureNode> node(new XmlConfigureNode("version", p_nTag));
    SafePointer<XmlConfigureItem> item(new XmlConfigureItem(p_nTag));
    if (!item->setProperty("version", p_nVersion)) {
        return SafePointer<XmlConfigureNode>();
    }
    node->addConfigItem(item);
    return node;
}

int IRPowerDefaultConfig::open(int p_nTag, const std::string& p_strPath, int p_nMode) {
    bool exists = DiskManager::isFileExist(p_strPath.c_str()) != 0;
    if (p_nMode == XmlConfigureTool::OPEN_READ) {
        return exists ? m_store.open(p_strPath, p_nTag, XmlConfigureTool::OPEN_READ) : 0;
    }
    if (exists) {
        return m_store.open(p_strPath, p_nTag, p_nMode);
    }
    m_store.setRootNodeName("IRConfig");
    if (!m_store.open(p_strPath, p_nTag, XmlConfigureTool::OPEN_CREATE)) {
        return 0;
    }
    SafePointer<XmlConfigureNode> node = versionNode(p_nTag, m_nVersion);
    if (node.isNull()) {
        return 0;
    }
    m_store.addConfigNode(node);
    m_bVersionKnown = true;
    return 1;
}

int IRPowerDefaultConfig::close() {
    return m_store.close();
}

int IRPowerDefaultConfig::getVersion(int p_nTag, const std::string& p_strPath, int& p_nVersion) {
    if (!m_bVersionKnown) {
        if (!open(p_nTag, p_strPath, XmlConfigureTool::OPEN_READ)) {
            return IRPOWER_NO_FILE;
        }
        SafePointer<XmlConfigureNode> node;
        if (!m_store.getConfigNode("version", node)) {
            return IRPOWER_NO_NODE;
        }
        std::vector<SafePointer<XmlConfigureItem> > items;
        if (!node->getItemList(items) || items.empty()) {
            return IRPOWER_NO_ITEMS;
        }
        int version = 0;
        if (!items[0]->getProperty("version", version)) {
            return IRPOWER_BAD_PROPERTY;
        }
        m_nVersion = version;
        m_bVersionKnown = true;
    }
    p_nVersion = m_nVersion;
    return IRPOWER_OK;
}

int IRPowerDefaultConfig::setVersion(int p_nTag, const std::string& p_strPath, int p_nVersion) {
    if (m_bVersionKnown && m_nVersion == p_nVersion) {
        return IRPOWER_OK;
    }
    if (!open(p_nTag, p_strPath, XmlConfigureTool::OPEN_UPDATE)) {
        return IRPOWER_NO_FILE;
    }
    m_store.removeConfigNode("version");
    SafePointer<XmlConfigureNode> node = versionNode(p_nTag, p_nVersion);
    if (node.isNull()) {
        return IRPOWER_BAD_PROPERTY;
    }
    m_store.addConfigNode(node);
    m_nVersion = p_nVersion;
    m_bVersionKnown = true;
    close();
    return IRPOWER_OK;
}

int IRPowerDefaultConfig::load(int p_nTag, const std::string& p_strPath, IRPowerParamV2& p_power) {
    if (!open(p_nTag, p_strPath, XmlConfigureTool::OPEN_READ)) {
        return IRPOWER_NO_FILE;
    }
    SafePointer<XmlConfigureNode> node;
    if (!m_store.getConfigNode("IRPower", node)) {
        return IRPOWER_NO_NODE;
    }
    std::vector<SafePointer<XmlConfigureItem> > items;
    if (!node->getItemList(items)) {
        return IRPOWER_NO_ITEMS;
    }
    std::vector<IRPowerItem> table;
    for (const auto& item : items) {
        int values[4] = {0, 0, 0, 0};
        const char* names[4] = {"zoomup", "far", "mid", "near"};
        for (int index = 0; index < 4; ++index) {
            if (!item->getProperty(names[index], values[index])) {
                return IRPOWER_BAD_PROPERTY;
            }
        }
        IRPowerItem row;
        row.setZoomUp(values[0]);
        row.setFarPower(values[1]);
        row.setMidPower(values[2]);
        row.setNearPower(values[3]);
        table.push_back(row);
    }
    p_power.setIrPower(table);
    close();
    return IRPOWER_OK;
}
