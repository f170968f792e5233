#ifndef SENSORCONTROL_CONFIG_MERGEDXML_H
#define SENSORCONTROL_CONFIG_MERGEDXML_H
/// @file
/// MergedXml, the merge of a UI style file with its variant edits.

#include <memory>
#include <string>
#include <vector>

#include "../platform/Export.h"

class TiXmlNode;
class TiXmlDocument;

/// Applies a style variant file to a style file and prints the result.
///
/// Tabs are the child elements of the style document's root element (its
/// first top-level element). Each top-level element of the variant file is a
/// block: its attributes are conditions on the module's detail string (name =
/// detail key, value = comma list of accepted values), its children the edits
/// "Delete", "AddBefore" and "AddAfter", applied in order. Each entry of an
/// edit names a tab by its key; the key of an element is its first attribute's
/// value read with strtol in base 10 ("007" is 7, "abc" is 0).
///
/// Elements without any attribute have no key:
///   - such a tab never matches, so it is neither deleted nor used as anchor;
///   - a "Delete", "AddBefore" or "AddAfter" entry without a key is skipped;
///   - an "AddAfter" child without a key is still placed (after the tab that
///     carries the previous key), but the chain ends there: the entry's later
///     children are not inserted, as they would have no anchor to follow.
/// A style document without a root element has no tabs: every edit finds
/// nothing to change and the merge still gives 1.
///
/// Every merge reads both files again into fresh documents.
class SC_EXPORT MergedXml {
public:
    MergedXml();
    ~MergedXml();
    MergedXml(const MergedXml&) = delete;
    MergedXml& operator=(const MergedXml&) = delete;

    /// The style file.
    void setStyleOriginalPath(const std::string& p_strPath) { m_strStyleOriginalPath = p_strPath; }
    /// The style variant file.
    void setStyleModifyPath(const std::string& p_strPath) { m_strStyleModifyPath = p_strPath; }
    /// The language file (kept; no language merge exists).
    void setLangOriginalPath(const std::string& p_strPath) { m_strLangOriginalPath = p_strPath; }
    /// The language variant file (kept; no language merge exists).
    void setLangModifyPath(const std::string& p_strPath) { m_strLangModifyPath = p_strPath; }

    /// Merges for the module whose detail string is given; on success the text
    /// becomes the style document as TinyXML's TiXmlPrinter prints it with
    /// default settings (four-blank indent, "\n" after each line) and the
    /// result is 1. On failure 0, the text untouched.
    int getStyleMergedString(const std::string& p_strKey, std::string& p_strText);
    /// 1 when both files were read and every block was looked at; 0 otherwise
    /// (edits already made stay in the style document).
    int mergeStyleXml(const std::string& p_strKey);

    /// Stores the first child element of the parent whose key equals the
    /// given key in the slot; leaves the slot untouched when there is none (or
    /// no parent). Always 1.
    int findNodeByKey(int p_nKey, TiXmlNode* p_pParent, TiXmlNode** p_ppResult);
    /// Removes every tab with that key. Always 1.
    int deleteTabNode(int p_nKey);

    /// No language merge exists: success without doing anything.
    int mergeLangXml(const std::string& p_strKey);
    /// The language document, which nothing loads, printed: "". Always 1.
    int getLangMergedString(const std::string& p_strKey, std::string& p_strText);

    /// After a merge, one line per block that was applied, in order: the
    /// block's name followed by its attributes, e.g. `Sensor model="A,B"`.
    /// Cleared at the start of every merge.
    const std::vector<std::string>& getAppliedBlocks() const { return m_appliedBlocks; }

private:
    std::string m_strStyleOriginalPath;
    std::string m_strStyleModifyPath;
    std::unique_ptr<TiXmlDocument> m_pStyleDocument;
    std::unique_ptr<TiXmlDocument> m_pStyleModifyDocument;
    std::string m_strLangOriginalPath;
    std::string m_strLangModifyPath;
    std::unique_ptr<TiXmlDocument> m_pLangDocument;
    std::unique_ptr<TiXmlDocument> m_pLangModifyDocument;
    std::vector<std::string> m_appliedBlocks;
};

#endif
