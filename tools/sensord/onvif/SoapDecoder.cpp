// Decodes request envelopes: checks the text before TinyXML sees it, then
// resolves every name to its namespace.
#include "Soap.h"

#include <tinyxml.h>

#include <cctype>
#include <cstring>

namespace {

// WS-Addressing headers (Action, MessageID, To, ReplyTo) say where a message
// goes; an HTTP service has nothing to do with them, so it understands them
// by ignoring them, marked mustUnderstand or not.
const char* const kAddressing[] = {"http://www.w3.org/2005/08/addressing",
                                   "http://schemas.xmlsoap.org/ws/2004/08/addressing"};

bool startsWith(const std::string& p_strText, size_t p_nAt, const char* p_szPrefix) {
    return p_strText.compare(p_nAt, std::strlen(p_szPrefix), p_szPrefix) == 0;
}

bool containsNoCase(const std::string& p_strText, const char* p_szNeedle) {
    size_t length = std::strlen(p_szNeedle);
    for (size_t at = 0; at + length <= p_strText.size(); ++at) {
        size_t n = 0;
        while (n < length && std::tolower(static_cast<unsigned char>(p_strText[at + n])) ==
                                 std::tolower(static_cast<unsigned char>(p_szNeedle[n]))) {
            ++n;
        }
        if (n == length) {
            return true;
        }
    }
    return false;
}

// Only the characters XML allows, in well-formed UTF-8 (no overlong forms,
// no surrogates): the parser's own decoding is never put to the test.
bool checkCharacters(const std::string& p_strText, std::string& p_strError) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(p_strText.data());
    size_t size = p_strText.size();
    for (size_t at = 0; at < size;) {
        unsigned char lead = bytes[at];
        unsigned long code = 0;
        size_t length = 0;
        if (lead < 0x80) {
            code = lead;
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            code = lead & 0x1F;
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            code = lead & 0x0F;
            length = 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            code = lead & 0x07;
            length = 4;
        } else {
            p_strError = "the request is not UTF-8 (byte " + std::to_string(at) + ")";
            return false;
        }
        if (at + length > size) {
            p_strError = "the request ends inside a UTF-8 sequence";
            return false;
        }
        for (size_t n = 1; n < length; ++n) {
            if ((bytes[at + n] & 0xC0) != 0x80) {
                p_strError = "the request is not UTF-8 (byte " + std::to_string(at + n) + ")";
                return false;
            }
            code = (code << 6) | (bytes[at + n] & 0x3F);
        }
        bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                       (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                       (code >= 0x10000 && code <= 0x10FFFF);
        if (overlong || !allowed) {
            p_strError = "the request holds a character XML does not allow (byte " +
                         std::to_string(at) + ")";
            return false;
        }
        at += length;
    }
    return true;
}

// The XML declaration, if any, is read here and left out of what the parser
// sees; only UTF-8 is taken.
bool skipDeclaration(const std::string& p_strText, size_t& p_nAt, std::string& p_strError) {
    if (!startsWith(p_strText, p_nAt, "<?xml") || p_strText.size() < p_nAt + 6 ||
        !(isSpace(p_strText[p_nAt + 5]) || p_strText[p_nAt + 5] == '?')) {
        return true;
    }
    size_t end = p_strText.find("?>", p_nAt);
    if (end == std::string::npos) {
        p_strError = "the XML declaration is not closed";
        return false;
    }
    std::string declaration = p_strText.substr(p_nAt, end - p_nAt);
    size_t encoding = declaration.find("encoding");
    if (encoding != std::string::npos && !containsNoCase(declaration.substr(encoding), "utf-8")) {
        p_strError = "only UTF-8 is taken";
        return false;
    }
    p_nAt = end + 2;
    return true;
}

// Walks the markup without building anything: processing instructions and
// declarations are refused, and so is nesting deeper than kMaxSoapDepth, as
// the parser recurses once per level.
bool checkMarkup(const std::string& p_strText, size_t p_nAt, std::string& p_strError) {
    int depth = 0;
    size_t size = p_strText.size();
    for (size_t at = p_nAt; at < size; ++at) {
        if (p_strText[at] != '<') {
            continue;
        }
        if (startsWith(p_strText, at, "<!--")) {
            size_t end = p_strText.find("-->", at + 4);
            if (end == std::string::npos) {
                p_strError = "a comment is not closed";
                return false;
            }
            at = end + 2;
        } else if (startsWith(p_strText, at, "<![CDATA[")) {
            size_t end = p_strText.find("]]>", at + 9);
            if (depth == 0 || end == std::string::npos) {
                p_strError = "a CDATA section is misplaced or not closed";
                return false;
            }
            at = end + 2;
        } else if (startsWith(p_strText, at, "<?")) {
            p_strError = "processing instructions are not taken";
            return false;
        } else if (startsWith(p_strText, at, "<!")) {
            p_strError = "declarations are not taken";
            return false;
        } else {
            bool endTag = startsWith(p_strText, at, "</");
            char quote = 0;
            size_t end = at + 1;
            for (; end < size; ++end) {
                char c = p_strText[end];
                if (quote != 0) {
                    quote = c == quote ? 0 : quote;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                }
            }
            if (end >= size) {
                p_strError = "the request ends inside a tag";
                return false;
            }
            bool selfClosing = p_strText[end - 1] == '/';
            if (endTag) {
                --depth;
            } else if (++depth > kMaxSoapDepth) {
                p_strError = "elements are nested deeper than " + std::to_string(kMaxSoapDepth);
                return false;
            } else if (selfClosing) {
                --depth;
            }
            at = end;
        }
    }
    return true;
}

// Prefix bindings in scope, innermost last; an empty prefix is the default
// namespace.
using Scope = std::vector<std::pair<std::string, std::string> >;

bool resolve(const Scope& p_scope, const std::string& p_strPrefix, bool p_bElement,
             std::string& p_strNamespace) {
    if (p_strPrefix == "xml") {
        p_strNamespace = ns::kXml;
        return true;
    }
    if (p_strPrefix.empty() && !p_bElement) {
        p_strNamespace.clear();  // unprefixed attributes are in no namespace
        return true;
    }
    for (auto it = p_scope.rbegin(); it != p_scope.rend(); ++it) {
        if (it->first == p_strPrefix) {
            p_strNamespace = it->second;
            return true;
        }
    }
    if (p_strPrefix.empty()) {
        p_strNamespace.clear();
        return true;
    }
    return false;
}

bool splitName(const std::string& p_strQName, std::string& p_strPrefix, std::string& p_strLocal) {
    size_t colon = p_strQName.find(':');
    if (colon == std::string::npos) {
        p_strPrefix.clear();
        p_strLocal = p_strQName;
        return !p_strLocal.empty();
    }
    p_strPrefix = p_strQName.substr(0, colon);
    p_strLocal = p_strQName.substr(colon + 1);
    return !p_strPrefix.empty() && !p_strLocal.empty() && p_strLocal.find(':') == std::string::npos;
}

bool convert(const TiXmlElement& p_source, Scope& p_scope, XmlElement& p_target,
             std::string& p_strError) {
    size_t scopeSize = p_scope.size();
    for (const TiXmlAttribute* attribute = p_source.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next()) {
        const std::string name = attribute->NameTStr();
        if (name == "xmlns") {
            p_scope.emplace_back("", attribute->ValueStr());
        } else if (startsWith(name, 0, "xmlns:")) {
            std::string prefix = name.substr(6);
            if (prefix.empty() || prefix == "xmlns" || prefix == "xml" ||
                attribute->ValueStr().empty() || prefix.find(':') != std::string::npos) {
                p_strError = "the namespace declaration " + name + " is not allowed";
                return false;
            }
            p_scope.emplace_back(prefix, attribute->ValueStr());
        }
    }
    std::string prefix;
    if (!splitName(p_source.ValueStr(), prefix, p_target.strName) ||
        !resolve(p_scope, prefix, true, p_target.strNamespace)) {
        p_strError = "the element " + p_source.ValueStr() + " has an undeclared prefix";
        return false;
    }
    for (const TiXmlAttribute* attribute = p_source.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next()) {
        const std::string name = attribute->NameTStr();
        if (name == "xmlns" || startsWith(name, 0, "xmlns:")) {
            continue;
        }
        XmlElement::Attribute resolved;
        resolved.strValue = attribute->ValueStr();
        if (!splitName(name, prefix, resolved.strName) ||
            !resolve(p_scope, prefix, false, resolved.strNamespace)) {
            p_strError = "the attribute " + name + " has an undeclared prefix";
            return false;
        }
        p_target.attributes.push_back(resolved);
    }
    for (const TiXmlNode* node = p_source.FirstChild(); node != nullptr;
         node = node->NextSibling()) {
        if (const TiXmlElement* element = node->ToElement()) {
            p_target.children.emplace_back();
            if (!convert(*element, p_scope, p_target.children.back(), p_strError)) {
                return false;
            }
        } else if (const TiXmlText* text = node->ToText()) {
            p_target.strText += text->ValueStr();
        } else if (node->ToComment() == nullptr) {
            p_strError = "the element " + p_source.ValueStr() + " holds markup that is not taken";
            return false;
        }
    }
    p_scope.resize(scopeSize);
    return true;
}

bool mustUnderstand(const XmlElement& p_header) {
    const std::string* value = p_header.attribute(ns::kEnvelope, "mustUnderstand");
    return value != nullptr && (trim(*value) == "true" || trim(*value) == "1");
}

void readSecurity(const XmlElement& p_security, SoapRequest& p_request) {
    const XmlElement* token = p_security.child(ns::kSecurity, "UsernameToken");
    if (token == nullptr) {
        return;
    }
    p_request.bHasToken = true;
    UsernameToken& target = p_request.token;
    if (const XmlElement* user = token->child(ns::kSecurity, "Username")) {
        target.strUser = user->trimmedText();
    }
    if (const XmlElement* password = token->child(ns::kSecurity, "Password")) {
        target.strPassword = password->trimmedText();
        const std::string* type = password->attribute("", "Type");
        target.strPasswordType = type != nullptr ? trim(*type) : "";
    }
    if (const XmlElement* nonce = token->child(ns::kSecurity, "Nonce")) {
        target.strNonce = nonce->trimmedText();
    }
    // Created belongs to the utility namespace; some clients put it in the
    // token's own.
    const XmlElement* created = token->child(ns::kUtility, "Created");
    if (created == nullptr) {
        created = token->child(ns::kSecurity, "Created");
    }
    if (created != nullptr) {
        target.strCreated = created->trimmedText();
    }
}

SoapDecodeError readEnvelope(const XmlElement& p_envelope, SoapRequest& p_request,
                             std::string& p_strError) {
    if (!p_envelope.is(ns::kEnvelope, "Envelope")) {
        if (p_envelope.strName == "Envelope") {
            p_strError = "only SOAP 1.2 envelopes are taken (" + p_envelope.strNamespace + ")";
            return SoapDecodeError::VERSION;
        }
        p_strError = "the request is not a SOAP envelope";
        return SoapDecodeError::NOT_SOAP;
    }
    const XmlElement* header = nullptr;
    const XmlElement* body = nullptr;
    for (const XmlElement& child : p_envelope.children) {
        if (child.is(ns::kEnvelope, "Header") && header == nullptr && body == nullptr) {
            header = &child;
        } else if (child.is(ns::kEnvelope, "Body") && body == nullptr) {
            body = &child;
        } else {
            p_strError = "the Envelope holds " + child.strName + " where only a Header and a " +
                         "Body may be";
            return SoapDecodeError::MALFORMED;
        }
    }
    if (body == nullptr) {
        p_strError = "the Envelope has no Body";
        return SoapDecodeError::NO_OPERATION;
    }
    if (body->children.size() != 1) {
        p_strError = body->children.empty() ? "the Body holds no operation"
                                            : "the Body holds more than one operation";
        return SoapDecodeError::NO_OPERATION;
    }
    if (header != nullptr) {
        bool security = false;
        for (const XmlElement& block : header->children) {
            if (block.is(ns::kSecurity, "Security")) {
                if (security) {
                    p_strError = "the Header holds more than one Security block";
                    return SoapDecodeError::MALFORMED;
                }
                security = true;
                readSecurity(block, p_request);
                continue;
            }
            bool addressing =
                block.strNamespace == kAddressing[0] || block.strNamespace == kAddressing[1];
            if (!addressing && mustUnderstand(block)) {
                p_request.notUnderstood.push_back("{" + block.strNamespace + "}" + block.strName);
            }
        }
    }
    p_request.operation = body->children.front();
    return SoapDecodeError::NONE;
}

}  // namespace

const XmlElement* XmlElement::child(const char* p_szNamespace, const char* p_szName) const {
    for (const XmlElement& element : children) {
        if (element.is(p_szNamespace, p_szName)) {
            return &element;
        }
    }
    return nullptr;
}

std::vector<const XmlElement*> XmlElement::all(const char* p_szNamespace,
                                               const char* p_szName) const {
    std::vector<const XmlElement*> found;
    for (const XmlElement& element : children) {
        if (element.is(p_szNamespace, p_szName)) {
            found.push_back(&element);
        }
    }
    return found;
}

const std::string* XmlElement::attribute(const char* p_szNamespace, const char* p_szName) const {
    for (const Attribute& entry : attributes) {
        if (entry.strName == p_szName && entry.strNamespace == p_szNamespace) {
            return &entry.strValue;
        }
    }
    return nullptr;
}

std::string XmlElement::trimmedText() const {
    return trim(strText);
}

SoapDecodeError decodeSoapRequest(const std::string& p_strText, SoapRequest& p_request,
                                  std::string& p_strError) {
    p_request = SoapRequest();
    // Refused before anything else reads the text: no entity of a client's
    // is ever expanded, however it is spelt.
    if (containsNoCase(p_strText, "<!DOCTYPE") || containsNoCase(p_strText, "<!ENTITY")) {
        p_strError = "DOCTYPE and ENTITY declarations are not taken";
        return SoapDecodeError::DECLARATION;
    }
    if (!checkCharacters(p_strText, p_strError)) {
        return SoapDecodeError::MALFORMED;
    }
    size_t start = startsWith(p_strText, 0, "\xEF\xBB\xBF") ? 3 : 0;
    while (start < p_strText.size() && isSpace(p_strText[start])) {
        ++start;
    }
    if (!skipDeclaration(p_strText, start, p_strError) ||
        !checkMarkup(p_strText, start, p_strError)) {
        return SoapDecodeError::MALFORMED;
    }
    TiXmlDocument document;
    document.Parse(p_strText.c_str() + start, nullptr, TIXML_ENCODING_UTF8);
    if (document.Error()) {
        p_strError = std::string("the request is not well-formed XML: ") + document.ErrorDesc();
        return SoapDecodeError::MALFORMED;
    }
    const TiXmlElement* root = nullptr;
    for (const TiXmlNode* node = document.FirstChild(); node != nullptr;
         node = node->NextSibling()) {
        if (node->ToComment() != nullptr) {
            continue;
        }
        if (node->ToElement() == nullptr || root != nullptr) {
            p_strError = "the request is not one XML document";
            return SoapDecodeError::MALFORMED;
        }
        root = node->ToElement();
    }
    if (root == nullptr) {
        p_strError = "the request is empty";
        return SoapDecodeError::MALFORMED;
    }
    Scope scope;
    XmlElement envelope;
    if (!convert(*root, scope, envelope, p_strError)) {
        return SoapDecodeError::MALFORMED;
    }
    return readEnvelope(envelope, p_request, p_strError);
}
