#include "SensorUIConfigFile.h"

#include <cstdio>

#include "../platform/OVFile.h"
#include "../platform/SensorLanguageConfig.h"
#include "MergedXml.h"

namespace {

const char* const kDefaultRoot = "/hd1/moduleConfig/sensorConfig";
// The largest UI file the loader takes whole; larger is not a UI file.
const uint64_t kMaxUIFileBytes = 16u * 1024u * 1024u;

}  // namespace

SensorUIConfigFile::SensorUIConfigFile() {
    setUIConfigPath(kDefaultRoot);
}

SensorUIConfigFile::~SensorUIConfigFile() = default;

void SensorUIConfigFile::setUIConfigPath(const std::string& p_strRoot) {
    m_strRoot = p_strRoot;
    m_strStylePath = p_strRoot + "/style";
    m_strCommonPath = p_strRoot + "/common";
    m_strLanguagePath = p_strRoot + "/language";
    m_strStyleModifyPath = p_strRoot + "/styleDiversity";
    m_strLanguageModifyPath = p_strRoot + "/languageDiversity";
    m_strLanguageListPath = p_strRoot + "/SensorLanguageConfig.xml";
}

void SensorUIConfigFile::setUIConfigPrefix(const std::string& p_strPrefix) {
    m_strPrefix = p_strPrefix;
}

int SensorUIConfigFile::getFileText(const std::string& p_strPath, std::string& p_strText) {
    OVFile file;
    if (!file.open(p_strPath.c_str(), OVFile::MODE_READ)) {
        return 0;
    }
    uint64_t length = file.getLength();
    if (length > kMaxUIFileBytes) {
        return 0;
    }
    std::string text(static_cast<size_t>(length), '\0');
    if (file.read(&text[0], static_cast<unsigned int>(length)) != length) {
        return 0;
    }
    p_strText.swap(text);
    return 1;
}

int SensorUIConfigFile::init(std::string p_strDetail) {
    std::vector<SensorLanguageConfig> languages;
    if (!SensorLanguageConfigParser::parse(m_strLanguageListPath, languages)) {
        std::puts("parse SensorLanguageConfig.xml failed ");
        return 0;
    }
    std::string stylePath = m_strStylePath + "/" + m_strPrefix + "Style.xml";
    std::string variantPath = m_strStyleModifyPath + "/" + m_strPrefix + "StyleDiversity.xml";
    m_appliedBlocks.clear();
    OVFile variant;
    if (!variant.open(variantPath.c_str(), OVFile::MODE_READ)) {
        if (!getFileText(stylePath, m_strStyle)) {
            std::printf("getStyleFileText failed , path=%s \n", stylePath.c_str());
            return 0;
        }
    } else {
        variant.close();
        MergedXml merged;
        merged.setStyleOriginalPath(stylePath);
        merged.setStyleModifyPath(variantPath);
        if (!merged.getStyleMergedString(p_strDetail, m_strStyle)) {
            std::printf("objMergedXml.getStyleMergedString(%s) failed\n", p_strDetail.c_str());
            return 0;
        }
        m_appliedBlocks = merged.getAppliedBlocks();
    }
    for (const SensorLanguageConfig& language : languages) {
        std::string text;
        std::string commonPath =
            m_strCommonPath + "/" + language.getFolderName() + "/" + "SensorCommon.xml";
        if (!getFileText(commonPath, text)) {
            std::printf("getCommonFile failed , path=%s\n", commonPath.c_str());
        } else {
            m_commonTexts.insert(std::make_pair(language.getLanguageId(), text));
        }
        std::string languagePath =
            m_strLanguagePath + "/" + language.getFolderName() + "/" + m_strPrefix + "Lang.xml";
        if (!getFileText(languagePath, text)) {
            std::printf("getLanguageFile failed , path=%s\n", languagePath.c_str());
        } else {
            m_languageTexts.insert(std::make_pair(language.getLanguageId(), text));
        }
    }
    return 1;
}

const std::string& SensorUIConfigFile::lookup(const std::map<int, std::string>& p_texts,
                                              int p_nLanguageId) {
    static const std::string s_empty;
    auto found = p_texts.find(p_nLanguageId);
    if (found == p_texts.end()) {
        found = p_texts.find(1);
    }
    return found == p_texts.end() ? s_empty : found->second;
}

const std::string& SensorUIConfigFile::getUICommonConfigString(int p_nLanguageId) const {
    return lookup(m_commonTexts, p_nLanguageId);
}

const std::string& SensorUIConfigFile::getUILanguageConfigString(int p_nLanguageId) const {
    return lookup(m_languageTexts, p_nLanguageId);
}
