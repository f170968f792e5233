#ifndef SENSORD_ONVIF_SOAP_H
#define SENSORD_ONVIF_SOAP_H

#include <string>
#include <utility>
#include <vector>

#include "../Http.h"

// The namespaces the ONVIF service reads and writes.
namespace ns {
extern const char* const kEnvelope;  // SOAP 1.2
extern const char* const kEnvelope11;
extern const char* const kSchema;    // tt
extern const char* const kDevice;    // tds
extern const char* const kMedia;     // trt
extern const char* const kImaging;   // timg
extern const char* const kError;     // ter
extern const char* const kSecurity;  // wsse
extern const char* const kUtility;   // wsu
extern const char* const kXml;
}  // namespace ns

// One element of a decoded envelope with every name resolved to its
// namespace URI: the prefixes a client chose mean nothing past the decoder.
struct XmlElement {
    struct Attribute {
        std::string strNamespace;  // empty for an unprefixed attribute
        std::string strName;
        std::string strValue;
    };
    std::string strNamespace;
    std::string strName;
    std::vector<Attribute> attributes;
    // The text directly inside, CDATA included, entities decoded.
    std::string strText;
    std::vector<XmlElement> children;

    bool is(const char* p_szNamespace, const char* p_szName) const {
        return strName == p_szName && strNamespace == p_szNamespace;
    }
    // The first child of that name, or null.
    const XmlElement* child(const char* p_szNamespace, const char* p_szName) const;
    // Every child of that name, in document order.
    std::vector<const XmlElement*> all(const char* p_szNamespace, const char* p_szName) const;
    // Null when the element has no such attribute.
    const std::string* attribute(const char* p_szNamespace, const char* p_szName) const;
    // The text without the white space around it.
    std::string trimmedText() const;
};

// A WS-Security UsernameToken as the header carried it.
struct UsernameToken {
    std::string strUser;
    std::string strPassword;
    std::string strPasswordType;  // the Type attribute; empty when absent
    std::string strNonce;         // base64, as sent
    std::string strCreated;
};

struct SoapRequest {
    // The Body's one element: the operation and its arguments.
    XmlElement operation;
    bool bHasToken = false;
    UsernameToken token;
    // "{namespace}name" of each header block marked mustUnderstand that
    // the service does not know; a request with any is answered by a fault.
    std::vector<std::string> notUnderstood;
};

// What was wrong with a request that could not be decoded.
enum class SoapDecodeError {
    NONE,
    MALFORMED,     // not well-formed XML, or XML the decoder will not take
    DECLARATION,   // a DOCTYPE or ENTITY declaration: refused unparsed
    VERSION,       // an Envelope, but not SOAP 1.2's
    NOT_SOAP,      // well-formed, but no SOAP envelope
    NO_OPERATION,  // no Body, or a Body without exactly one element
};

// Decodes a request envelope. Refuses, before any parsing, DOCTYPE and
// ENTITY declarations, bytes that are not UTF-8 or not allowed in XML,
// processing instructions and nesting deeper than a request can need, so
// the parser never sees what could make it loop, recurse without bound or
// expand entities. Never throws; p_strError says what was wrong.
SoapDecodeError decodeSoapRequest(const std::string& p_strText, SoapRequest& p_request,
                                  std::string& p_strError);

// The deepest nesting a request may have (the envelope counts as one).
constexpr int kMaxSoapDepth = 32;

// Writes response XML: every text and attribute value is escaped.
class XmlWriter {
public:
    using Attributes = std::vector<std::pair<std::string, std::string> >;

    // <name a="v">; close() ends the most recently opened element.
    XmlWriter& open(const std::string& p_strName, const Attributes& p_attributes = {});
    XmlWriter& close();
    // <name a="v">text</name>
    XmlWriter& leaf(const std::string& p_strName, const std::string& p_strText,
                    const Attributes& p_attributes = {});
    // <name a="v"/>
    XmlWriter& empty(const std::string& p_strName, const Attributes& p_attributes = {});
    // XML this service built itself, as it is.
    XmlWriter& raw(const std::string& p_strXml);
    // Closes what is still open and hands over the text.
    std::string finish();

private:
    std::string m_strText;
    std::vector<std::string> m_open;
};

// XML's white space, and a text without it at either end.
bool isSpace(char p_c);
std::string trim(const std::string& p_strText);

std::string xmlEscape(const std::string& p_strText);
// An xs:float as a plain decimal: "50", "0.5", "-1", "33333.3".
std::string xmlFloat(double p_dValue);
// An xs:boolean.
inline const char* xmlBool(bool p_bValue) {
    return p_bValue ? "true" : "false";
}
// An xs:duration of whole seconds: "PT5S", "PT0S".
std::string xmlDuration(long p_nSeconds);
// Parses an xs:float (white space around allowed; no NaN or infinity).
bool parseXmlFloat(const std::string& p_strText, double& p_dValue);
// Parses an xs:boolean: true, false, 1, 0.
bool parseXmlBool(const std::string& p_strText, bool& p_bValue);
// Parses an xs:duration into seconds; only days, hours, minutes and
// seconds (a month or a year has no fixed length), whole seconds.
bool parseXmlDuration(const std::string& p_strText, long& p_nSeconds);

// A fault: its code, the ONVIF subcodes ("ter:InvalidArgVal", then
// "ter:NoSource"; either may be empty) and a reason a person can act on.
struct SoapFault {
    enum class Code { SENDER, RECEIVER, VERSION_MISMATCH, MUST_UNDERSTAND };
    Code eCode = Code::SENDER;
    std::string strSubcode;
    std::string strSubSubcode;
    std::string strReason;
    // Sender faults are 400, Receiver faults 500, unless set here (401,
    // 429, 503).
    int nHttpStatus = 0;
};
SoapFault senderFault(const std::string& p_strSubcode, const std::string& p_strSubSubcode,
                      const std::string& p_strReason);
SoapFault receiverFault(const std::string& p_strSubcode, const std::string& p_strSubSubcode,
                        const std::string& p_strReason);

// The envelope around a response body (the operation's response element
// and its content, using the prefixes tt, tds, trt, timg).
HttpResponse soapResponse(const std::string& p_strBody);
HttpResponse soapFaultResponse(const SoapFault& p_fault);

#endif
