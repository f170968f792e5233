#include "XmlConfigure.h"

#include <sys/stat.h>
#include <unistd.h>

#include <tinyxml.h>

#include "OVFile.h"
#include "PlatformRoot.h"
#include "internal/TextScan.h"

namespace {

const char* const kItemElement = "item";
// A store file larger than this is not a configuration file.
const uint64_t kMaxStoreBytes = 16u * 1024u * 1024u;

bool isXmlName(const std::string& p_strName) {
    if (p_strName.empty()) {
        return false;
    }
    auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!isLetter(p_strName[0]) && p_strName[0] != '_') {
        return false;
    }
    for (char c : p_strName) {
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '_' && c != '-' && c != '.' &&
            c != ':') {
            return false;
        }
    }
    return true;
}

bool readWholeFile(const std::string& p_strPath, std::string& p_strText) {
    OVFile file;
    if (!file.open(p_strPath.c_str(), OVFile::MODE_READ)) {
        return false;
    }
    uint64_t length = file.getLength();
    if (length > kMaxStoreBytes) {
        return false;
    }
    std::string text(static_cast<size_t>(length), '\0');
    if (file.read(&text[0], static_cast<unsigned int>(length)) != length) {
        return false;
    }
    p_strText.swap(text);
    return true;
}

void copyAttributes(const TiXmlElement& p_element, XmlConfigureElement& p_target) {
    for (const TiXmlAttribute* attribute = p_element.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next()) {
        p_target.setProperty(attribute->Name(), attribute->Value());
    }
}

SafePointer<XmlConfigureNode> nodeFromElement(const TiXmlElement& p_element, int p_nTag) {
    SafePointer<XmlConfigureNode> node(new XmlConfigureNode(p_element.Value(), p_nTag));
    copyAttributes(p_element, *node);
    for (const TiXmlElement* child = p_element.FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement()) {
        if (std::string(child->Value()) == kItemElement) {
            SafePointer<XmlConfigureItem> item(new XmlConfigureItem(p_nTag));
            copyAttributes(*child, *item);
            node->addConfigItem(item);
        } else {
            node->addConfigNode(nodeFromElement(*child, p_nTag));
        }
    }
    return node;
}

void setAttributes(const XmlConfigureElement& p_source, TiXmlElement& p_element) {
    for (const auto& property : p_source.getProperties()) {
        p_element.SetAttribute(property.first, property.second);
    }
}

void appendNode(const XmlConfigureNode& p_node, TiXmlNode& p_parent) {
    TiXmlElement element(p_node.name());
    setAttributes(p_node, element);
    std::vector<SafePointer<XmlConfigureItem> > items;
    p_node.getItemList(items);
    for (const auto& item : items) {
        TiXmlElement itemElement(kItemElement);
        setAttributes(*item, itemElement);
        element.InsertEndChild(itemElement);
    }
    std::vector<SafePointer<XmlConfigureNode> > children;
    p_node.getAllConfigNodeList(children);
    for (const auto& child : children) {
        appendNode(*child, element);
    }
    p_parent.InsertEndChild(element);
}

typedef std::vector<SafePointer<XmlConfigureNode> > NodeList;

int findNode(const NodeList& p_nodes, const std::string& p_strName,
             SafePointer<XmlConfigureNode>& p_node) {
    for (const auto& node : p_nodes) {
        if (node->name() == p_strName) {
            p_node = node;
            return 1;
        }
    }
    return 0;
}

int removeNodes(NodeList& p_nodes, const std::string& p_strName) {
    NodeList kept;
    for (const auto& node : p_nodes) {
        if (node->name() != p_strName) {
            kept.push_back(node);
        }
    }
    bool removed = kept.size() != p_nodes.size();
    p_nodes.swap(kept);
    return removed ? 1 : 0;
}

bool directoryWritable(const std::string& p_strMappedPath) {
    std::string::size_type slash = p_strMappedPath.rfind('/');
    std::string directory = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : p_strMappedPath.substr(0, slash);
    struct stat info;
    if (stat(p_strMappedPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return false;
    }
    return access(directory.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

XmlConfigureElement::~XmlConfigureElement() = default;

int XmlConfigureElement::getProperty(const std::string& p_strName, std::string& p_strValue) const {
    for (const auto& property : m_properties) {
        if (property.first == p_strName) {
            p_strValue = property.second;
            return 1;
        }
    }
    return 0;
}

int XmlConfigureElement::getProperty(const std::string& p_strName, int& p_nValue) const {
    std::string text;
    if (!getProperty(p_strName, text)) {
        return 0;
    }
    return parseWholeInt(text, p_nValue) ? 1 : 0;
}

int XmlConfigureElement::getProperty(const std::string& p_strName, bool& p_bValue) const {
    std::string text;
    if (!getProperty(p_strName, text)) {
        return 0;
    }
    text = trimBlanks(text);
    if (text == "true" || text == "1") {
        p_bValue = true;
        return 1;
    }
    if (text == "false" || text == "0") {
        p_bValue = false;
        return 1;
    }
    return 0;
}

int XmlConfigureElement::setProperty(const std::string& p_strName, const std::string& p_strValue) {
    if (!isXmlName(p_strName) || !isValidUtf8(p_strValue) ||
        p_strValue.find('\0') != std::string::npos) {
        return 0;
    }
    for (auto& property : m_properties) {
        if (property.first == p_strName) {
            property.second = p_strValue;
            return 1;
        }
    }
    m_properties.emplace_back(p_strName, p_strValue);
    return 1;
}

int XmlConfigureElement::setProperty(const std::string& p_strName, int p_nValue) {
    return setProperty(p_strName, std::to_string(p_nValue));
}

int XmlConfigureElement::setProperty(const std::string& p_strName, const char* p_szValue) {
    if (p_szValue == nullptr) {
        return 0;
    }
    return setProperty(p_strName, std::string(p_szValue));
}

XmlConfigureItem::~XmlConfigureItem() = default;

XmlConfigureNode::~XmlConfigureNode() = default;

int XmlConfigureNode::getNodeName(std::string& p_strName) const {
    p_strName = m_strName;
    return 1;
}

int XmlConfigureNode::getAllConfigNodeList(
    std::vector<SafePointer<XmlConfigureNode> >& p_nodes) const {
    p_nodes = m_children;
    return 1;
}

int XmlConfigureNode::getConfigNode(const std::string& p_strName,
                                    SafePointer<XmlConfigureNode>& p_node) const {
    return findNode(m_children, p_strName, p_node);
}

int XmlConfigureNode::addConfigNode(const SafePointer<XmlConfigureNode>& p_node) {
    if (p_node.isNull() || !isXmlName(p_node->name()) || p_node->name() == kItemElement) {
        return 0;
    }
    m_children.push_back(p_node);
    return 1;
}

int XmlConfigureNode::removeConfigNode(const std::string& p_strName) {
    return removeNodes(m_children, p_strName);
}

int XmlConfigureNode::getItemList(std::vector<SafePointer<XmlConfigureItem> >& p_items) const {
    p_items = m_items;
    return 1;
}

int XmlConfigureNode::addConfigItem(SafePointer<XmlConfigureItem> p_item) {
    if (p_item.isNull()) {
        return 0;
    }
    m_items.push_back(p_item);
    return 1;
}

XmlConfigureTool::XmlConfigureTool() = default;

XmlConfigureTool::~XmlConfigureTool() = default;

void XmlConfigureTool::reset() {
    m_nodes.clear();
    m_strPath.clear();
    m_nMode = 0;
}

int XmlConfigureTool::open(const std::string& p_strPath, int p_nTag, int p_nMode) {
    reset();
    if (p_strPath.empty()) {
        return 0;
    }
    if (p_nMode == OPEN_CREATE) {
        if (!directoryWritable(PlatformRoot::map(p_strPath))) {
            return 0;
        }
    } else if (p_nMode == OPEN_READ || p_nMode == OPEN_UPDATE) {
        std::string text;
        if (!readWholeFile(p_strPath, text) || text.find('\0') != std::string::npos ||
            !isValidUtf8(text)) {
            return 0;
        }
        TiXmlDocument document;
        document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
        const TiXmlElement* root = document.RootElement();
        if (document.Error() || root == nullptr) {
            return 0;
        }
        std::vector<SafePointer<XmlConfigureNode> > nodes;
        for (const TiXmlElement* element = root->FirstChildElement(); element != nullptr;
             element = element->NextSiblingElement()) {
            nodes.push_back(nodeFromElement(*element, p_nTag));
        }
        m_nodes.swap(nodes);
        m_strRootName = root->Value();
    } else {
        return 0;
    }
    m_strPath = p_strPath;
    m_nTag = p_nTag;
    m_nMode = p_nMode;
    return 1;
}

void XmlConfigureTool::setRootNodeName(const std::string& p_strName) {
    m_strRootName = p_strName;
}

int XmlConfigureTool::getConfigNode(const std::string& p_strName,
                                    SafePointer<XmlConfigureNode>& p_node) const {
    return findNode(m_nodes, p_strName, p_node);
}

int XmlConfigureTool::getAllConfigNodeList(
    std::vector<SafePointer<XmlConfigureNode> >& p_nodes) const {
    p_nodes = m_nodes;
    return 1;
}

int XmlConfigureTool::addConfigNode(SafePointer<XmlConfigureNode>& p_node) {
    if (m_nMode == 0 || p_node.isNull() || !isXmlName(p_node->name())) {
        return 0;
    }
    m_nodes.push_back(p_node);
    return 1;
}

int XmlConfigureTool::removeConfigNode(const std::string& p_strName) {
    return removeNodes(m_nodes, p_strName);
}

std::string XmlConfigureTool::print() const {
    TiXmlDocument document;
    document.InsertEndChild(TiXmlDeclaration("1.0", "UTF-8", ""));
    TiXmlElement root(isXmlName(m_strRootName) ? m_strRootName : std::string("config"));
    for (const auto& node : m_nodes) {
        appendNode(*node, root);
    }
    document.InsertEndChild(root);
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.Str();
}

int XmlConfigureTool::close() {
    if (m_nMode == 0) {
        return 0;
    }
    int result = 1;
    if (m_nMode == OPEN_UPDATE || m_nMode == OPEN_CREATE) {
        result = replaceFileContent(PlatformRoot::map(m_strPath), print()) ? 1 : 0;
    }
    reset();
    return result;
}
