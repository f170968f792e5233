#include "SensorLanguageConfig.h"

#include "XmlConfigure.h"

int SensorLanguageConfigParser::parse(std::string p_strFile,
                                      std::vector<SensorLanguageConfig>& p_languages) {
    XmlConfigureTool tool;
    if (!tool.open(p_strFile, 1, XmlConfigureTool::OPEN_READ)) {
        return 0;
    }
    std::vector<SafePointer<XmlConfigureNode> > nodes;
    tool.getAllConfigNodeList(nodes);
    std::vector<SensorLanguageConfig> languages;
    for (const auto& node : nodes) {
        if (node->name() != "language") {
            continue;
        }
        int id = 0;
        std::string folder;
        if (!node->getProperty("id", id) || !node->getProperty("folder", folder) ||
            folder.empty() || folder == "." || folder == ".." ||
            folder.find('/') != std::string::npos) {
            return 0;
        }
        languages.emplace_back(id, folder);
    }
    p_languages.insert(p_languages.end(), languages.begin(), languages.end());
    return 1;
}
