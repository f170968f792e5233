#include "ModuleConfigureParser.h"

#include "XmlConfigure.h"

namespace {

bool selects(const XmlConfigureNode& p_node, const char* p_szProperty,
             const std::string& p_strSelector) {
    std::string value;
    p_node.getProperty(p_szProperty, value);
    return value.empty() || p_strSelector.empty() || value == p_strSelector;
}

}  // namespace

int ModuleConfigureParser::parse(std::string p_strFile, const std::string& p_strBoard,
                                 const std::string& p_strProduct,
                                 std::vector<ModuleConfigure>& p_modules) {
    XmlConfigureTool tool;
    if (!tool.open(p_strFile, 1, XmlConfigureTool::OPEN_READ)) {
        return 0;
    }
    std::vector<SafePointer<XmlConfigureNode> > nodes;
    tool.getAllConfigNodeList(nodes);
    std::vector<ModuleConfigure> records;
    for (const auto& node : nodes) {
        if (node->name() != "module") {
            continue;
        }
        int id = 0;
        if (!node->getProperty("id", id)) {
            return 0;
        }
        if (!selects(*node, "board", p_strBoard) || !selects(*node, "product", p_strProduct)) {
            continue;
        }
        std::string detail;
        std::string parameters;
        node->getProperty("detail", detail);
        node->getProperty("parameters", parameters);
        records.emplace_back(id, detail, parameters);
    }
    p_modules.insert(p_modules.end(), records.begin(), records.end());
    return 1;
}
