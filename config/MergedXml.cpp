#include "MergedXml.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <utility>

#include <tinyxml.h>

#include "../platform/ModuleParameterParser.h"
#include "../platform/OVFile.h"

namespace {

// A style file is tens of kilobytes; anything this large is not one, and
// reading it whole could exhaust a small board's memory.
const uint64_t kMaxStyleFileBytes = 16u * 1024u * 1024u;

enum ReadResult { READ_OK, READ_OPEN_FAILED, READ_SHORT };

ReadResult readWholeFile(const std::string& p_strPath, std::string& p_strText) {
    OVFile file;
    if (!file.open(p_strPath.c_str(), OVFile::MODE_READ)) {
        return READ_OPEN_FAILED;
    }
    uint64_t length = file.getLength();
    if (length > kMaxStyleFileBytes) {
        return READ_SHORT;
    }
    // The extra zero ends the text for the parser.
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    if (file.read(&buffer[0], static_cast<unsigned int>(length)) != length) {
        return READ_SHORT;
    }
    p_strText.swap(buffer);
    return READ_OK;
}

// False for an element without attributes: it has no key at all, which must
// not be mistaken for key 0.
bool readKey(const TiXmlElement& p_element, int& p_nKey) {
    const TiXmlAttribute* first = p_element.FirstAttribute();
    if (first == nullptr) {
        return false;
    }
    p_nKey = static_cast<int>(std::strtol(first->Value(), nullptr, 10));
    return true;
}

// "A,B" -> {A, B}; ",A" also accepts the empty value; "" accepts nothing.
std::set<std::string> splitAccepted(const std::string& p_strList) {
    std::set<std::string> accepted;
    std::istringstream stream(p_strList);
    std::string value;
    while (std::getline(stream, value, ',')) {
        accepted.insert(value);
    }
    return accepted;
}

// 0 when the detail cannot be parsed; else 1 with p_bMatches telling whether
// every condition of the block holds.
int matchBlock(const TiXmlElement& p_block, const std::string& p_strDetail, bool& p_bMatches) {
    p_bMatches = false;
    for (const TiXmlAttribute* condition = p_block.FirstAttribute(); condition != nullptr;
         condition = condition->Next()) {
        std::set<std::string> accepted = splitAccepted(condition->Value());
        ModuleParameterParser detail;
        if (!detail.parse(p_strDetail)) {
            std::puts("parse detail failed");
            return 0;
        }
        std::string value;
        if (!detail.getValue(condition->Name(), value) || accepted.count(value) == 0) {
            return 1;
        }
    }
    p_bMatches = true;
    return 1;
}

std::string describeBlock(const TiXmlElement& p_block) {
    std::string line = p_block.Value();
    for (const TiXmlAttribute* attribute = p_block.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next()) {
        line += std::string(" ") + attribute->Name() + "=\"" + attribute->Value() + "\"";
    }
    return line;
}

void addBefore(MergedXml& p_merged, TiXmlElement* p_pRoot, int p_nKey,
               const TiXmlElement& p_entry) {
    TiXmlNode* anchor = nullptr;
    p_merged.findNodeByKey(p_nKey, p_pRoot, &anchor);
    if (anchor == nullptr) {
        return;
    }
    for (const TiXmlElement* tab = p_entry.FirstChildElement(); tab != nullptr;
         tab = tab->NextSiblingElement()) {
        p_pRoot->InsertBeforeChild(anchor, *tab);
    }
}

// Each copy follows the first tab carrying the previous copy's key, wherever
// that tab stands; a copy without a key ends the chain.
void addAfter(MergedXml& p_merged, TiXmlElement* p_pRoot, int p_nKey, const TiXmlElement& p_entry) {
    int key = p_nKey;
    for (const TiXmlElement* tab = p_entry.FirstChildElement(); tab != nullptr;
         tab = tab->NextSiblingElement()) {
        TiXmlNode* anchor = nullptr;
        p_merged.findNodeByKey(key, p_pRoot, &anchor);
        if (anchor != nullptr) {
            p_pRoot->InsertAfterChild(anchor, *tab);
        }
        if (!readKey(*tab, key)) {
            return;
        }
    }
}

void applyEdit(MergedXml& p_merged, TiXmlElement* p_pRoot, const TiXmlElement& p_edit) {
    const std::string name = p_edit.Value();
    for (const TiXmlElement* entry = p_edit.FirstChildElement(); entry != nullptr;
         entry = entry->NextSiblingElement()) {
        int key = 0;
        if (!readKey(*entry, key)) {
            continue;
        }
        if (name == "Delete") {
            p_merged.deleteTabNode(key);
        } else if (name == "AddBefore") {
            addBefore(p_merged, p_pRoot, key, *entry);
        } else if (name == "AddAfter") {
            addAfter(p_merged, p_pRoot, key, *entry);
        }
    }
}

}  // namespace

MergedXml::MergedXml()
    : m_pStyleDocument(new TiXmlDocument),
      m_pStyleModifyDocument(new TiXmlDocument),
      m_pLangDocument(new TiXmlDocument),
      m_pLangModifyDocument(new TiXmlDocument) {}

MergedXml::~MergedXml() = default;

int MergedXml::getStyleMergedString(const std::string& p_strKey, std::string& p_strText) {
    if (!mergeStyleXml(p_strKey)) {
        std::puts("mergeStyleXml failed");
        return 0;
    }
    TiXmlPrinter printer;
    m_pStyleDocument->Accept(&printer);
    p_strText = printer.CStr();
    return 1;
}

int MergedXml::mergeStyleXml(const std::string& p_strKey) {
    m_appliedBlocks.clear();
    if (m_strStyleOriginalPath.empty() || m_strStyleModifyPath.empty()) {
        std::puts("m_strStyleModifyPath or m_strStyleOriginalPath is NULL,Please set path first");
        return 0;
    }
    std::string styleText;
    std::string modifyText;
    for (auto& file : {std::make_pair(&m_strStyleOriginalPath, &styleText),
                       std::make_pair(&m_strStyleModifyPath, &modifyText)}) {
        ReadResult result = readWholeFile(*file.first, *file.second);
        if (result == READ_OPEN_FAILED) {
            std::puts("mergeStyleXml file open failed ");
        }
        if (result != READ_OK) {
            return 0;
        }
    }
    // Parse appends to what a document holds, so a second merge starts empty.
    m_pStyleDocument->Clear();
    m_pStyleModifyDocument->Clear();
    m_pStyleDocument->Parse(styleText.c_str());
    m_pStyleModifyDocument->Parse(modifyText.c_str());

    TiXmlElement* root = m_pStyleDocument->RootElement();
    for (const TiXmlElement* block = m_pStyleModifyDocument->FirstChildElement(); block != nullptr;
         block = block->NextSiblingElement()) {
        if (block->FirstAttribute() == nullptr) {
            continue;
        }
        bool matches = false;
        if (!matchBlock(*block, p_strKey, matches)) {
            return 0;
        }
        if (!matches) {
            continue;
        }
        m_appliedBlocks.push_back(describeBlock(*block));
        for (const TiXmlElement* edit = block->FirstChildElement(); edit != nullptr;
             edit = edit->NextSiblingElement()) {
            applyEdit(*this, root, *edit);
        }
    }
    return 1;
}

int MergedXml::findNodeByKey(int p_nKey, TiXmlNode* p_pParent, TiXmlNode** p_ppResult) {
    if (p_pParent == nullptr || p_ppResult == nullptr) {
        return 1;
    }
    for (TiXmlElement* child = p_pParent->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        int key = 0;
        if (readKey(*child, key) && key == p_nKey) {
            *p_ppResult = child;
            return 1;
        }
    }
    return 1;
}

int MergedXml::deleteTabNode(int p_nKey) {
    TiXmlElement* root = m_pStyleDocument->RootElement();
    if (root == nullptr) {
        return 1;
    }
    TiXmlElement* tab = root->FirstChildElement();
    while (tab != nullptr) {
        TiXmlElement* next = tab->NextSiblingElement();
        int key = 0;
        if (readKey(*tab, key) && key == p_nKey) {
            tab->Clear();
            root->RemoveChild(tab);
        }
        tab = next;
    }
    return 1;
}

int MergedXml::mergeLangXml(const std::string& /*p_strKey*/) {
    return 1;
}

int MergedXml::getLangMergedString(const std::string& p_strKey, std::string& p_strText) {
    mergeLangXml(p_strKey);
    TiXmlPrinter printer;
    m_pLangDocument->Accept(&printer);
    p_strText = printer.CStr();
    return 1;
}
