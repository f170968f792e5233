#ifndef SENSORCONTROL_PLATFORM_XMLCONFIGURE_H
#define SENSORCONTROL_PLATFORM_XMLCONFIGURE_H

#include <string>
#include <utility>
#include <vector>

#include "../framework/SafePointer.h"
#include "Export.h"

/// @file
/// The XML configuration store: a file holds a root node of named nodes; a
/// node holds properties, child nodes and a list of items; an item holds named
/// properties.
///
/// On disk, printed by TinyXML with four-space indentation (a file that is not
/// well-formed UTF-8 does not open):
///
/// @code{.xml}
///   <?xml version="1.0" encoding="UTF-8" ?>
///   <sensor>
///       <paramScheme>
///           <item name="SchemeIndex" value="0" />
///           <item name="SchemeMode" value="1" />
///       </paramScheme>
///   </sensor>
/// @endcode
///
/// The root element carries the root node name. Every element directly below
/// it is a top-level node; further down, an element named "item" is an item
/// and any other element a child node. Properties are the attributes, in file
/// order. Node and property names must be XML names (a letter or '_', then
/// letters, digits, '_', '-', '.' or ':'); below the top level "item" cannot name
/// a node. Integer properties are decimal ints; booleans are "true"/"false" or
/// "1"/"0". Text, comments and other markup in the file are ignored. The tag
/// given to nodes, items and the store is kept but has no effect on the file.

/// Named string properties, in the order they were first set.
class SC_EXPORT XmlConfigureElement {
public:
    /// An element without properties, with its tag.
    explicit XmlConfigureElement(int p_nTag) : m_nTag(p_nTag) {}
    virtual ~XmlConfigureElement();

    /// Non-zero when present and readable as the asked type.
    int getProperty(const std::string& p_strName, int& p_nValue) const;
    /// A boolean property ("true"/"false", "1"/"0").
    int getProperty(const std::string& p_strName, bool& p_bValue) const;
    /// A property as text.
    int getProperty(const std::string& p_strName, std::string& p_strValue) const;
    /// Non-zero on success; fails for a name that is not an XML name or a
    /// value that is not UTF-8 text.
    int setProperty(const std::string& p_strName, int p_nValue);
    /// Sets a text property.
    int setProperty(const std::string& p_strName, const char* p_szValue);
    /// Sets a text property.
    int setProperty(const std::string& p_strName, const std::string& p_strValue);

    /// Every property, name and value, in order.
    const std::vector<std::pair<std::string, std::string> >& getProperties() const {
        return m_properties;
    }
    /// The tag given at construction.
    int getTag() const { return m_nTag; }

private:
    std::vector<std::pair<std::string, std::string> > m_properties;
    int m_nTag;
};

/// An item: an element named "item" below a node, with properties only.
class SC_EXPORT XmlConfigureItem : public XmlConfigureElement {
public:
    /// An empty item.
    explicit XmlConfigureItem(int p_nTag = 1) : XmlConfigureElement(p_nTag) {}
    ~XmlConfigureItem() override;
};

/// A named node: properties, child nodes and items.
class SC_EXPORT XmlConfigureNode : public XmlConfigureElement {
public:
    /// An empty node of that name.
    explicit XmlConfigureNode(const std::string& p_strName, int p_nTag = 1)
        : XmlConfigureElement(p_nTag), m_strName(p_strName) {}
    ~XmlConfigureNode() override;

    /// The node's name; 1.
    int getNodeName(std::string& p_strName) const;
    /// The node's name.
    const std::string& name() const { return m_strName; }

    /// The caller's list is replaced by the child nodes, in order; 1.
    int getAllConfigNodeList(std::vector<SafePointer<XmlConfigureNode> >& p_nodes) const;
    /// Non-zero and the node when a child of that name exists (the first one).
    int getConfigNode(const std::string& p_strName, SafePointer<XmlConfigureNode>& p_node) const;
    /// Appends a child node; 0 for an empty handle or a name that cannot be a
    /// child node.
    int addConfigNode(const SafePointer<XmlConfigureNode>& p_node);
    /// Removes every child node of that name; non-zero when one was removed.
    int removeConfigNode(const std::string& p_strName);

    /// The caller's list is replaced by the items, in order; 1.
    int getItemList(std::vector<SafePointer<XmlConfigureItem> >& p_items) const;
    /// Appends an item; 0 for an empty handle.
    int addConfigItem(SafePointer<XmlConfigureItem> p_item);

private:
    std::string m_strName;
    std::vector<SafePointer<XmlConfigureNode> > m_children;
    std::vector<SafePointer<XmlConfigureItem> > m_items;
};

/// One use of a store file: open, read or change, close.
///
/// Mode 1 reads an existing file; mode 2 opens an existing file for changes;
/// mode 3 creates a new, empty store (the directory must exist and be
/// writable). Only close() writes, and only in modes 2 and 3: the file is then
/// replaced atomically (temporary file, sync, rename), and not written at all
/// when its bytes would not change. A file that does not parse cannot be
/// opened. Opening again, or destroying the tool, ends the current use without
/// writing: changes not closed are dropped, so a failed update never leaves a
/// half-changed file behind.
class SC_EXPORT XmlConfigureTool {
public:
    /// The modes of open(): read, change an existing file, create a new one.
    enum OPEN_MODE { OPEN_READ = 1, OPEN_UPDATE = 2, OPEN_CREATE = 3 };

    /// A tool with no file open.
    XmlConfigureTool();
    ~XmlConfigureTool();
    XmlConfigureTool(const XmlConfigureTool&) = delete;
    XmlConfigureTool& operator=(const XmlConfigureTool&) = delete;

    /// Non-zero on success. The path is mapped through PlatformRoot.
    int open(const std::string& p_strPath, int p_nTag, int p_nMode);
    /// Names the root of a file being created (before or after open).
    void setRootNodeName(const std::string& p_strName);
    /// The root element's name.
    const std::string& getRootNodeName() const { return m_strRootName; }

    /// Non-zero and the node when a top-level node of that name exists (the first).
    int getConfigNode(const std::string& p_strName, SafePointer<XmlConfigureNode>& p_node) const;
    /// The caller's list is replaced by the top-level nodes, in order; 1.
    int getAllConfigNodeList(std::vector<SafePointer<XmlConfigureNode> >& p_nodes) const;
    /// Appends a top-level node; 0 for an empty handle or a name that is not an XML name.
    int addConfigNode(SafePointer<XmlConfigureNode>& p_node);
    /// Removes every top-level node of that name; non-zero when one was removed.
    int removeConfigNode(const std::string& p_strName);

    /// Ends the use of the file, writing it in modes 2 and 3. Non-zero on
    /// success; 0 when it was not open or the write failed.
    int close();

    /// The document as it would be written (for tests and tools).
    std::string print() const;

private:
    void reset();

    std::string m_strPath;  // as given, mapped when used
    std::string m_strRootName;
    int m_nMode = 0;
    int m_nTag = 1;
    std::vector<SafePointer<XmlConfigureNode> > m_nodes;
};

#endif
