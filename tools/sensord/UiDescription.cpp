#include "UiDescription.h"

#include <tinyxml.h>

#include <cstdlib>
#include <vector>

#include "config/SensorFile.h"
#include "platform/SensorLanguageConfig.h"

using nlohmann::json;

namespace {

const char* const kLanguageList = "/hd1/moduleConfig/sensorConfig/SensorLanguageConfig.xml";

// Every <Text id value> of a text document into p_texts.
void collectTexts(const std::string& p_strXml, json& p_texts) {
    TiXmlDocument document;
    document.Parse(p_strXml.c_str());
    const TiXmlElement* root = document.RootElement();
    for (const TiXmlElement* text = root != nullptr ? root->FirstChildElement("Text") : nullptr;
         text != nullptr; text = text->NextSiblingElement("Text")) {
        const char* id = text->Attribute("id");
        const char* value = text->Attribute("value");
        if (id != nullptr && value != nullptr) {
            p_texts[id] = value;
        }
    }
}

// "1,2,500" into ids; what is not a number is left out.
json parameterIds(const char* p_szList) {
    json ids = json::array();
    std::string list = p_szList != nullptr ? p_szList : "";
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        std::string item =
            list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        char* rest = nullptr;
        long id = std::strtol(item.c_str(), &rest, 10);
        if (!item.empty() && *rest == '\0') {
            ids.push_back(id);
        }
        start = end == std::string::npos ? list.size() : end + 1;
    }
    return ids;
}

}  // namespace

UiDescription::UiDescription(std::string p_strProduct) : m_strProduct(std::move(p_strProduct)) {}

bool UiDescription::describe(int p_nLanguage, json& p_description, std::string& p_strError) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto known = m_described.find(p_nLanguage);
    if (known != m_described.end()) {
        p_description = known->second;
        return true;
    }
    std::vector<SensorLanguageConfig> languages;
    SensorLanguageConfigParser::parse(kLanguageList, languages);
    json languageList = json::array();
    bool offered = false;
    for (const SensorLanguageConfig& language : languages) {
        languageList.push_back(
            {{"id", language.getLanguageId()}, {"name", language.getFolderName()}});
        offered = offered || language.getLanguageId() == p_nLanguage;
    }
    if (!offered) {
        p_strError = "no language " + std::to_string(p_nLanguage) + " (see \"languages\" in " +
                     "GET /api/ui)";
        return false;
    }
    SensorFile sensorFile;
    if (!sensorFile.init("", m_strProduct)) {
        p_strError = "the UI description of product '" + m_strProduct + "' cannot be read";
        return false;
    }
    json texts = json::object();
    collectTexts(sensorFile.getUICommonConfig(p_nLanguage), texts);
    collectTexts(sensorFile.getUILanguageConfig(p_nLanguage), texts);
    json tabs = json::array();
    TiXmlDocument style;
    style.Parse(sensorFile.getUIStyleConfig().c_str());
    const TiXmlElement* root = style.RootElement();
    for (const TiXmlElement* tab = root != nullptr ? root->FirstChildElement("Tab") : nullptr;
         tab != nullptr; tab = tab->NextSiblingElement("Tab")) {
        const char* name = tab->Attribute("name");
        std::string key = name != nullptr ? name : "";
        tabs.push_back({{"id", tab->Attribute("id") != nullptr ? tab->Attribute("id") : ""},
                        {"name", key},
                        {"label", texts.contains(key) ? texts[key] : json(key)},
                        {"parameters", parameterIds(tab->Attribute("params"))}});
    }
    p_description = {{"product", m_strProduct},
                     {"language", p_nLanguage},
                     {"languages", languageList},
                     {"tabs", tabs},
                     {"texts", texts}};
    m_described[p_nLanguage] = p_description;
    return true;
}
